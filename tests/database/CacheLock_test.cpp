// The cache lock's reader slots: threads alive together read on slots of their
// own, an ended thread's slot goes to the next thread, and a writer excludes
// the readers of every slot.
#include "database/CacheLock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace {

// Runs `count` threads that each take their slot, all alive at once until every
// one has taken it; the slots they took.
std::multiset<int> SlotsOfThreadsAliveTogether(int count) {
  std::mutex mutex;
  std::condition_variable allTaken;
  std::multiset<int> slots;
  std::vector<std::thread> threads;
  for (int i = 0; i < count; ++i) {
    threads.emplace_back([&] {
      const int slot = CCacheLock::ThreadSlot();
      std::unique_lock<std::mutex> hold(mutex);
      slots.insert(slot);
      allTaken.notify_all();
      allTaken.wait(hold, [&] { return static_cast<int>(slots.size()) == count; });
    });
  }
  for (std::thread& thread : threads) thread.join();
  return slots;
}

TEST(CacheLockTest, ThreadsAliveTogetherReadOnSlotsOfTheirOwn) {
  // Rounds of threads that come and go, as a pool's workers do: every round's
  // threads have distinct slots, however many threads ended before.
  for (int round = 0; round < 20; ++round) {
    const std::multiset<int> slots = SlotsOfThreadsAliveTogether(8);
    EXPECT_EQ(std::set<int>(slots.begin(), slots.end()).size(), 8u) << "round " << round;
    for (int slot : slots) {
      EXPECT_GE(slot, 0);
      EXPECT_LT(slot, CCacheLock::kSlots);
    }
  }
}

TEST(CacheLockTest, ThreadsBeyondTheSlotsShareSlotsAndStillRead) {
  CCacheLock lock;
  const std::multiset<int> slots = SlotsOfThreadsAliveTogether(CCacheLock::kSlots + 8);
  for (int slot : slots) EXPECT_LT(slot, CCacheLock::kSlots);
  std::atomic<int> reads{0};
  std::vector<std::thread> readers;
  for (int i = 0; i < CCacheLock::kSlots + 8; ++i) {
    readers.emplace_back([&] {
      for (int n = 0; n < 100; ++n) {
        CCacheReadHold hold(lock);
        reads.fetch_add(1);
      }
    });
  }
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(reads.load(), (CCacheLock::kSlots + 8) * 100);
}

TEST(CacheLockTest, AWriterExcludesTheReadersOfEverySlot) {
  CCacheLock lock;
  int guarded = 0;  // written only under the exclusive hold, in pairs of steps
  std::atomic<bool> torn{false};
  std::vector<std::thread> threads;
  for (int i = 0; i < 6; ++i) {
    threads.emplace_back([&] {
      for (int n = 0; n < 2000; ++n) {
        CCacheReadHold hold(lock);
        if (guarded % 2 != 0) torn = true;
      }
    });
  }
  threads.emplace_back([&] {
    for (int n = 0; n < 500; ++n) {
      CCacheWriteHold hold(lock);
      ++guarded;
      std::this_thread::yield();
      ++guarded;
    }
  });
  for (std::thread& thread : threads) thread.join();
  EXPECT_FALSE(torn.load());
  EXPECT_EQ(guarded, 1000);
}

}  // namespace
