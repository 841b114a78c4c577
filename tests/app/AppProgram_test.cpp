// The start-up and shut-down code in a running program of its own
// (program/AppTestProgram.cpp), started from a temporary program folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Folders.h"
#include "shell/InstanceChannel.h"
#include "support/ProgramUnderTest.h"
#include "support/TempDir.h"

namespace {

constexpr const char* kProgram = "TorvaneGateManager";

class AppProgram : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(program_.ok()); }

  std::string Path(const std::string& relative) const { return dir_.Join(relative); }

  // A watchdog that appends its arguments to watchdog-args.txt and its pid to watchdog-pids.txt.
  void AddWatchdog() {
    ASSERT_TRUE(WriteTestFile(Path("Watchdog"),
                              "#!/bin/sh\ncd \"$(dirname \"$0\")\"\n"
                              "line=''; for a in \"$@\"; do line=\"$line[$a]\"; done\n"
                              "echo \"$line\" >> watchdog-args.txt\necho $$ >> watchdog-pids.txt\n"));
    chmod(Path("Watchdog").c_str(), 0755);
  }

  pid_t Start(const std::vector<std::string>& args) { return program_.Start(args); }
  int WaitForEnd(pid_t pid) { return program_.WaitForEnd(pid); }

  // Starts a first instance and waits until it listens.
  pid_t StartFirst(const std::vector<std::string>& args = {}) {
    pid_t pid = Start(args);
    EXPECT_GT(pid, 0);
    EXPECT_TRUE(WaitUntil([&] { return PathExists(Path("ready")); })) << "the first instance never got ready";
    return pid;
  }

  // Every line of the day folders' log files.
  std::string Log() const {
    std::string all;
    for (const auto& day : platform::ListFolder(Path("Log"))) {
      for (const auto& file : platform::ListFolder(Path("Log/" + day.name))) {
        all += ReadTestFile(Path("Log/" + day.name + "/" + file.name));
      }
    }
    return all;
  }

  static size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }

  std::vector<std::string> Names(const std::string& folder, const std::string& prefix) const {
    std::vector<std::string> names;
    for (const auto& e : platform::ListFolder(Path(folder))) {
      if (e.name.compare(0, prefix.size(), prefix) == 0) names.push_back(e.name);
    }
    return names;
  }

  TempDir dir_;
  ProgramUnderTest program_{GATE_APP_TEST_PROGRAM, dir_.path(), kProgram};
};

TEST_F(AppProgram, TerminationSignalsEndItCleanly) {
  for (int sig : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(sig);
    for (const char* name : {"ready", "watchdog-args.txt", "watchdog-pids.txt"}) unlink(Path(name).c_str());
    AddWatchdog();
    pid_t pid = StartFirst({"-start", "-hide"});
    EXPECT_EQ(ReadTestFile(Path("ready")), "start=1 hide=1 watchdog=0 next-job-id=42\n");

    std::string safeFile = Path("safe_" + std::to_string(pid));
    EXPECT_EQ(ReadTestFile(safeFile), Path(kProgram)) << "the program's full path, no line end";
    ASSERT_TRUE(WaitUntil([&] { return PathExists(Path("watchdog-pids.txt")); }));
    EXPECT_EQ(ReadTestFile(Path("watchdog-args.txt")), "[TorvaneGateManager][-v][1]\n");
    // The watchdog ended at once: it must not linger as a zombie.
    std::string watchdogPid = ReadTestFile(Path("watchdog-pids.txt"));
    watchdogPid.pop_back();
    EXPECT_TRUE(WaitUntil([&] { return !PathExists("/proc/" + watchdogPid); }))
        << "watchdog " << watchdogPid << " not reaped";
    EXPECT_EQ(Count(Log(), "Start Program -----------------------------------------"), sig == SIGTERM ? 1u : 2u);

    kill(pid, sig);
    int status = WaitForEnd(pid);
    EXPECT_TRUE(EndedCleanly(status)) << DescribeWaitStatus(status);
    EXPECT_FALSE(PathExists(safeFile)) << "an orderly end removes the safe file";
    EXPECT_EQ(Count(Log(), "Stop Program -----------------------------------------"), sig == SIGTERM ? 1u : 2u);
  }
}

TEST_F(AppProgram, WithoutWatchdogThereIsNoSafeFile) {
  pid_t pid = StartFirst();
  EXPECT_EQ(ReadTestFile(Path("ready")), "start=0 hide=0 watchdog=0 next-job-id=42\n");
  EXPECT_TRUE(Names("", "safe_").empty());
  kill(pid, SIGTERM);
  int status = WaitForEnd(pid);
  EXPECT_TRUE(EndedCleanly(status)) << DescribeWaitStatus(status);
}

// A watchdog that cannot run reads no safe file: none is written, and the
// failed start is logged.
TEST_F(AppProgram, AWatchdogThatCannotRunGetsNoSafeFileAndIsLogged) {
  ASSERT_TRUE(WriteTestFile(Path("Watchdog"), "#!/bin/sh\nexit 0\n"));
  chmod(Path("Watchdog").c_str(), 0644);
  pid_t pid = StartFirst();
  EXPECT_TRUE(Names("", "safe_").empty());
  EXPECT_NE(Log().find("ERROR - The watchdog '" + Path("Watchdog") + "' cannot be started"), std::string::npos)
      << Log();
  kill(pid, SIGTERM);
  int status = WaitForEnd(pid);
  EXPECT_TRUE(EndedCleanly(status)) << DescribeWaitStatus(status);
}

