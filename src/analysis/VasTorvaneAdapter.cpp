#include "analysis/VasTorvaneAdapter.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "entities/analysis/Vas.h"
#include "foundation/DateTimeUtil.h"
#include "foundation/FileUtil.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"
#include "foundation/XmlCfg.h"
#include "net/HttpEndpoint.h"
#include "net/SecureSock.h"
#include "net/StatusStreamUnit.h"
#include "net/UrlFormatter.h"

namespace {

constexpr int kConnectTimeoutMs = 2000;
constexpr int kStreamMarginSec = 3;
constexpr int kControlConnectMs = 7000;
constexpr int kControlSendMs = 7000;
constexpr int kReplyHeaderMs = 60000;
constexpr int kReplyXmlMs = 7000;
constexpr int kSendBufferBytes = 1048576;
constexpr int kSendTries = 3;

constexpr const char* kUploadDocument =
    "<ManagerAPI>\r\n\t<Command>dnn_data</Command>\r\n\t<Method>set</Method>\r\n\t<Req>\r\n"
    "\t\t<Action>upload</Action>\r\n\t\t<File>\r\n\t\t\t<Name>%s</Name>\r\n\t\t\t<Size>%lld</Size>\r\n"
    "\t\t</File>\r\n\t</Req>\r\n</ManagerAPI>\r\n";
constexpr const char* kRestartDocument =
    "<ManagerAPI>\r\n\t<Command>program</Command>\r\n\t<Method>set</Method>\r\n\t<Req>\r\n"
    "\t\t<Action>restart</Action>\r\n\t</Req>\r\n</ManagerAPI>\r\n";

// The form body of a status request: the pairs percent-encoded in order, then
// "&channel=<list>" as it stands when a list is given.
std::string StatusBody(const std::vector<std::pair<const char*, std::string>>& pairs, int interval, int polling,
                       const std::string& channels) {
  CUrlFormatter form;
  form.SetParam("polling", polling ? "1" : "0");
  for (const auto& [key, value] : pairs) form.SetParam(key, value);
  if (!polling) form.SetParam("interval", StrFormat("%d", interval));
  std::string body = form.GetUrl();
  if (!channels.empty()) body += "&channel=" + channels;
  return body;
}

void PutU32(char* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

uint32_t GetU32(const char* in) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(static_cast<unsigned char>(in[i])) << (8 * i);
  return value;
}

// Closes `s` when it is open.
struct SocketCloser {
  SOCKET s = INVALID_SOCKET;
  ~SocketCloser() {
    if (s != INVALID_SOCKET) close(s);
  }
};

struct FileCloser {
  void operator()(FILE* f) const { fclose(f); }
};

// Sends the file's first `length` bytes in chunks of at most kChunkSize. A
// chunk sent in part resumes at its first unsent byte; kSendTries sends in a
// row without progress give up. Returns the bytes sent; fewer than `length`
// when sending failed or the file ended early.
int64_t SendFile(SOCKET s, FILE* file, int64_t length) {
  std::vector<char> chunk(VasTorvaneAdapter::kChunkSize);
  int64_t sent = 0;
  while (sent < length) {
    size_t want = static_cast<size_t>(std::min<int64_t>(VasTorvaneAdapter::kChunkSize, length - sent));
    size_t got = fread(chunk.data(), 1, want, file);
    if (got == 0) break;  // the file shrank since it was measured
    size_t offset = 0;
    int idle = 0;
    while (offset < got) {
      int n = sock::SendAll(s, chunk.data() + offset, static_cast<int>(got - offset), kControlSendMs);
      if (n > 0) {
        offset += static_cast<size_t>(n);
        idle = 0;
      } else if (++idle >= kSendTries) {
        GATE_LOG_DEFAULT("send failed\n");
        return sent + static_cast<int64_t>(offset);
      }
    }
    sent += static_cast<int64_t>(got);
  }
  return sent;
}

}  // namespace

int VasTorvaneAdapter::Check(const std::string& address, int port, int* error, int /*timeoutMs*/) {
  SOCKET s = sock::Connect(address, static_cast<unsigned short>(port), kCheckTimeoutMs);
  if (s != INVALID_SOCKET) {
    close(s);
    return 1;
  }
  GATE_LOG(1, "ERROR - [%s:%d] Error raised when try connect to vas.\r\n", address.c_str(), port);
  return Fail(error, kVasErrorCheckFailed);
}

std::string VasTorvaneAdapter::SystemStatusBody(int interval, int polling, const std::string& channels) {
  return StatusBody({{"fulltext", "1"}, {"status", "1"}, {"analysis", "0"}}, interval, polling, channels);
}

std::string VasTorvaneAdapter::AnalysisStatusBody(int interval, int polling, const std::string& channels) {
  return StatusBody({{"fulltext", "0"}, {"status", "0"}, {"client", "0"}, {"analysis", "1"}}, interval, polling,
                    channels);
}

