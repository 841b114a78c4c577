#include "foundation/Lock.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

bool FreeForOtherThreads(CLock& lock) {
  bool free = false;
  std::thread other([&] {
    free = lock.TryLock();
    if (free) lock.Unlock();
  });
  other.join();
  return free;
}

TEST(Lock, IsReentrantForTheOwningThread) {
  CLock lock;
  ASSERT_TRUE(lock.Lock());
  ASSERT_TRUE(lock.Lock());
  lock.Unlock();
  EXPECT_FALSE(FreeForOtherThreads(lock));
  lock.Unlock();
  EXPECT_TRUE(FreeForOtherThreads(lock));
}

TEST(ScopedLock, EarlyReleaseLeavesTheLockExactlyOnce) {
  CLock lock;
  lock.Lock();  // held once outside the scoped hold
  {
    CScopedLock hold(lock);
    hold.ReleaseScopedLock();
    hold.ReleaseScopedLock();
    EXPECT_FALSE(FreeForOtherThreads(lock));  // the outer hold remains
  }
  EXPECT_FALSE(FreeForOtherThreads(lock));
  lock.Unlock();
  EXPECT_TRUE(FreeForOtherThreads(lock));
}

}  // namespace
