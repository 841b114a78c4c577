#include "foundation/DateTimeUtil.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

namespace {

SystemTime Make(int year, int month, int day, int hour, int minute, int second, int ms = 0, int dow = 0) {
  SystemTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  t.millisecond = ms;
  t.dayOfWeek = dow;
  return t;
}

class DateTimeUtil : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "KST-9", 1);
    tzset();
  }
};

TEST_F(DateTimeUtil, DateOrderFollowsTheFirstFieldOfTheFormat) {
  struct Case {
    const char* format;
    int order;
  } cases[] = {{"%Y-%m-%d", 1}, {"%m/%d/%Y", 2}, {"%d.%m.%Y", 3}, {"%e/%m/%y", 3}, {"%F", 1},
               {"%D", 2},       {"x%Y", 2},      {"", 2},          {nullptr, 2}};
  for (const Case& c : cases) EXPECT_EQ(DateOrderFromFormat(c.format), c.order) << (c.format ? c.format : "null");
  int order = GetSystemDateOrder();
  EXPECT_TRUE(order >= 1 && order <= 3);
}

TEST_F(DateTimeUtil, FormatsInEachOrder) {
  SystemTime t = Make(2021, 3, 4, 5, 6, 7, 890, 4);
  EXPECT_EQ(FormatDateTime(t, 1), "2021-03-04 05:06:07");
  EXPECT_EQ(FormatDateTime(t, 2), "03-04-2021 05:06:07");
  EXPECT_EQ(FormatDateTime(t, 3), "04-03-2021 05:06:07");
  EXPECT_EQ(FormatDateTime(t, 7), "");
  EXPECT_EQ(FormatDateTime(t, 0), FormatDateTime(t, GetSystemDateOrder()));
  EXPECT_EQ(FormatDateTimeText(t), "2021-03-04 05:06:07");
  EXPECT_EQ(FormatDateTimeText(SystemTime()), "0000-00-00 00:00:00");
}

TEST_F(DateTimeUtil, ParsesTheCompactForm) {
  struct Case {
    std::string text;
    bool ok;
    int ms;
  } cases[] = {{"20210304050607", true, 0}, {"20210304050607123", true, 123},
               {"2021030405060712", true, 0}, {"2021030405060", false, 0}};
  for (const Case& c : cases) {
    SystemTime t = Make(1, 1, 1, 1, 1, 1, 1, 6);
    ASSERT_EQ(ParseDateTime(&t, c.text, 0), c.ok) << c.text;
    if (!c.ok) {
      EXPECT_EQ(t, Make(1, 1, 1, 1, 1, 1, 1, 6));  // untouched
      continue;
    }
    EXPECT_EQ(t, Make(2021, 3, 4, 5, 6, 7, c.ms, 6)) << c.text;  // the day of the week is kept
  }
}

TEST_F(DateTimeUtil, ParsesDateAndTimeTexts) {
  SystemTime t;
  ASSERT_TRUE(ParseDateTime(&t, "2021-03-04 05:06:07.250", 1));
  EXPECT_EQ(t, Make(2021, 3, 4, 5, 6, 7, 250));
  ASSERT_TRUE(ParseDateTime(&t, "03-04-2021  05:06:07.5 extra", 2));
  EXPECT_EQ(t, Make(2021, 3, 4, 5, 6, 7, 5));  // ".5" is 5 ms, not 500
  ASSERT_TRUE(ParseDateTime(&t, "04-03-2021 05:06:07", 3));
  EXPECT_EQ(t, Make(2021, 3, 4, 5, 6, 7));
  EXPECT_FALSE(ParseDateTime(&t, "2021-03-04xxxxxx", 1));  // no time piece
  ASSERT_TRUE(ParseDateTime(&t, "2021-13-xx 99:00:00", 1));  // values are not checked
  EXPECT_EQ(t, Make(2021, 13, 0, 99, 0, 0));

  t = Make(9, 9, 9, 9, 9, 9, 9, 9);
  ASSERT_TRUE(ParseDateTimeParts(&t, nullptr, "10:11:12", 1));
  EXPECT_EQ(t, Make(0, 0, 0, 10, 11, 12));
  EXPECT_FALSE(ParseDateTimeParts(&t, "2021-03", nullptr, 1));
  EXPECT_FALSE(ParseDateTimeParts(&t, nullptr, "10:11", 1));
}

TEST_F(DateTimeUtil, ParseDateTimeTextWritesOnlyWhatTheTextHolds) {
  SystemTime t = Make(1, 1, 1, 1, 1, 1, 777, 5);
  ASSERT_EQ(ParseDateTimeText("2021-03-04 05:06:07", &t), 1);
  EXPECT_EQ(t, Make(2021, 3, 4, 5, 6, 7, 777, 5));
  ASSERT_EQ(ParseDateTimeText("2021-03-04 05:06:07.25", &t), 1);
  EXPECT_EQ(t.millisecond, 25);
  for (const char* bad : {"2021-03-04T05:06:07", "2021-03-04 05:06", "2021-03 05:06:07", "", "a b c"}) {
    SystemTime u = Make(1, 2, 3, 4, 5, 6, 7, 1);
    EXPECT_EQ(ParseDateTimeText(bad, &u), 0) << bad;
    EXPECT_EQ(u, Make(1, 2, 3, 4, 5, 6, 7, 1)) << bad;
  }
}

TEST_F(DateTimeUtil, ConvertsSecondsAndAddsAcrossTheYearEnd) {
  SystemTime t;
  TimeToSystemTime(0, &t);
  EXPECT_EQ(t, Make(1970, 1, 1, 9, 0, 0, 0, 4));  // KST is UTC+9
  SystemTime out;
  AddSecondsToSystemTime(Make(2021, 12, 31, 23, 59, 30, 500), &out, 45);
  EXPECT_EQ(out, Make(2022, 1, 1, 0, 0, 15, 0, 6));
  AddSecondsToSystemTime(Make(2022, 1, 1, 0, 0, 15), &out, -45);
  EXPECT_EQ(out, Make(2021, 12, 31, 23, 59, 30, 0, 5));
  AddSecondsToSystemTime(Make(1899, 1, 1, 0, 0, 0), &out, 60);  // before 1900: from the epoch
  EXPECT_EQ(out, Make(1970, 1, 1, 9, 1, 0, 0, 4));
}

TEST_F(DateTimeUtil, SplitsPathsIntoFolderAndFileName) {
  struct Case {
    std::string path, folder, file;
  } cases[] = {
      {"/opt/gate/TorvaneGateManager", "/opt/gate/", "TorvaneGateManager"},
      {"x.exe", "", "x.exe"},
      {"/opt/gate/", "/opt/gate/", ""},
      {"sub/x.log", "sub/", "x.log"},  // a relative folder stays relative
      {"", "", ""},
  };
  for (const Case& c : cases) {
    std::string folder = "?", file = "?";
    EXPECT_TRUE(GetFolderPart(c.path, &folder));
    EXPECT_TRUE(GetFileNamePart(c.path, &file));
    EXPECT_EQ(folder, c.folder) << c.path;
    EXPECT_EQ(file, c.file) << c.path;
  }
}

}  // namespace
