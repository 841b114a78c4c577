#include "analysis/VasMetaClientTorvane.h"

#include <string_view>

#include "analysis/VARSerializer.h"
#include "analysis/VasMetaReceiver.h"
#include "foundation/Log.h"
#include "foundation/StrList.h"
#include "foundation/StringUtil.h"
#include "net/HttpEndpoint.h"
#include "net/HttpHeader.h"
#include "net/MyHttp.h"

namespace {

// The HTTP endpoint's mode for the record's AuthType.
int EndpointAuthMode(int authType) {
  if (authType == VAS_AUTH_BASIC) return CHttpEndpoint::kAuthBasic;
  if (authType == VAS_AUTH_DIGEST) return CHttpEndpoint::kAuthDigest;
  return 0;  // the login in the query
}

// The Content-Length of a part header: 0 without one or with no number;
// negative or above the body limit as written (the caller refuses those).
long long PartContentLength(std::string_view header) {
  std::string value;
  if (!FindHeaderField(header, "Content-Length", &value)) return 0;
  size_t at = 0;
  bool negative = at < value.size() && value[at] == '-';
  if (negative) ++at;
  long long length = 0;
  for (; at < value.size() && value[at] >= '0' && value[at] <= '9'; ++at) {
    length = length * 10 + (value[at] - '0');
    if (length > CMyHttp::kMaxBodySize) break;
  }
  return negative ? -length : length;
}

}  // namespace

CVasMetaClientTorvane::CVasMetaClientTorvane(const CVasConnInfo& info, CVasMetaReceiver* receiver)
    : CVasMetaClientBase(info, receiver), reader_(kMaxHeaderBlock) {}

CVasMetaClientTorvane::~CVasMetaClientTorvane() {
  RequestStop();
  StopClient();
}

std::string CVasMetaClientTorvane::MakeRequestBody() const {
  std::string body = StrFormat(
      "thumbnail=%s&thumbnail_interval=%d&linecross=1&linecross_group=1&crowd=1&waterlevel=1"
      "&thumbnail_creation_mode=%s",
      Thumbnail ? "1" : "0", ThumbnailInterval, connInfo_.UseFR ? "2" : "0");
  return body + ChannelField();
}

std::string CVasMetaClientTorvane::ChannelField() const {
  if (!UseChannelFilter || connInfo_.Channels.empty()) return std::string();
  std::string field = "&channel=";
  for (size_t i = 0; i < connInfo_.Channels.size(); ++i) {
    if (i > 0) field += ',';
    field += std::to_string(connInfo_.Channels[i]);
  }
  return field;
}

bool CVasMetaClientTorvane::ConnectToServer() {
  if (IsConnected()) return true;
  if (!OpenConnection()) return false;
  CHttpEndpoint endpoint(connInfo_.Address, connInfo_.Port, connInfo_.LoginID, connInfo_.Password,
                         EndpointAuthMode(connInfo_.AuthType), sock_.tls);
  if (!endpoint.SendPost(sock_, kStreamPath, MakeRequestBody(), timings_.requestTimeoutSec, &CThread::IsStopRequested,
                         static_cast<CThread*>(this))) {
    CloseConnection();
    GATE_LOG(1, "ERROR - [%s] Error raised when request meta.cgi\r\n", label_.c_str());
    return false;
  }
  reader_.Reset();
  OnConnected();
  return true;
}

void CVasMetaClientTorvane::LogInvalidHeader(int step, std::string_view header) {
  std::string text(header);
  GATE_LOG(1, "ERROR - [%s] Invalid http header - %d. (%s)\r\n", label_.c_str(), step, text.c_str());
  FileLog(1, "[%s] Invalid http header - %d. (%s).\n", label_.c_str(), step, text.c_str());
}

