// The AI event record as receivers parse it: the exact JSON of a batch, and
// what a record reads back from JSON.
#include "services/AIEventData.h"

#include <gtest/gtest.h>

#include "foundation/JsonSerializer.h"
#include "shell/ScopedTimeZone.h"

namespace {

TEST(AIEventData, ABatchIsOneArrayOfStringMembersInFieldOrder) {
  CAIEventData event;
  event.SetDEV_ID(12);
  event.SetEVT_ID(3);
  event.SetEVT_NM("Intrusion");
  event.SetEVT_TM("2026-12-10 10:00:00");
  CAIEventData crowd;
  crowd.SetDEV_ID(12);
  crowd.SetEVT_ID(4);
  crowd.SetEVT_NM("A/B");
  crowd.SetEVT_TM("2026-12-10 10:00:00");
  crowd.SetALARM(false);
  crowd.SetEVT_KIND(1);
  crowd.SetEVT_VALUE1("3");
  crowd.SetEVT_VALUE2("41.3");
  EXPECT_EQ(SerializeAIEvents({event}),
            "[{\"DEV_ID\":\"12\", \"EVT_ID\":\"3\", \"EVT_NM\":\"Intrusion\", \"EVT_TM\":\"2026-12-10 10:00:00\", "
            "\"ALARM\":\"1\", \"EVT_KIND\":\"0\", \"EVT_VALUE1\":\"\", \"EVT_VALUE2\":\"\"}]");
  EXPECT_EQ(SerializeAIEvents({event, crowd}),
            "[{\"DEV_ID\":\"12\", \"EVT_ID\":\"3\", \"EVT_NM\":\"Intrusion\", \"EVT_TM\":\"2026-12-10 10:00:00\", "
            "\"ALARM\":\"1\", \"EVT_KIND\":\"0\", \"EVT_VALUE1\":\"\", \"EVT_VALUE2\":\"\"}, "
            "{\"DEV_ID\":\"12\", \"EVT_ID\":\"4\", \"EVT_NM\":\"A\\/B\", \"EVT_TM\":\"2026-12-10 10:00:00\", "
            "\"ALARM\":\"0\", \"EVT_KIND\":\"1\", \"EVT_VALUE1\":\"3\", \"EVT_VALUE2\":\"41.3\"}]");
  EXPECT_EQ(SerializeAIEvents({}), "");
}

TEST(AIEventData, ReadsLowerCaseKeysAndAnAlarmOnlyFromTheTextOne) {
  struct Case {
    const char* json;
    int devId;
    bool alarm;
    std::string name;
  };
  const Case cases[] = {
      {"{\"DEV_ID\":\"12\", \"ALARM\":\"1\", \"EVT_NM\":\"x\"}", 12, true, "x"},
      {"{\"dev_id\":\"7\", \"alarm\":\"true\"}", 7, false, ""},
      {"{\"ALARM\":true}", 0, true, ""},  // a JSON true reaches the record as the text 1
      {"{}", 0, false, ""},
  };
  for (const Case& c : cases) {
    CAIEventData event;
    ASSERT_TRUE(CJsonSerializer::Deserialize(c.json, &event)) << c.json;
    EXPECT_EQ(event.GetDEV_ID(), c.devId) << c.json;
    EXPECT_EQ(event.GetALARM(), c.alarm) << c.json;
    EXPECT_EQ(event.GetEVT_NM(), c.name) << c.json;
  }
}

TEST(AIEventData, EventTimeIsTheLocalTimeOfTheInstant) {
  struct Case {
    const char* zone;
    const char* text;
  };
  const Case cases[] = {{"UTC", "2026-12-10 01:02:03"}, {"Asia/Seoul", "2026-12-10 10:02:03"}};
  for (const Case& c : cases) {
    ScopedTimeZone zone(c.zone);
    CAIEventData event;
    event.SetEventTime(1796864523);
    EXPECT_EQ(event.GetEVT_TM(), c.text) << c.zone;
  }
}

}  // namespace
