#include "platform/SingleInstanceLock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/ProcessSpawn.h"
#include "support/TempDir.h"

namespace {

using Result = platform::SingleInstanceLock::Result;

TEST(SingleInstanceLock, OnlyOneHolderAtATime) {
  TempDir dir;
  std::string path = dir.Join("Program.lock");
  platform::SingleInstanceLock first, second;
  EXPECT_EQ(first.Acquire(path), Result::kAcquired);
  EXPECT_TRUE(first.held());
  EXPECT_EQ(second.Acquire(path), Result::kHeldElsewhere);
  EXPECT_FALSE(second.held());
  first.Release();
  EXPECT_EQ(second.Acquire(path), Result::kAcquired);
}

TEST(SingleInstanceLock, UnusableLockFileFails) {
  platform::SingleInstanceLock lock;
  std::string error;
  EXPECT_EQ(lock.Acquire("/nonexistent/folder/Program.lock", &error), Result::kFailed);
  EXPECT_NE(error.find("/nonexistent/folder/Program.lock"), std::string::npos) << error;
  EXPECT_FALSE(lock.held());
}

// A holder that ends without releasing (killed, crashed) leaves no stale lock.
TEST(SingleInstanceLock, KilledHolderLeavesNoStaleLock) {
  TempDir dir;
  std::string path = dir.Join("Program.lock");
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    platform::SingleInstanceLock lock;
    char byte = lock.Acquire(path) == Result::kAcquired ? 'y' : 'n';
    (void)!write(ready[1], &byte, 1);
    pause();
    _exit(0);
  }
  close(ready[1]);
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  close(ready[0]);
  ASSERT_EQ(byte, 'y');
  platform::SingleInstanceLock lock;
  EXPECT_EQ(lock.Acquire(path), Result::kHeldElsewhere);
  kill(child, SIGKILL);
  int status = 0;
  ASSERT_TRUE(platform::WaitForProcess(child, 60000, &status));
  EXPECT_EQ(lock.Acquire(path), Result::kAcquired);
}

// A child started while the lock is held (the watchdog) must not keep it.
TEST(SingleInstanceLock, SpawnedChildDoesNotInheritTheLock) {
  TempDir dir;
  std::string path = dir.Join("Program.lock");
  platform::SingleInstanceLock first;
  ASSERT_EQ(first.Acquire(path), Result::kAcquired);
  pid_t child = platform::SpawnProcess("/bin/sleep", {"sleep", "60"});
  ASSERT_GT(child, 0);
  first.Release();
  platform::SingleInstanceLock second;
  EXPECT_EQ(second.Acquire(path), Result::kAcquired);
  kill(child, SIGKILL);
  EXPECT_TRUE(platform::WaitForProcess(child, 60000));
}

}  // namespace
