#include "foundation/FileLogger.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <string>
#include <vector>

#include "platform/Folders.h"
#include "support/TempDir.h"

namespace {

class FileLoggerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "KST-9", 1);
    tzset();
    clock_ = std::make_shared<platform::ManualClock>();
    clock_->SetLocal(2024, 3, 31, 14, 3, 27);
    folder_ = dir_.Join("logs/vrcv");
  }
  std::string Stamp(int year, int month, int day, int hour, int minute, int second) {
    SystemTime t;
    t.year = year, t.month = month, t.day = day, t.hour = hour, t.minute = minute, t.second = second;
    return FormatDateTime(t, kDateOrderYmd);
  }
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (const auto& entry : platform::ListFolder(folder_)) names.push_back(entry.name);
    return names;
  }

  TempDir dir_;
  std::string folder_;
  std::shared_ptr<platform::ManualClock> clock_;
};

TEST_F(FileLoggerTest, WritesNothingBeforeOpen) {
  CFileLogger logger(clock_);
  logger.Info("INFO - %s\n", "dropped");
  logger.Write(1, "dropped\n");
  EXPECT_FALSE(logger.IsOpen());
  EXPECT_FALSE(platform::IsFolder(folder_));
}

TEST_F(FileLoggerTest, LinesCarryTheStampAndTagThatAreOn) {
  struct Case {
    bool stamps, tags;
    int level;
    std::string prefix;  // what comes before the text
  } cases[] = {
      {true, true, 1, "[ERROR] : "},
      {true, true, 2, "[WARN] : "},
      {true, true, 3, "[INFO] : "},
      {true, true, 7, ": "},
      {false, true, 1, "[ERROR] : "},
      {false, false, 1, ""},
  };
  for (const Case& c : cases) {
    TempDir dir;
    CFileLogger logger(clock_);
    logger.SetPrefix("VRCV");
    logger.SetTimeStamps(c.stamps);
    logger.SetLevelTags(c.tags);
    logger.SetAutoRemove(false);
    ASSERT_TRUE(logger.Open(dir.path()));
    logger.Write(c.level, "text\n");
    logger.Close();
    std::string stamp = c.stamps ? Stamp(2024, 3, 31, 14, 3, 27) + " " : "";
    EXPECT_EQ(ReadTestFile(dir.Join("VRCV_20240331.txt")), stamp + c.prefix + "text\n") << c.level;
  }
}

// Under the C locale the stamp followed the locale's month-first order
// ("01-31-2024"); it is year first in every locale.
TEST_F(FileLoggerTest, StampIsYearFirstInEveryLocale) {
  for (const char* locale : {"C", "en_US.UTF-8", "de_DE.UTF-8", "ko_KR.UTF-8"}) {
    const char* saved = getenv("LC_ALL");
    std::string restore = saved ? saved : "";
    setenv("LC_ALL", locale, 1);
    clock_->SetLocal(2024, 1, 31, 14, 3, 27);
    TempDir dir;
    CFileLogger logger(clock_);
    logger.SetAutoRemove(false);
    ASSERT_TRUE(logger.Open(dir.path()));
    logger.Write(1, "text\n");
    logger.Close();
    if (saved) {
      setenv("LC_ALL", restore.c_str(), 1);
    } else {
      unsetenv("LC_ALL");
    }
    EXPECT_EQ(ReadTestFile(dir.Join("20240131.txt")), "2024-01-31 14:03:27 [ERROR] : text\n") << locale;
  }
}

TEST_F(FileLoggerTest, FirstLineOfANewDayGoesToTheNewFile) {
  CFileLogger logger(clock_);
  logger.SetPrefix("VRCV");
  ASSERT_TRUE(logger.Open(folder_));
  logger.Error("ERROR - code %d\n", 5);
  clock_->SetLocal(2024, 4, 1, 0, 0, 1);
  logger.Info("INFO - next day\n");
  logger.Close();
  EXPECT_EQ(ReadTestFile(folder_ + "/VRCV_20240331.txt"), Stamp(2024, 3, 31, 14, 3, 27) + " [ERROR] : ERROR - code 5\n");
  EXPECT_EQ(ReadTestFile(folder_ + "/VRCV_20240401.txt"), Stamp(2024, 4, 1, 0, 0, 1) + " [INFO] : INFO - next day\n");
  SystemTime day;
  day.year = 2024, day.month = 1, day.day = 31;
  EXPECT_EQ(logger.GetFilePath(day), folder_ + "/VRCV_20240131.txt");
}

