#include "foundation/GenericLogger.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "foundation/Log.h"
#include "foundation/StrList.h"
#include "platform/Folders.h"
#include "platform/ProgramFolder.h"
#include "support/TempDir.h"

namespace {

constexpr int kFileAndDebug = LOG_OUTPUT_DEBUGGER | LOG_OUTPUT_FILE | LOG_OUTPUT_FUNCTION;

class GenericLoggerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "KST-9", 1);  // a fixed zone ahead of UTC: local midnight is not UTC midnight
    tzset();
    clock_ = std::make_shared<platform::ManualClock>();
    clock_->SetLocal(2024, 3, 31, 14, 3, 27, 512);
    logger_ = std::make_unique<CGenericLogger>("Gate.exe", "  " + dir_.Join("Log") + " ", clock_);
    debugPath_ = dir_.Join("debug.txt");
    debugFd_ = open(debugPath_.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    logger_->SetDebugOutputFd(debugFd_);
  }
  void TearDown() override {
    logger_.reset();
    close(debugFd_);
  }

  std::string FileOf(const char* day) { return ReadTestFile(dir_.Join("Log/") + day + "/Gate.exe.log"); }
  std::string Debug() { return ReadTestFile(debugPath_); }

  TempDir dir_;
  std::shared_ptr<platform::ManualClock> clock_;
  std::unique_ptr<CGenericLogger> logger_;
  std::string debugPath_;
  int debugFd_ = -1;
};

TEST_F(GenericLoggerTest, SplitsTextIntoStampedLinesAndDropsEmptyPieces) {
  logger_->SetLevelFlags(1, kFileAndDebug);
  logger_->Write(1, "/src/a.cpp", 10, "CApp::InitInstance", "first\r\n\r\nsecond\r\n");
  logger_->Write(1, "/src/a.cpp", 11, "CApp::InitInstance", "\r\n");
  EXPECT_EQ(FileOf("20240331"),
            "[14:03:27.512][CApp::InitInstance]first\r\n"
            "[14:03:27.512][CApp::InitInstance]second\r\n");
  EXPECT_EQ(Debug(), "[CApp::InitInstance] first\r\n[CApp::InitInstance] second\r\n");
}

TEST_F(GenericLoggerTest, OutputBitsDecorateTheLines) {
  struct Case {
    int flags;
    std::string file, debug;
  } cases[] = {
      {LOG_OUTPUT_FILE, "[14:03:27.512]t\r\n", ""},
      {LOG_OUTPUT_DEBUGGER, "", "t\r\n"},
      {LOG_OUTPUT_DEBUGGER | LOG_OUTPUT_TIME | LOG_OUTPUT_NAME, "", "[14:03:27.512]Gate.exe:  t\r\n"},
      {LOG_OUTPUT_FILE | LOG_OUTPUT_DEBUGGER | LOG_OUTPUT_SOURCE | LOG_OUTPUT_LAST_ERROR,
       "[14:03:27.512]t(File:a.cpp(7))(Err:13)\r\n", "t(File:a.cpp(7))(Err:13)\r\n"},
  };
  for (const Case& c : cases) {
    unlink((dir_.Join("Log/20240331/Gate.exe.log")).c_str());
    ftruncate(debugFd_, 0);
    CGenericLogger logger("Gate.exe", dir_.Join("Log"), clock_);
    logger.SetDebugOutputFd(debugFd_);
    logger.SetLevelFlags(1, c.flags);
    logger.Write(1, "/x/a.cpp", 7, "F::G", "t", 13);
    EXPECT_EQ(FileOf("20240331"), c.file) << c.flags;
    EXPECT_EQ(Debug(), c.debug) << c.flags;
  }
}

TEST_F(GenericLoggerTest, LevelsWithoutOutputCreateNothing) {
  logger_->SetLevelFlags(1, LOG_OUTPUT_FUNCTION);
  logger_->Write(1, "f", 1, "F", "text\r\n");
  logger_->Write(2, "f", 1, "F", "text\r\n");  // no entry at all
  logger_->SetLevelFlags(1, LOG_OUTPUT_DEBUGGER | LOG_OUTPUT_FUNCTION);
  logger_->Write(1, "f", 1, "F", "to stderr only\r\n");
  EXPECT_FALSE(platform::IsFolder(dir_.Join("Log")));
  EXPECT_EQ(Debug(), "[F] to stderr only\r\n");
  EXPECT_EQ(logger_->GetLevelFlags(2), 0);
}

TEST_F(GenericLoggerTest, DebugLineIsCutAt510Characters) {
  logger_->SetLevelFlags(1, LOG_OUTPUT_DEBUGGER);
  logger_->Write(1, "f", 1, "F", std::string(600, 'x'));
  EXPECT_EQ(Debug(), std::string(510, 'x') + "\r\n");
}

