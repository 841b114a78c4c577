#include "analysis/VasMetaClientSKTAI.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <stdint.h>
#include <sys/socket.h>

#include "analysis/VARSerializerSKTAI.h"
#include "foundation/Log.h"

CVasMetaClientSKTAI::CVasMetaClientSKTAI(const CVasConnInfo& info, CVasMetaReceiver* receiver)
    : CVasMetaClientFramed(info, receiver, kHeaderSize, &DecodeHeader) {}

CVasMetaClientSKTAI::~CVasMetaClientSKTAI() {
  RequestStop();
  StopClient();
}

CEngineFrameHeader CVasMetaClientSKTAI::DecodeHeader(const unsigned char* header) {
  uint32_t length = static_cast<uint32_t>(header[0]) | static_cast<uint32_t>(header[1]) << 8 |
                    static_cast<uint32_t>(header[2]) << 16 | static_cast<uint32_t>(header[3]) << 24;
  return {0, static_cast<int32_t>(length)};
}

void CVasMetaClientSKTAI::OnSocketOpened() {
  int fd = sock_.socket;
  const int on = 1;
  const int idle = kKeepAliveIdleSeconds;
  const int interval = kKeepAliveIntervalSeconds;
  const int probes = kKeepAliveProbes;
  if (setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof(on)) != 0 ||
      setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof(idle)) != 0 ||
      setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof(interval)) != 0 ||
      setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof(probes)) != 0) {
    // The stream still works; only a vanished peer is found later.
    GATE_LOG(1, "ERROR - [%s] TCP keep-alive could not be set on the stream socket.\r\n", label_.c_str());
  }
}

CVasMetaClientBase::ReadOutcome CVasMetaClientSKTAI::ReadResult(char* text, int length, CVAR* result) {
  return CVARSerializerSKTAI::Deserialize(text, length, result) ? READ_DONE : READ_REFUSED;
}