TEST_F(FileLoggerTest, FlushIntervalKeepsLinesPendingUntilDue) {
  CFileLogger logger(clock_);
  logger.SetPrefix("VRCV");
  logger.SetFlushInterval(60);
  logger.SetTimeStamps(false);
  logger.SetLevelTags(false);
  ASSERT_TRUE(logger.Open(folder_));
  std::string path = folder_ + "/VRCV_20240331.txt";
  logger.Write(3, "one\n");
  clock_->AdvanceMillis(59000);
  logger.Write(3, "two\n");
  EXPECT_EQ(ReadTestFile(path), "");  // still in the stream's buffer
  logger.Flush();
  EXPECT_EQ(ReadTestFile(path), "one\ntwo\n");
  logger.Write(3, "three\n");
  clock_->AdvanceMillis(1000);  // 60 s since the last flush
  logger.Write(3, "four\n");
  EXPECT_EQ(ReadTestFile(path), "one\ntwo\nthree\nfour\n");
  logger.Write(3, "five\n");
  logger.Close();
  EXPECT_EQ(ReadTestFile(path), "one\ntwo\nthree\nfour\nfive\n");
}

TEST_F(FileLoggerTest, RemoverKeepsTheLastThirtyDaysByDefault) {
  ASSERT_TRUE(platform::CreateFolderTree(folder_));
  for (const char* name : {"VRCV_20240229.txt", "VRCV_20240301.txt", "VRCV_20240315.txt", "VRCV_20231231.txt",
                           "VRCV_2024022.txt", "OTHER_20200101.txt", "VRCV_20240101.log", "VRCV_x_20200101.txt"})
    ASSERT_TRUE(WriteTestFile(folder_ + "/" + name, "x"));
  CFileLogger logger(clock_);
  logger.SetPrefix("VRCV");
  ASSERT_TRUE(logger.Open(folder_));  // 31 March: keeps 1 to 31 March
  ASSERT_TRUE(logger.WaitForRemover(30));
  EXPECT_EQ(Files(), (std::vector<std::string>{"OTHER_20200101.txt", "VRCV_20240101.log", "VRCV_2024022.txt",
                                               "VRCV_20240301.txt", "VRCV_20240315.txt", "VRCV_20240331.txt",
                                               "VRCV_x_20200101.txt"}));
}

TEST_F(FileLoggerTest, RemoverHonoursKeepDaysAndAPrefixWithAnUnderscoreProtectsEverything) {
  ASSERT_TRUE(platform::CreateFolderTree(folder_));
  for (const char* name : {"A_B_20240101.txt", "A_B_20240330.txt", "20240329.txt", "20240330.txt"})
    ASSERT_TRUE(WriteTestFile(folder_ + "/" + name, "x"));
  {
    CFileLogger logger(clock_);
    logger.SetPrefix("A_B");
    ASSERT_TRUE(logger.Open(folder_));
    ASSERT_TRUE(logger.WaitForRemover(30));
  }
  {
    CFileLogger logger(clock_);  // no prefix: "yyyymmdd.txt"
    logger.SetKeepDays(1);
    ASSERT_TRUE(logger.Open(folder_));
    ASSERT_TRUE(logger.WaitForRemover(30));
  }
  EXPECT_EQ(Files(), (std::vector<std::string>{"20240330.txt", "20240331.txt", "A_B_20240101.txt",
                                               "A_B_20240330.txt", "A_B_20240331.txt"}));
}

TEST_F(FileLoggerTest, OpenFailsWhenTheFileCannotBeCreated) {
  ASSERT_TRUE(WriteTestFile(dir_.Join("plain"), "x"));
  CFileLogger logger(clock_);
  logger.SetAutoRemove(false);
  EXPECT_FALSE(logger.Open(dir_.Join("plain/sub")));
  EXPECT_FALSE(logger.IsOpen());
}

}  // namespace