bool CVasMetaClientTorvane::ReceiveMeta(CVasMetaMessage* message) {
  std::string_view header;
  int read = reader_.ReadHeader(sock_, timings_.headerWaitMs, timings_.headerWaitMs, &CThread::IsStopRequested,
                                static_cast<CThread*>(this), &header);
  if (read == CMetaPartReader::kReadNothing) return true;
  if (read == CMetaPartReader::kReadFailed) {
    if (IsStopRequested()) return false;  // RequestStop shut the connection down
    GATE_LOG(1, "ERROR - [%s] The connection ended while waiting for a part header.\r\n", label_.c_str());
    FileLog(1, "[%s] The connection ended while waiting for a part header.\n", label_.c_str());
    return false;
  }
  CStrList lines;
  if (lines.Split(std::string(header), "\r\n") == 0) {
    LogInvalidHeader(1, header);
    return false;
  }
  CStrList words;
  int count = words.Split(lines.GetAt(0), " ");
  int status = 200;
  if (count == 0) {
    LogInvalidHeader(2, header);
    return false;
  }
  if (count == 1) {
    if (words.GetAt(0) != kBoundary) {
      LogInvalidHeader(3, header);
      return false;
    }
  } else {
    status = atoi(words.GetAt(1).c_str());
  }
  long long length = PartContentLength(header);
  if (length < 0 || length > CMyHttp::kMaxBodySize) {
    GATE_LOG(1, "ERROR - [%s] Part length %lld is outside 0 to %d bytes.\r\n", label_.c_str(), length,
             CMyHttp::kMaxBodySize);
    FileLog(1, "[%s] Part length %lld is outside 0 to %d bytes.\n", label_.c_str(), length, CMyHttp::kMaxBodySize);
    return false;
  }
  if (length > 0) {
    if (reader_.ReadBody(sock_, static_cast<size_t>(length), timings_.bodyWaitMs, timings_.bodyWaitMs,
                         &CThread::IsStopRequested, static_cast<CThread*>(this),
                         &message->text) != CMetaPartReader::kReadDone) {
      if (IsStopRequested()) return false;
      GATE_LOG(1, "ERROR - [%s] Error raised when receive response message\r\n", label_.c_str());
      FileLog(1, "[%s] Error raised when receive response message.\n", label_.c_str());
      return false;
    }
    metaLength_ = static_cast<int>(length);
    OnBodyReceived();
  }
  if (status != 200) {
    GATE_LOG(1, "ERROR - [%s] Error raised when request message to vas (%d)\r\n", label_.c_str(), status);
    FileLog(1, "[%s] Error raised when request message to vas (%d)\n", label_.c_str(), status);
    return false;
  }
  if (length > 0) message->type = KeptMessageType(message->text.c_str());
  return true;
}

int CVasMetaClientTorvane::KeptMessageType(const char* text) const {
  switch (CVARSerializer::GetMessageType(text)) {
    case VAR_MESSAGE_RESULT: return META_RESULT;
    case VAR_MESSAGE_ALL_COUNT: return META_ALL_COUNT;
    default: return META_NONE;
  }
}

CVasMetaClientBase::ReadOutcome CVasMetaClientTorvane::ReadResult(char* text, int length, CVAR* result) {
  return CVARSerializer::Deserialize(text, length, result) ? READ_DONE : READ_REFUSED;
}

void CVasMetaClientTorvane::HandleOtherMessage(CVasMetaMessage& message) {
  if (message.type != META_ALL_COUNT) return;
  auto counts = std::make_unique<CVARAllCount>();
  if (!GetAllObjectCount(counts.get(), message.text.c_str(), static_cast<int>(message.text.size()))) {
    GATE_LOG(1, "ERROR - [%s] Error raised when make vas all object count meta stream\r\n", label_.c_str());
    return;
  }
  if (counts->empty()) return;
  CVARAllCount* handed = counts.release();
  if (!receiver_->PushAllCount(handed)) {
    delete handed;
    GATE_LOG(1, "ERROR - [%s] Error raised when push all count infomration. \r\n", label_.c_str());
    FileLog(1, "[%s] Error raised when push all count infomration.\n", label_.c_str());
  }
}

bool CVasMetaClientTorvane::GetAllObjectCount(CVARAllCount* counts, const char* text, int length) {
  CVARAllCounts channels;
  if (!CVARSerializer::DeserializeAllCount(text, length, &channels)) {
    GATE_LOG(1, "ERROR - [%s] Error raised when json deserialize the all object count meta stream\r\n",
             label_.c_str());
    FileLog(1, "[%s] Error raised when json deserialize the meta stream.\n", label_.c_str());
    return false;
  }
  for (auto& [channel, lines] : channels)
    (*counts)[CVARAllCountKey(connInfo_.Reserved, connInfo_.VasID, channel)] = std::move(lines);
  return true;
}
