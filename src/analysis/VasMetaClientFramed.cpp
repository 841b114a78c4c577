#include "analysis/VasMetaClientFramed.h"

#include "foundation/Log.h"
#include "net/MyHttp.h"

CVasMetaClientFramed::CVasMetaClientFramed(const CVasConnInfo& info, CVasMetaReceiver* receiver, size_t headerSize,
                                           CEngineFrameReader::DecodeFn decode)
    : CVasMetaClientBase(info, receiver), reader_(headerSize, decode, CMyHttp::kMaxBodySize) {}

CVasMetaClientFramed::~CVasMetaClientFramed() {
  RequestStop();
  StopClient();
}

bool CVasMetaClientFramed::ConnectToServer() {
  if (IsConnected()) return true;
  if (!OpenConnection()) return false;
  reader_.Reset();
  OnSocketOpened();
  OnConnected(true);
  return true;
}

bool CVasMetaClientFramed::ReceiveMeta(CVasMetaMessage* message) {
  if (!IsConnected()) return true;
  CEngineFrameHeader header;
  int read = reader_.Read(sock_, timings_.frameWaitMs, &CThread::IsStopRequested, static_cast<CThread*>(this),
                          &header, &message->text);
  if (read == CEngineFrameReader::kReadNothing) return true;
  // A stop shuts the connection down: that ending is no failure to report.
  if (read == CEngineFrameReader::kReadFailed && IsStopRequested()) return false;
  if (read == CEngineFrameReader::kReadFailed) {
    GATE_LOG(1, "ERROR - [%s] Error raised when receive response message\r\n", label_.c_str());
    FileLog(1, "[%s] Error raised when receive response message.\n", label_.c_str());
    return false;
  }
  if (read == CEngineFrameReader::kReadTooLong) {
    GATE_LOG(1, "ERROR - [%s] Message length %d is above %d bytes.\r\n", label_.c_str(), header.length,
             CMyHttp::kMaxBodySize);
    FileLog(1, "[%s] Message length %d is above %d bytes.\n", label_.c_str(), header.length, CMyHttp::kMaxBodySize);
    return false;
  }
  if (header.length <= 0) return true;
  OnBodyReceived();
  if (KeepsType(header.type)) {
    message->type = META_RESULT;
  } else {
    message->text.clear();
  }
  return true;
}
