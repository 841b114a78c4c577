#include "foundation/MessagePublisher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Received {
  std::vector<std::string> lines;
};

std::string Describe(const IMessagePublisher::_message_t* m) {
  return m->message + " " + std::to_string(m->value1) + " " + std::to_string(m->value2) + " " +
         std::to_string(m->value3) + " " + std::to_string(reinterpret_cast<intptr_t>(m->context2));
}

void RecordA(const IMessagePublisher::_message_t* m) {
  static_cast<Received*>(m->context1)->lines.push_back("A " + Describe(m));
}
void RecordB(const IMessagePublisher::_message_t* m) {
  static_cast<Received*>(m->context1)->lines.push_back("B " + Describe(m));
}

TEST(MessagePublisher, DeliversInKeyOrderWithTheSubscribersContexts) {
  IMessagePublisher publisher;
  Received received;
  publisher.Publish("MSG_NOBODY", 1, 2);  // no subscriber: nothing happens
  publisher.Subscribe("B", &RecordB, &received, reinterpret_cast<void*>(20));
  publisher.Subscribe("A", &RecordA, &received, reinterpret_cast<void*>(10));
  publisher.Publish("MSG_CONNECTED", 7, 8);
  publisher.NotifySubscribers("MSG_STATUS_RECEIVED", 1, 2, 3);
  EXPECT_EQ(received.lines, (std::vector<std::string>{
                                "A MSG_CONNECTED 7 8 0 10", "B MSG_CONNECTED 7 8 0 20",
                                "A MSG_STATUS_RECEIVED 1 2 3 10", "B MSG_STATUS_RECEIVED 1 2 3 20"}));
}

TEST(MessagePublisher, SubscribeCallbackKeysByTheFunction) {
  IMessagePublisher publisher;
  Received first, second;
  publisher.SubscribeCallback(&RecordA, &first);
  publisher.SubscribeCallback(&RecordA, &second);
  EXPECT_EQ(publisher.GetSubscriberCount(), 1);
  publisher.Publish("M", 0, 0);
  EXPECT_TRUE(first.lines.empty());
  EXPECT_EQ(second.lines.size(), 1u);
  std::string key = IMessagePublisher::CallbackKey(&RecordA);
  EXPECT_EQ(key.rfind("NONE_", 0), 0u);
  EXPECT_EQ(key.find_first_not_of("0123456789abcdef", 5), std::string::npos);
  publisher.Unsubscribe("absent");
  EXPECT_EQ(publisher.GetSubscriberCount(), 1);
  publisher.UnsubscribeCallback(&RecordA);
  EXPECT_EQ(publisher.GetSubscriberCount(), 0);
}

// Context 1: the publisher; context 2: the count of calls.
void UnsubscribeSelfAndOther(const IMessagePublisher::_message_t* m) {
  auto* publisher = static_cast<IMessagePublisher*>(m->context1);
  ++*static_cast<int*>(m->context2);
  publisher->Unsubscribe("1-self");
  publisher->Unsubscribe("3-other");
  publisher->Subscribe("0-new", &UnsubscribeSelfAndOther, m->context1, m->context2);
}
void Count(const IMessagePublisher::_message_t* m) { ++*static_cast<int*>(m->context2); }

TEST(MessagePublisher, CallbacksMayChangeTheSubscribersDuringDelivery) {
  IMessagePublisher publisher;
  int selfCalls = 0, otherCalls = 0;
  publisher.Subscribe("1-self", &UnsubscribeSelfAndOther, &publisher, &selfCalls);
  publisher.Subscribe("3-other", &Count, nullptr, &otherCalls);
  publisher.Publish("M", 0, 0);
  // The delivery works on a copy: "3-other" still gets this message, "0-new" does not.
  EXPECT_EQ(selfCalls, 1);
  EXPECT_EQ(otherCalls, 1);
  publisher.Unsubscribe("0-new");
  publisher.Publish("M", 0, 0);
  EXPECT_EQ(selfCalls, 1);
  EXPECT_EQ(otherCalls, 1);
}

void CountAtomic(const IMessagePublisher::_message_t* m) {
  static_cast<std::atomic<int>*>(m->context1)->fetch_add(1);
}

TEST(MessagePublisherWithThreads, PublishingAndSubscribingFromManyThreads) {
  IMessagePublisher publisher;
  std::atomic<int> calls{0};
  publisher.Subscribe("fixed", &CountAtomic, &calls, nullptr);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&publisher] {
      for (int i = 0; i < 500; ++i) publisher.Publish("MSG", i, 0);
    });
    threads.emplace_back([&publisher, &calls, t] {
      for (int i = 0; i < 500; ++i) {
        std::string key = "k" + std::to_string(t);
        publisher.Subscribe(key, &CountAtomic, &calls, nullptr);
        publisher.Unsubscribe(key);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_GE(calls.load(), 4 * 500);
  EXPECT_EQ(publisher.GetSubscriberCount(), 1);
}

}  // namespace
