// The built program itself, run from a temporary program folder: the
// single-instance hand-over, the watchdog's safe file and the clean end on
// the termination signals.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

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
  for (int sig : {SIGTERM, SIGINT}) {
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

}  // namespace