TEST_F(GenericLoggerTest, StopsWritingAtTheSizeCapUntilTheNextDay) {
  ASSERT_TRUE(platform::CreateFolderTree(dir_.Join("Log/20240331")));
  std::string path = dir_.Join("Log/20240331/Gate.exe.log");
  ASSERT_TRUE(WriteTestFile(path, ""));
  ASSERT_EQ(truncate(path.c_str(), CGenericLogger::kFileSizeCap - 1), 0);
  logger_->SetLevelFlags(1, LOG_OUTPUT_FILE);
  logger_->Write(1, "f", 1, "F", std::string(100, 'y'));  // below the cap: taken whole
  logger_->Write(1, "f", 1, "F", "dropped");
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_size, CGenericLogger::kFileSizeCap - 1 + 14 + 100 + 2);
  clock_->SetLocal(2024, 4, 1, 0, 0, 0, 5);
  logger_->Write(1, "f", 1, "F", "next day");
  EXPECT_EQ(FileOf("20240401"), "[00:00:00.005]next day\r\n");
}

TEST_F(GenericLoggerTest, RestartOnTheSameDayAppends) {
  logger_->SetLevelFlags(1, LOG_OUTPUT_FILE);
  logger_->Write(1, "f", 1, "F", "one");
  logger_ = std::make_unique<CGenericLogger>("Gate.exe", dir_.Join("Log"), clock_);
  logger_->SetLevelFlags(1, LOG_OUTPUT_FILE);
  logger_->Write(1, "f", 1, "F", "two");
  EXPECT_EQ(FileOf("20240331"), "[14:03:27.512]one\r\n[14:03:27.512]two\r\n");
}

// Dated folders, each holding this logger's file unless the name says otherwise.
void MakeDatedFolders(const TempDir& dir, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    ASSERT_TRUE(platform::CreateFolderTree(dir.Join("Log/" + name)));
    ASSERT_TRUE(WriteTestFile(dir.Join("Log/" + name + "/Gate.exe.log"), "old\r\n"));
  }
}

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : platform::ListFolder(folder)) names.push_back(entry.name);
  return names;
}

TEST_F(GenericLoggerTest, FirstLineAfterMidnightMovesToTheNewDayAndRemovesFoldersOf60DaysAgo) {
  logger_->SetLevelFlags(1, LOG_OUTPUT_FILE);
  logger_->Write(1, "f", 1, "F", "before midnight");  // first pass: cut-off 31 Jan
  ASSERT_TRUE(logger_->WaitForCleanup(30000));
  // On 1 April (KST) the folders of 1 Feb and earlier go; 2 Feb to 1 April stay.
  MakeDatedFolders(dir_, {"20240131", "20240201", "20240202", "2024020", "19691231", "abcd0101",
                          "20240201extra"});
  ASSERT_TRUE(platform::CreateFolderTree(dir_.Join("Log/20240115")));  // without this logger's file
  ASSERT_TRUE(WriteTestFile(dir_.Join("Log/20240115/Other.log"), "x"));
  clock_->SetLocal(2024, 3, 31, 23, 59, 59, 999);
  logger_->Write(1, "f", 1, "F", "same day: no new pass");
  ASSERT_TRUE(logger_->WaitForCleanup(30000));
  EXPECT_TRUE(platform::IsFolder(dir_.Join("Log/20240201")));
  clock_->SetLocal(2024, 4, 1, 0, 0, 0, 1);
  logger_->Write(1, "f", 1, "F", "after midnight");
  ASSERT_TRUE(logger_->WaitForCleanup(30000));
  EXPECT_EQ(FolderNames(dir_.Join("Log")),
            (std::vector<std::string>{"19691231", "20240115", "2024020", "20240202", "20240331",
                                      "20240401", "abcd0101"}));
  EXPECT_EQ(FileOf("20240331"), "[14:03:27.512]before midnight\r\n[23:59:59.999]same day: no new pass\r\n");
  EXPECT_EQ(FileOf("20240401"), "[00:00:00.001]after midnight\r\n");
}

TEST_F(GenericLoggerTest, AFolderNamedWithMonth13EndsThePass) {
  MakeDatedFolders(dir_, {"20230101", "20231301", "20231401"});
  MakeDatedFolders(dir_, {"20240101"});  // sorts after the bad name: left for the next day
  logger_->SetLevelFlags(1, LOG_OUTPUT_FILE);
  logger_->Write(1, "f", 1, "F", "x");
  ASSERT_TRUE(logger_->WaitForCleanup(30000));
  EXPECT_EQ(FolderNames(dir_.Join("Log")),
            (std::vector<std::string>{"20231301", "20231401", "20240101", "20240331"}));
}

