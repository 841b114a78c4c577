// The built program itself, run from a temporary program folder: the
// single-instance hand-over, the watchdog's safe file and the clean end on
// the termination signals.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Folders.h"

#include "platform/SingleInstanceLock.h"
#include "shell/InstanceChannel.h"
#include "support/LocalListener.h"
#include "support/ProgramUnderTest.h"
#include "support/TempDir.h"

namespace {

constexpr const char* kProgram = "TorvaneGateManager";

class Program : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(program_.ok()); }

  // Starts the program with its standard error going to `errFile`.
  pid_t StartWithStderr(const std::vector<std::string>& args, const std::string& errFile) {
    int saved = dup(2);
    int fd = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    dup2(fd, 2);
    close(fd);
    pid_t pid = program_.Start(args);
    dup2(saved, 2);
    close(saved);
    return pid;
  }
  // Turns the log file on (Settings/Hidden.xml, Debug/UseLogFile 1).
  void TurnLoggingOn(const std::string& settingsFolder) {
    mkdir(settingsFolder.c_str(), 0755);
    ASSERT_TRUE(WriteTestFile(settingsFolder + "/Hidden.xml", "<Hidden><Debug><UseLogFile>1</UseLogFile></Debug></Hidden>"));
  }
  // Every line of the day folders' log files.
  std::string Log() const {
    std::string all;
    for (const auto& day : platform::ListFolder(dir_.Join("Log"))) {
      for (const auto& file : platform::ListFolder(dir_.Join("Log/" + day.name))) {
        all += ReadTestFile(dir_.Join("Log/" + day.name + "/" + file.name));
      }
    }
    return all;
  }
  // Waits until the running program takes a show command, then ends it with SIGTERM; its wait status.
  int ShowThenTerminate(pid_t pid) {
    EXPECT_TRUE(SendInstanceCommand(InstanceChannelPath(dir_.path(), kProgram), kTrayShowCommand, 120000));
    kill(pid, SIGTERM);
    return program_.WaitForEnd(pid);
  }

  TempDir dir_;
  ProgramUnderTest program_{GATE_PROGRAM, dir_.path(), kProgram};
};

// The test plays the running instance: it holds the lock and listens.
TEST_F(Program, SecondInstanceSendsTheShowCommandUnlessStartedByTheWatchdog) {
  platform::SingleInstanceLock lock;
  ASSERT_EQ(lock.Acquire(InstanceLockPath(dir_.path(), kProgram)), platform::SingleInstanceLock::Result::kAcquired);
  LocalListener running(InstanceChannelPath(dir_.path(), kProgram));
  ASSERT_TRUE(running.ok());

  int status = program_.WaitForEnd(program_.Start({"-hide"}));
  EXPECT_TRUE(EndedCleanly(status)) << DescribeWaitStatus(status);
  EXPECT_EQ(running.ReceiveOne(), EncodeInstanceCommand(kTrayShowCommand));

  status = program_.WaitForEnd(program_.Start({"ByWatchdog=1"}));
  EXPECT_TRUE(EndedCleanly(status)) << DescribeWaitStatus(status);
  EXPECT_FALSE(running.Pending(0)) << "a restart by the watchdog leaves the running instance alone";
}

TEST_F(Program, EndsCleanlyOnTerminationSignals) {
  ASSERT_TRUE(WriteTestFile(dir_.Join("Watchdog"), "#!/bin/sh\nexit 0\n"));
  chmod(dir_.Join("Watchdog").c_str(), 0755);
  // SIGHUP too: a closed terminal ends the program as cleanly.
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(sig);
    pid_t pid = program_.Start({"-hide"});
    ASSERT_GT(pid, 0);
    std::string safeFile = dir_.Join("safe_" + std::to_string(pid));
    // Up and listening: it takes a show command.
    ASSERT_TRUE(SendInstanceCommand(InstanceChannelPath(dir_.path(), kProgram), kTrayShowCommand, 120000));
    EXPECT_EQ(ReadTestFile(safeFile), program_.path());

    kill(pid, sig);
    int status = program_.WaitForEnd(pid);
    EXPECT_TRUE(EndedCleanly(status)) << DescribeWaitStatus(status);
    EXPECT_FALSE(PathExists(safeFile));
    platform::SingleInstanceLock lock;
    EXPECT_EQ(lock.Acquire(InstanceLockPath(dir_.path(), kProgram)), platform::SingleInstanceLock::Result::kAcquired);
  }
}

// Start-up reads the settings files, writing the missing Hidden settings with
// their defaults; shut-down writes the application settings.
TEST_F(Program, StartsFromTheSettingsFilesAndWritesThemBack) {
  pid_t pid = program_.Start({"-hide"});
  ASSERT_GT(pid, 0);
  ASSERT_TRUE(SendInstanceCommand(InstanceChannelPath(dir_.path(), kProgram), kTrayShowCommand, 120000));
  EXPECT_NE(ReadTestFile(dir_.Join("Settings/Hidden.xml")).find("<HttpPort>85</HttpPort>"), std::string::npos);
  kill(pid, SIGTERM);
  int status = program_.WaitForEnd(pid);
  EXPECT_TRUE(EndedCleanly(status)) << DescribeWaitStatus(status);
  EXPECT_TRUE(PathExists(dir_.Join("Settings/AppSettings.xml")));
}

// Qt would abort on a display that does not answer: the program runs
// headless instead, and says so in the log and on stderr.
TEST_F(Program, ADisplayThatDoesNotAnswerRunsHeadless) {
  TurnLoggingOn(dir_.Join("Settings"));
  std::string platform = getenv("QT_QPA_PLATFORM") ? getenv("QT_QPA_PLATFORM") : "";
  unsetenv("QT_QPA_PLATFORM");
  setenv("DISPLAY", ":59123", 1);  // no X server has this number
  pid_t pid = StartWithStderr({"-hide"}, dir_.Join("stderr.txt"));
  if (!platform.empty()) setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
  unsetenv("DISPLAY");
  ASSERT_GT(pid, 0);
  int status = ShowThenTerminate(pid);
  EXPECT_TRUE(EndedCleanly(status)) << DescribeWaitStatus(status);
  EXPECT_NE(ReadTestFile(dir_.Join("stderr.txt")).find("the display ':59123' does not answer; running headless"),
            std::string::npos)
      << ReadTestFile(dir_.Join("stderr.txt"));
  EXPECT_NE(Log().find("INFO - the display ':59123' does not answer; the window runs headless"), std::string::npos)
      << Log();
  EXPECT_TRUE(platform::ListFolder(dir_.Join("Dump")).empty()) << "no crash dump";
}

// Settings that cannot be written are reported, in the log and on stderr;
// without language files the folder that was searched is named.
TEST_F(Program, SettingsThatCannotBeWrittenAndMissingLanguageFilesAreReported) {
  // No folder can be made unwritable for root: make Settings a plain file.
  ASSERT_TRUE(WriteTestFile(dir_.Join("Settings"), "a file where the folder should be"));
  pid_t pid = StartWithStderr({"-hide"}, dir_.Join("stderr.txt"));
  ASSERT_GT(pid, 0);
  int status = ShowThenTerminate(pid);
  EXPECT_TRUE(EndedCleanly(status)) << DescribeWaitStatus(status);
  std::string err = ReadTestFile(dir_.Join("stderr.txt"));
  EXPECT_NE(err.find("the application settings cannot be written to '" + dir_.Join("Settings/AppSettings.xml") + "'"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("no language file could be read in '" + dir_.Join("Language") + "'"), std::string::npos) << err;
}

}  // namespace
