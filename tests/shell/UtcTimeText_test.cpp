#include "shell/UtcTimeText.h"

#include <gtest/gtest.h>

#include "ScopedTimeZone.h"

namespace {

// 2021-03-28 01:00:00 UTC: Berlin springs from 02:00 CET to 03:00 CEST.
constexpr int64_t kBerlinSpring = 1616893200;
// 2021-10-31 01:00:00 UTC: Berlin falls from 03:00 CEST back to 02:00 CET.
constexpr int64_t kBerlinAutumn = 1635642000;

TEST(UtcTimeText, ShowsUtcTextsInLocalTimeAcrossDaylightSavingChanges) {
  struct Case {
    const char* zone;
    const char* utc;
    const char* local;
  };
  const Case cases[] = {
      {"Europe/Berlin", "2021-03-28 00:30:00", "2021-03-28 01:30:00"},
      {"Europe/Berlin", "2021-03-28 01:00:00", "2021-03-28 03:00:00"},  // 02:xx does not exist locally
      {"Europe/Berlin", "2021-03-28 01:30:00", "2021-03-28 03:30:00"},
      {"Europe/Berlin", "2021-10-31 00:30:00", "2021-10-31 02:30:00"},  // CEST
      {"Europe/Berlin", "2021-10-31 01:30:00", "2021-10-31 02:30:00"},  // the repeated hour, CET
      {"Europe/Berlin", "2020-01-02 03:04:05", "2020-01-02 04:04:05"},
      {"Europe/Berlin", "2020-01-02 03:04:05.789", "2020-01-02 04:04:05"},
      {"Asia/Seoul", "2020-01-02 03:04:05", "2020-01-02 12:04:05"},
      {"Asia/Seoul", "2021-12-31 20:00:00", "2022-01-01 05:00:00"},
      {"UTC", "2021-03-28 01:30:00", "2021-03-28 01:30:00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.zone) + " " + c.utc);
    ScopedTimeZone zone(c.zone);
    EXPECT_EQ(UtcTimeTextToLocalText(c.utc), c.local);
  }
}

TEST(UtcTimeText, StoresEveryInstantOfTheRepeatedAndSkippedHoursExactly) {
  for (const char* zone : {"Europe/Berlin", "Asia/Seoul"}) {
    SCOPED_TRACE(zone);
    ScopedTimeZone tz(zone);
    for (int64_t base : {kBerlinSpring, kBerlinAutumn}) {
      for (int64_t offset = -5400; offset <= 5400; offset += 900) {
        int64_t instant = base + offset;
        std::string text = FormatUtcTimeText(instant);
        int64_t back = 0;
        ASSERT_TRUE(ParseUtcTimeText(text, &back)) << text;
        EXPECT_EQ(back, instant) << text;
        EXPECT_EQ(UtcTimeTextToTimeOrZero(text), instant) << text;
      }
    }
  }
  ScopedTimeZone berlin("Europe/Berlin");
  EXPECT_EQ(FormatUtcTimeText(kBerlinAutumn - 1800), "2021-10-31 00:30:00");
  EXPECT_EQ(FormatUtcTimeText(kBerlinAutumn + 1800), "2021-10-31 01:30:00");
}

TEST(UtcTimeText, TextsThatNameNoTimeGiveNothing) {
  ScopedTimeZone zone("Europe/Berlin");
  const char* texts[] = {"",
                         "2020-01-02",
                         "2021-03-04T05:06:07",
                         "2021-03-04 05:06",
                         "2021-13-04 05:06:07",
                         "2021-02-31 05:06:07",
                         "2021-03-04 24:00:00",
                         "2021-03-04 05:60:00",
                         "yesterday"};
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    int64_t seconds = 42;
    EXPECT_FALSE(ParseUtcTimeText(text, &seconds));
    EXPECT_EQ(seconds, 42);
    EXPECT_EQ(UtcTimeTextToLocalText(text), "");
    EXPECT_EQ(UtcTimeTextToTimeOrZero(text), 0);
  }
  // Before 1970: shown, but as a time value the job simply counts as due.
  EXPECT_EQ(UtcTimeTextToLocalText("1969-12-31 23:00:00"), "1970-01-01 00:00:00");
  EXPECT_EQ(UtcTimeTextToTimeOrZero("1969-12-31 23:00:00"), 0);
  EXPECT_EQ(UtcTimeTextToTimeOrZero("1970-01-01 00:00:01"), 1);
}

}  // namespace