TEST_F(GenericLoggerTest, LinesOfManyThreadsNeverMix) {
  logger_->SetLevelFlags(1, LOG_OUTPUT_FILE);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < 200; ++i) logger_->Write(1, "f", 1, "F", std::string(50 + t, 'a' + t) + "\r\nend");
    });
  }
  for (auto& thread : threads) thread.join();
  CStrList lines;
  ASSERT_EQ(lines.Split(FileOf("20240331"), "\r\n"), 8 * 200 * 2);
  for (int i = 0; i < lines.GetCount(); i += 2) {
    const std::string& line = lines.GetAt(i);
    ASSERT_GT(line.size(), 14u);
    char c = line[14];
    EXPECT_EQ(line, "[14:03:27.512]" + std::string(50 + (c - 'a'), c));
    EXPECT_EQ(lines.GetAt(i + 1), "[14:03:27.512]end");  // the lines of one text stay together
  }
}

class Sample {
 public:
  void Run(CGenericLogger* logger) { GATE_LOG_TO(logger, 1, "INFO - '%s' (%u) ready.\r\n", "pool", 3u); }
  static void Static(CGenericLogger* logger) { WriteLogAtLoggerLevelFor(logger); }
  static void WriteLogAtLoggerLevelFor(CGenericLogger* logger) {
    GATE_LOG_SITE_(logger);
    WriteLogAtLoggerLevel(gate_log_site_, "ERROR - code %d\r\n", -5);
  }
};

TEST_F(GenericLoggerTest, LogCallCarriesClassAndMethodName) {
  logger_->SetLevelFlags(1, LOG_OUTPUT_FILE | LOG_OUTPUT_FUNCTION);
  logger_->SetLevelFlags(3, LOG_OUTPUT_FILE | LOG_OUTPUT_FUNCTION);
  Sample().Run(logger_.get());
  Sample::Static(logger_.get());
  EXPECT_EQ(FileOf("20240331"),
            "[14:03:27.512][{anonymous}::Sample::Run]INFO - 'pool' (3) ready.\r\n"
            "[14:03:27.512][{anonymous}::Sample::WriteLogAtLoggerLevelFor]ERROR - code -5\r\n");
}

TEST(LogFunctionName, TakesClassAndMethodFromTheSignature) {
  struct Case {
    const char* pretty;
    const char* name;
  } cases[] = {
      {"void CApp::InitInstance()", "CApp::InitInstance"},
      {"static int CPool::AddJob(const char*, unsigned int)", "CPool::AddJob"},
      {"const char* CThread::GetName() const", "CThread::GetName"},
      {"CQueue<T>::CQueue(int) [with T = int]", "CQueue<T>::CQueue"},
      {"std::map<int, int> Foo::Bar(std::map<int, int>)", "Foo::Bar"},
      {"CApp::Run()::<lambda()>", "CApp::Run"},
      {"void Functor::operator()()", "Functor::operator()"},
      {"int main()", "main"},
      {"void {anonymous}::Sample::Run()", "{anonymous}::Sample::Run"},
      {"void (anonymous namespace)::Sample::Run(const std::string &)", "{anonymous}::Sample::Run"},
      {"auto CApp::Run()::(anonymous class)::operator()() const", "CApp::Run"},
  };
  for (const Case& c : cases) {
    const char* name = LogFunctionName(c.pretty);
    EXPECT_STREQ(name, c.name) << c.pretty;
    free(const_cast<char*>(name));
  }
}

// Runs in a child process: the process logger exists once per process.
void UseProcessLoggerAndExit(const std::string& folder) {
  setenv("TZ", "UTC", 1);
  tzset();
  platform::SetProgramFolderOverride(folder);
  GATE_LOG(1, "INFO - nothing before the levels are set\r\n");
  if (platform::IsFolder(folder + "/Log")) _exit(1);
  SetProcessLogLevels(1);
  GATE_LOG(2, "INFO - level 2 is never written\r\n");
  GATE_LOG(1, "Start Program -----------------------------------------\r\n");
  DestroyProcessLogger();
  GATE_LOG(1, "after\r\n");
  if (GetProcessLogger() != nullptr) _exit(2);
  auto days = platform::ListFolder(folder + "/Log");
  if (days.size() != 1) _exit(3);
  std::string text =
      ReadTestFile(folder + "/Log/" + days[0].name + "/" + platform::GetProgramFileName() + ".log");
  if (text.find("\r\n") != text.size() - 2) _exit(4);
  if (text.find("UseProcessLoggerAndExit]Start Program ---") == std::string::npos) _exit(5);
  _exit(0);
}

TEST(ProcessLogger, WritesUnderTheProgramFolderAndNothingAfterDestruction) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TempDir dir;
  EXPECT_EXIT(UseProcessLoggerAndExit(dir.path()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
