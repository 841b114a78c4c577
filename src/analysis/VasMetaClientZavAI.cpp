#include "analysis/VasMetaClientZavAI.h"

#include <vector>

#include "analysis/NameCodes.h"
#include "analysis/VARSerializer.h"
#include "analysis/VARSerializerZavAI.h"

namespace {

constexpr CNameCode kZavEventTypes[] = {{"Intrusion", 100009}, {"Loitering", 100004}};

}  // namespace

CVasMetaClientZavAI::CVasMetaClientZavAI(const CVasConnInfo& info, CVasMetaReceiver* receiver)
    : CVasMetaClientTorvane(info, receiver) {}

CVasMetaClientZavAI::~CVasMetaClientZavAI() {
  RequestStop();
  StopClient();
}

int CVasMetaClientZavAI::GetEventTypeCode(std::string_view name) { return CodeOfName(kZavEventTypes, name, -1); }

std::string CVasMetaClientZavAI::MakeRequestBody() const {
  return std::string(Thumbnail ? "thumbnail=1" : "thumbnail=0") + ChannelField();
}

int CVasMetaClientZavAI::KeptMessageType(const char* text) const {
  return CVARSerializerZavAI::GetMessageType(text) == VAR_MESSAGE_RESULT ? META_RESULT : META_NONE;
}

CVasMetaClientBase::ReadOutcome CVasMetaClientZavAI::ReadResult(char* text, int length, CVAR* result) {
  std::vector<std::string> names;
  if (!CVARSerializerZavAI::Deserialize(text, length, result, &names)) return READ_REFUSED;
  for (size_t i = 0; i < names.size() && i < result->Events.size(); ++i)
    result->Events[i].AIEventType = GetEventTypeCode(names[i]);
  return READ_DONE;
}