int VasTorvaneAdapter::RequestSystemStatus(IDataStore* /*store*/, CTBLVas* row, int* error, int interval,
                                           int polling, int withChannelList, CSecureSock* conn) {
  if (!row) return Fail(error, kVasErrorBadArgument);
  std::string channels = withChannelList ? row->GetChannelListText() : std::string();
  return RequestStatus(row, error, SystemStatusBody(interval, polling, channels), conn);
}

int VasTorvaneAdapter::RequestAnalysisStatus(IDataStore* /*store*/, CTBLVas* row, int* error, int interval,
                                             int polling, int withChannelList, CSecureSock* conn) {
  if (!row) return Fail(error, kVasErrorBadArgument);
  std::string channels = withChannelList ? row->GetChannelListText() : std::string();
  return RequestStatus(row, error, AnalysisStatusBody(interval, polling, channels), conn);
}

int VasTorvaneAdapter::RequestStatus(CTBLVas* row, int* error, const std::string& body, CSecureSock* conn) {
  Succeed(error);
  std::string name = row->GetDisplayName();
  std::string address = row->GetAddress();
  if (conn && !conn->IsUsable()) {
    conn->Close();
    conn->Connect(address, port_, kConnectTimeoutMs);
  }
  if (!conn || !conn->IsUsable()) {
    GATE_LOG(1, "ERROR - [%s] Error raised when check activity for vas.\r\n", name.c_str());
    return Fail(error, kVasErrorNoConnection);
  }
  CHttpEndpoint endpoint(address, port_, loginId_, loginPassword_, row->GetHttpAuthMode(), useSecure_);
  if (endpoint.SendPost(*conn, "/stream/status.cgi", body, kRequestTimeoutSec) != 1) {
    conn->Close();
    GATE_LOG(1, "ERROR - [%s] Error raised when request message to vas\r\n", name.c_str());
    return Fail(error, kVasErrorNotSent);
  }
  return 1;
}

int VasTorvaneAdapter::ReceiveStatus(IDataStore* /*store*/, CTBLVas* row, int* error, int wait, CSecureSock* conn,
                                     std::vector<char>* buffer, VasAbortFunc abort, void* context) {
  if (!row || !conn || !buffer) {
    Fail(error, kVasErrorBadArgument);
    return -1;
  }
  std::string name = row->GetDisplayName();
  CStatusStreamUnit unit;
  CStatusStreamUnit::Outcome outcome =
      unit.Read(*conn, wait + kStreamMarginSec, kStreamMarginSec, buffer, abort, context);
  switch (outcome) {
    case CStatusStreamUnit::kRead:
      break;
    case CStatusStreamUnit::kNoHeader:
      GATE_LOG(1, "ERROR - [%s] Error raised when receive response message\r\n", name.c_str());
      Fail(error, kVasErrorNoHeader);
      return -1;
    case CStatusStreamUnit::kNoLine:
    case CStatusStreamUnit::kNotBoundary:
      GATE_LOG(1, "ERROR - [%s] Invalid http header. (%s)\r\n", name.c_str(), unit.header.c_str());
      Fail(error, outcome == CStatusStreamUnit::kNoLine ? kVasErrorBadHeader : kVasErrorNotBoundary);
      return -1;
    case CStatusStreamUnit::kBodyTooLarge:
    case CStatusStreamUnit::kNoBody:
      GATE_LOG(1, "ERROR - [%s] Error raised when receive response message\r\n", name.c_str());
      Fail(error, kVasErrorNoBody);
      return -1;
  }
  if (unit.status != 200) {
    GATE_LOG(1, "ERROR - [%s] Error raised when request message to zav (%d)\r\n", name.c_str(), unit.status);
    Fail(error, unit.status);
    return -1;
  }
  return unit.contentLength > 0 ? 1 : 0;
}

int VasTorvaneAdapter::UploadDNN(IDataStore* /*store*/, CTBLVas* row, int* error, const std::string& path) {
  if (!row) return Fail(error, kVasErrorBadArgument);
  std::string fileName;
  GetFileNamePart(path, &fileName);
  int64_t length = std::max<int64_t>(GetFileLength(path), 0);
  std::string xml = StrFormat(kUploadDocument, fileName.c_str(), static_cast<long long>(length));
  return ControlExchange(row, error, xml, path, true);
}

int VasTorvaneAdapter::RestartVAS(IDataStore* /*store*/, CTBLVas* row, int* error) {
  if (!row) return Fail(error, kVasErrorBadArgument);
  return ControlExchange(row, error, kRestartDocument, std::string(), false);
}

