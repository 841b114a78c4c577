#include "foundation/Lock.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

bool FreeForOtherThreads(CLock& lock) {
  bool free = false;
  std::thread other([&] {
    if (lock.TryLock()) {
      free = true;
      lock.Unlock();
    }
  });
  other.join();
  return free;
}

// Entering a held lock again is what these cases check; the compile-time
// lock analysis does not model re-entrant locks, so it stays out of them.
void EnterTwiceThenLeaveTwice() NO_THREAD_SAFETY_ANALYSIS {
  CLock lock;
  ASSERT_TRUE(lock.Lock());
  ASSERT_TRUE(lock.Lock());
  lock.Unlock();
  EXPECT_FALSE(FreeForOtherThreads(lock));
  lock.Unlock();
  EXPECT_TRUE(FreeForOtherThreads(lock));
}

TEST(Lock, IsReentrantForTheOwningThread) { EnterTwiceThenLeaveTwice(); }

void ReleaseAScopedHoldInsideAnOuterHold() NO_THREAD_SAFETY_ANALYSIS {
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

TEST(ScopedLock, EarlyReleaseLeavesTheLockExactlyOnce) { ReleaseAScopedHoldInsideAnOuterHold(); }

}  // namespace
