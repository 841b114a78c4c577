#include "foundation/Queue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Freed {
  std::vector<void*> items;
  static void Callback(int reserved, void* item, void* userData) {
    EXPECT_EQ(reserved, 0);
    static_cast<Freed*>(userData)->items.push_back(item);
  }
};

void* Item(intptr_t n) { return reinterpret_cast<void*>(n); }

TEST(Queue, PushAtTheLimitIsRefusedAndLeavesTheQueueUnchanged) {
  CQueue queue;
  queue.SetLimit(2);
  ASSERT_TRUE(queue.Open(nullptr, nullptr));
  EXPECT_EQ(queue.Push(Item(1)), 1);
  EXPECT_EQ(queue.Push(nullptr), 1);  // a null item is an item
  EXPECT_EQ(queue.Push(Item(3)), 0);
  EXPECT_EQ(queue.GetCount(), 2);
  EXPECT_EQ(queue.Pop(false, 0), Item(1));
  EXPECT_EQ(queue.Pop(true, 1000), nullptr);
  EXPECT_EQ(queue.GetCount(), 0);
}

TEST(Queue, ClearAndCloseHandNonNullItemsToTheCallbackOnce) {
  Freed freed;
  CQueue queue;
  queue.SetLimit(10);
  queue.Open(&Freed::Callback, &freed);
  queue.Push(Item(1));
  queue.Push(nullptr);
  queue.Push(Item(2));
  queue.Close();
  EXPECT_EQ(freed.items, (std::vector<void*>{Item(1), Item(2)}));
  EXPECT_EQ(queue.GetCount(), 0);
  EXPECT_EQ(queue.GetLimit(), CBaseDS::kDefaultLimit);
  queue.Push(Item(4));
  queue.Clear();  // no callback any more: dropped without a call
  EXPECT_EQ(freed.items.size(), 2u);
  auto start = Clock::now();
  EXPECT_EQ(queue.Pop(true, 5000), nullptr);  // no semaphore: no wait
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));
}

TEST(QueueWithThreads, WaitingPopEndsOnTimeOutOrOnAPush) {
  CQueue queue;
  queue.Open(nullptr, nullptr);
  auto start = Clock::now();
  EXPECT_EQ(queue.Pop(true, 200), nullptr);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(200));
  std::thread producer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    queue.Push(Item(9));
  });
  start = Clock::now();
  EXPECT_EQ(queue.Pop(true, 60000), Item(9));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(30));
  producer.join();
}

TEST(QueueWithThreads, EveryPushedItemReachesTheConsumerOnce) {
  CQueue queue;
  queue.Open(nullptr, nullptr);
  constexpr int kProducers = 4, kEach = 2000;
  std::vector<std::thread> producers;
  for (int p = 0; p < kProducers; ++p) {
    producers.emplace_back([&queue, p] {
      for (int i = 1; i <= kEach; ++i) ASSERT_EQ(queue.Push(Item(p * kEach + i)), 1);
    });
  }
  std::set<void*> seen;
  while (seen.size() < static_cast<size_t>(kProducers * kEach)) {
    void* item = queue.Pop(true, 1000);
    if (item) {
      EXPECT_TRUE(seen.insert(item).second);
    }
  }
  for (auto& producer : producers) producer.join();
  EXPECT_EQ(queue.Pop(false, 0), nullptr);
}

}  // namespace
