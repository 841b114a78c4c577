// Rows shared between threads: setters, readers, copies and subscriptions at
// once. Run under ThreadSanitizer too (tests/TSAN_SUITES).
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "TestRows.h"

namespace {

constexpr int kRounds = 2000;

void CountCall(CDBEntity*, const char*, void* context) {
  static_cast<std::atomic<int>*>(context)->fetch_add(1, std::memory_order_relaxed);
}

TEST(RowConcurrency, SettersReadersCopiesAndSubscriptionsDoNotRace) {
  CTestStorage shared;
  CTestStorage other;
  std::atomic<int> notified{0};
  std::atomic<int> churnNotified{0};
  shared.Subscribe("steady", CountCall, &notified);

  std::vector<std::thread> threads;
  for (int writer = 0; writer < 2; ++writer) {
    threads.emplace_back([&shared, writer] {
      for (int i = 1; i <= kRounds; ++i) {
        shared.SetStorageName("name-" + std::to_string(writer) + "-" + std::to_string(i));
        shared.SetZavID(writer * kRounds + i);
        shared.SetLatitude(i * 0.5);
        shared.SetUsedBytes(static_cast<uint64_t>(i) << 40);
      }
    });
  }
  threads.emplace_back([&shared] {  // readers of single columns and of the whole row
    for (int i = 0; i < kRounds; ++i) {
      std::string name = shared.GetStorageName();
      EXPECT_TRUE(name.empty() || name == "loaded" || name.rfind("name-", 0) == 0) << name;
      EXPECT_EQ(shared.GetColumnValues().size(), 13u);
      (void)shared.GetZavID();
      (void)shared.GetOriginalValue("StorageName");
    }
  });
  threads.emplace_back([&shared, &other] {  // copies in both directions and whole-row copies
    for (int i = 0; i < kRounds / 4; ++i) {
      shared.CopyTo(&other);
      other.CopyTo(&shared);
      CTestStorage copy(shared);
      std::unique_ptr<CDBEntity> clone(shared.Clone());
      EXPECT_NE(clone, nullptr);
    }
  });
  threads.emplace_back([&shared] {  // loads
    CKeyValueData values;
    values.SetValue("storagename", "loaded");
    values.SetValue("web_port", "8080");
    for (int i = 0; i < kRounds / 4; ++i) shared.LoadFrom(values);
  });
  threads.emplace_back([&shared, &churnNotified] {  // subscriptions come and go
    for (int i = 0; i < kRounds; ++i) {
      shared.Subscribe("churn", CountCall, &churnNotified);
      shared.SubscribeCallback(CountCall, &churnNotified);
      shared.Unsubscribe("churn");
      shared.UnsubscribeCallback(CountCall);
    }
  });
  threads.emplace_back([&shared] {  // the store link and change records
    for (int i = 0; i < kRounds; ++i) {
      shared.SetStoreNo(i);
      (void)shared.GetStoreNo();
      (void)shared.GetDataStore();
      if (i % 100 == 0) shared.ClearChanges();
      (void)shared.HasChanges();
    }
  });
  for (std::thread& thread : threads) thread.join();

  EXPECT_GT(notified.load(), 0);
  EXPECT_EQ(shared.GetSubscriberCount(), 1u);
  // Each writer's last values are whole values, never a torn mix.
  std::string name = shared.GetStorageName();
  EXPECT_TRUE(name == "loaded" || name.rfind("name-", 0) == 0) << name;
}

TEST(RowConcurrency, HandlersMayUnsubscribeThemselvesWhileOtherThreadsNotify) {
  CTestStorage shared;
  struct SelfRemoving {
    CTestStorage* row;
    std::atomic<int> calls{0};
  } self{&shared};
  auto removeSelf = [](CDBEntity*, const char*, void* context) {
    auto* state = static_cast<SelfRemoving*>(context);
    state->calls.fetch_add(1);
    state->row->Unsubscribe("self");
  };
  std::atomic<bool> stop{false};
  std::thread subscriber([&] {
    for (int i = 0; i < kRounds; ++i) shared.Subscribe("self", removeSelf, &self);
    stop = true;
  });
  std::vector<std::thread> notifiers;
  for (int n = 0; n < 2; ++n) {
    notifiers.emplace_back([&shared, &stop, n] {
      for (int i = 0; !stop.load() || i < 10; ++i) shared.SetWebPort(n * 1000000 + i);
    });
  }
  subscriber.join();
  for (std::thread& thread : notifiers) thread.join();
  EXPECT_LE(shared.GetSubscriberCount(), 1u);
  EXPECT_GT(self.calls.load(), 0);
}

}  // namespace