int VasTorvaneAdapter::ReadControlReply(SOCKET s, std::string* xml) {
  char header[8];
  if (sock::RecvAll(s, header, sizeof(header), kReplyHeaderMs) != static_cast<int>(sizeof(header)) ||
      GetU32(header) != kControlMarker) {
    return kControlNoHeader;
  }
  uint32_t length = GetU32(header + 4);
  if (length > static_cast<uint32_t>(kMaxReplyXml)) return kControlNoXml;
  xml->assign(length, '\0');
  if (length > 0 && sock::RecvAll(s, xml->data(), static_cast<int>(length), kReplyXmlMs) != static_cast<int>(length)) {
    return kControlNoXml;
  }
  return kControlRead;
}

int VasTorvaneAdapter::ReplyCode(const std::string& xml, bool* parsed) {
  // The reply buffer is a C string: the XML ends at its first zero byte.
  CXmlCfg cfg;
  *parsed = cfg.ToCfg(std::string_view(xml.c_str()));
  return *parsed ? atoi(cfg.GetValue("$ManagerAPI$$Res$$Code$").c_str()) : 0;
}

int VasTorvaneAdapter::ControlExchange(CTBLVas* row, int* error, const std::string& xml, const std::string& path,
                                       bool upload) {
  Succeed(error);
  std::string name = row->GetDisplayName();
  std::string address = row->GetAddress();
  bool reachable = false;
  if (controlPort_ != 0) {
    int pending = 0;
    SocketCloser test{sock::ConnectNonBlock(address, controlPort_, &pending)};
    reachable = test.s != INVALID_SOCKET && (!pending || sock::WaitConnected(test.s, kCheckTimeoutMs));
  }
  if (!reachable) {
    GATE_LOG(1, "ERROR - [%s] Error raised when try connect to vas.\r\n", name.c_str());
    return Fail(error, kVasErrorCheckFailed);
  }
  SocketCloser conn{sock::Connect(address, controlPort_, kControlConnectMs)};
  if (conn.s == INVALID_SOCKET) {
    GATE_LOG(1, "ERROR - [%s] Error raised when try connect to vas.\r\n", name.c_str());
    return Fail(error, kVasErrorNoConnection);
  }
  if (upload) {
    int size = kSendBufferBytes;
    setsockopt(conn.s, SOL_SOCKET, SO_SNDBUF, &size, sizeof(size));
  }
  sock::SetNonBlock(conn.s, false);

  char header[8];
  PutU32(header, kControlMarker);
  PutU32(header + 4, static_cast<uint32_t>(xml.size()));
  if (sock::SendAll(conn.s, header, sizeof(header), kControlSendMs) != static_cast<int>(sizeof(header))) {
    GATE_LOG(1, "ERROR - [%s] Error raised when try send header.\r\n", name.c_str());
    return Fail(error, kVasErrorControlSend);
  }
  if (sock::SendAll(conn.s, xml.data(), static_cast<int>(xml.size()), kControlSendMs) !=
      static_cast<int>(xml.size())) {
    GATE_LOG(1, "ERROR - [%s] Error raised when try send xml.\r\n", name.c_str());
    return Fail(error, kVasErrorControlSend);
  }
  if (upload) {
    int64_t length = std::max<int64_t>(GetFileLength(path), 0);
    std::unique_ptr<FILE, FileCloser> file(fopen(path.c_str(), "rb"));
    if (!file) {
      GATE_LOG(1, "ERROR - [%s] Error raised when try open file.\r\n", name.c_str());
      return Fail(error, kVasErrorControlSend);
    }
    if (SendFile(conn.s, file.get(), length) < length) {
      GATE_LOG(1, "ERROR - [%s] Error raised when try send file.\r\n", name.c_str());
      return Fail(error, kVasErrorControlSend);
    }
  }

  std::this_thread::sleep_for(std::chrono::milliseconds(kReplyDelayMs));
  std::string reply;
  int read = ReadControlReply(conn.s, &reply);
  if (read == kControlNoHeader) {
    GATE_LOG(1, "ERROR - [%s] Error raised when try receive header.\r\n", name.c_str());
    return Fail(error, kVasErrorControlReceive);
  }
  if (read == kControlNoXml) {
    GATE_LOG(1, "ERROR - [%s] Error raised when try receive xml.\r\n", name.c_str());
    return Fail(error, kVasErrorControlReceive);
  }
  close(conn.s);
  conn.s = INVALID_SOCKET;
  bool parsed = false;
  int code = ReplyCode(reply, &parsed);
  if (!parsed) {
    GATE_LOG(1, "ERROR - [%s] Error raised when try parse xml.\r\n", name.c_str());
    return Fail(error, kVasErrorBadXml);
  }
  if (code == 200) return 1;
  if (upload && code == 415) return Fail(error, kVasErrorUploadRefused);
  GATE_LOG_DEFAULT("rcv: [%s]\n", reply.c_str());
  return Fail(error, kVasErrorControlReply);
}
