#include "services/AIEventData.h"

#include "foundation/DateTimeUtil.h"
#include "foundation/JsonSerializer.h"

void CAIEventData::SetEventTime(int64_t seconds) {
  SystemTime time;
  TimeToSystemTime(seconds, &time);
  time.millisecond = 0;
  SetEVT_TM(FormatDateTimeText(time));
}

std::string SerializeAIEvents(const std::vector<CAIEventData>& events) {
  CSerializationInfo root;
  root.SetArray(true);
  SerializeItems(root, events);
  std::string json;
  CJsonSerializer::Serialize(root, &json);
  return json;
}