// Shut-down writes the settings while the log is open, so a failed write
// reaches the log before "Stop Program"; start-up names the language folder
// it searched in vain.
TEST_F(AppProgram, AFailedSettingsWriteAndMissingLanguageFilesAreLogged) {
  pid_t pid = StartFirst({"--settings-unwritable"});
  kill(pid, SIGTERM);
  int status = WaitForEnd(pid);
  EXPECT_TRUE(EndedCleanly(status)) << DescribeWaitStatus(status);
  std::string log = Log();
  size_t failed = log.find("ERROR - The application settings cannot be written to '" +
                           Path("Settings/AppSettings.xml") + "'");
  ASSERT_NE(failed, std::string::npos) << log;
  EXPECT_LT(failed, log.find("Stop Program")) << log;
  EXPECT_NE(log.find("ERROR - No language file could be read in '" + Path("Language") + "'"), std::string::npos)
      << log;
}

TEST_F(AppProgram, SecondInstanceHandsOverAndEnds) {
  AddWatchdog();
  pid_t first = StartFirst({"-hide"});

  struct Case {
    std::vector<std::string> args;
    bool shows;
  } cases[] = {
      {{}, true},
      {{"ByWatchdog=1"}, false},
      {{"-start"}, true},
      {{"ByWatchdog=5", "-hide"}, false},
  };
  size_t shown = 0;
  for (const Case& c : cases) {
    pid_t second = Start(c.args);
    int status = WaitForEnd(second);
    EXPECT_TRUE(EndedCleanly(status)) << DescribeWaitStatus(status);
    EXPECT_FALSE(PathExists(Path("safe_" + std::to_string(second)))) << "the second instance's safe file is removed";
    if (c.shows) {
      ++shown;
      EXPECT_TRUE(WaitUntil([&] { return Count(ReadTestFile(Path("commands.txt")), "command 32771\n") == shown; }));
    }
  }
  // Only the instances started by hand sent the show command: a later one's
  // command arrives after any earlier one's, so the count is final.
  EXPECT_EQ(ReadTestFile(Path("commands.txt")), "command 32771\ncommand 32771\n");
  // Neither started another watchdog or logged.
  EXPECT_EQ(Count(ReadTestFile(Path("watchdog-args.txt")), "\n"), 1u);
  EXPECT_EQ(Count(Log(), "Start Program"), 1u);

  kill(first, SIGTERM);
  int status = WaitForEnd(first);
  EXPECT_TRUE(EndedCleanly(status)) << DescribeWaitStatus(status);
  EXPECT_TRUE(Names("", "safe_").empty());
}

TEST_F(AppProgram, CrashWritesADumpAndLeavesNoStaleLock) {
  AddWatchdog();
  ASSERT_EQ(mkdir(Path("Dump").c_str(), 0755), 0);
  for (int day = 1; day <= 7; ++day) {
    ASSERT_TRUE(WriteTestFile(Path("Dump/TorvaneGateManager-2020010" + std::to_string(day) + "-000000.dmp"), "old"));
  }

  pid_t crashing = Start({"--crash-after-start"});
  int status = WaitForEnd(crashing);
  ASSERT_TRUE(WIFSIGNALED(status)) << "a crash must not look like a clean exit: " << DescribeWaitStatus(status);
  EXPECT_EQ(WTERMSIG(status), SIGSEGV);

  // Start-up pruned the old dumps to five; the crash added the newest.
  std::vector<std::string> dumps = Names("Dump", "");
  ASSERT_EQ(dumps.size(), 6u);
  EXPECT_EQ(dumps.front(), "TorvaneGateManager-20200103-000000.dmp");
  std::string dump = dumps.back();
  EXPECT_EQ(dump.size(), std::string("TorvaneGateManager-YYYYMMDD-hhmmss.dmp").size()) << dump;
  std::string text = ReadTestFile(Path("Dump/" + dump));
  EXPECT_NE(text.find("Signal: 11 (SIGSEGV)"), std::string::npos) << text.substr(0, 300);
  EXPECT_NE(text.find("Fault address: 0x0000000000000000"), std::string::npos);
  // The crashed instance's safe file stays: it tells the watchdog of the crash.
  EXPECT_TRUE(PathExists(Path("safe_" + std::to_string(crashing))));

  // The lock died with the crashed instance: the next one is the first instance.
  pid_t next = StartFirst();
  dumps = Names("Dump", "");
  ASSERT_EQ(dumps.size(), 5u);
  EXPECT_EQ(dumps.back(), dump) << "the newest dump survives pruning";
  kill(next, SIGTERM);
  status = WaitForEnd(next);
  EXPECT_TRUE(EndedCleanly(status)) << DescribeWaitStatus(status);
}

// The one error line start-up can log before the settings are loaded must
// reach the log: the log levels are set before the default settings are copied.
TEST_F(AppProgram, FailedCopyOfTheDefaultSettingsIsLogged) {
  ASSERT_EQ(mkdir(Path("Settings").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(Path("Settings/AppSettings_Default.xml").c_str(), 0755), 0);  // cannot be read as a file
  pid_t pid = StartFirst();
  EXPECT_NE(Log().find("ERROR - Error raised when copy default AppSettings.xml file. The error code is 21"),
            std::string::npos)
      << Log();
  EXPECT_FALSE(PathExists(Path("Settings/AppSettings.xml")));
  kill(pid, SIGTERM);
  int status = WaitForEnd(pid);
  EXPECT_TRUE(EndedCleanly(status)) << DescribeWaitStatus(status);
}

}  // namespace
