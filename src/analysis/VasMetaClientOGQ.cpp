#include "analysis/VasMetaClientOGQ.h"

#include <stdint.h>

#include <string>

#include "analysis/NameCodes.h"
#include "analysis/VARSerializerOGQ.h"
#include "foundation/Log.h"

namespace {

constexpr CNameCode kOgqEventTypes[] = {
    {"leak", 100001},     {"fire", 100002},       {"invasion", 100003}, {"loitering", 100004},
    {"collapse", 100005}, {"handaction", 100006}, {"shock", 100007},    {"helmet", 100008},
};

int32_t BigEndianWord(const unsigned char* bytes) {
  return static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
                              static_cast<uint32_t>(bytes[2]) << 8 | static_cast<uint32_t>(bytes[3]));
}

}  // namespace

CVasMetaClientOGQ::CVasMetaClientOGQ(const CVasConnInfo& info, CVasMetaReceiver* receiver)
    : CVasMetaClientFramed(info, receiver, kHeaderSize, &DecodeHeader) {}

CVasMetaClientOGQ::~CVasMetaClientOGQ() {
  RequestStop();
  StopClient();
}

int CVasMetaClientOGQ::GetEventTypeCode(std::string_view name) { return CodeOfName(kOgqEventTypes, name, -1); }

CEngineFrameHeader CVasMetaClientOGQ::DecodeHeader(const unsigned char* header) {
  return {BigEndianWord(header + 4), BigEndianWord(header + 8)};
}

CVasMetaClientBase::ReadOutcome CVasMetaClientOGQ::ReadResult(char* text, int length, CVAR* result) {
  int camera = 0;
  std::string name;
  if (!CVARSerializerOGQ::Deserialize(text, length, result, &camera, &name)) return READ_REFUSED;
  auto found = connInfo_.CameraChannels.find(camera);
  if (found == connInfo_.CameraChannels.end()) {
    GATE_LOG(3, "INFO - [%s] Not found device channel no with key=%d\r\n", label_.c_str(), camera);
    FileLog(3, "INFO - [%s] Not found device channel no with key=%d\r\n", label_.c_str(), camera);
    return READ_DROPPED;
  }
  result->Channel = found->second;
  result->AIEventType = GetEventTypeCode(name);
  return READ_DONE;
}
