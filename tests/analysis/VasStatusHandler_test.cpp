#include "analysis/VasStatusHandler.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "FakeAnalysisServer.h"
#include "VasTestStore.h"
#include "analysis/VasStatusStream.h"
#include "foundation/ProcessLogCapture.h"
#include "support/WaitUntil.h"

namespace {

using Clock = std::chrono::steady_clock;

long long MsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

// What subscribers saw, in order, with the values copied out during the call.
class Journal {
 public:
  struct Entry {
    std::string name;
    int storeId = 0;
    int vasId = 0;
    std::string version;  // STATUS_RECEIVED: the record's total status version
    Clock::time_point at = Clock::now();
  };

  static void OnMessage(const IMessagePublisher::_message_t* message) {
    auto* journal = static_cast<Journal*>(message->context1);
    Entry entry;
    entry.name = message->message;
    const auto* pair = reinterpret_cast<const int32_t*>(message->value1);
    entry.storeId = pair[0];
    entry.vasId = pair[1];
    if (entry.name == "MSG_STATUS_RECEIVED") {
      entry.version = reinterpret_cast<CVasStatusStream*>(message->value2)->GetTotalStatus().GetVersion();
    } else {
      EXPECT_EQ(message->value2, 0) << entry.name;
    }
    EXPECT_EQ(message->value3, 0);
    {
      std::lock_guard<std::mutex> hold(journal->mutex_);
      journal->entries_.push_back(entry);
    }
    if (journal->onMessage) journal->onMessage(entry);
  }
  std::vector<Entry> Entries() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return entries_;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const Entry& e : Entries()) names.push_back(e.name);
    return names;
  }
  size_t Size() const { return Entries().size(); }

  std::function<void(const Entry&)> onMessage;  // set before Start

 private:
  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
};

std::string StatusPart(const std::string& version) {
  return FakePart("<StatusStream><Status><TotalStatus><Version>" + version +
                  "</Version></TotalStatus></Status></StatusStream>");
}

std::string Reply401(const std::string& comment) {
  std::string body = "<Result><Code>401</Code><Comment>" + comment + "</Comment></Result>";
  return "HTTP/1.1 401 Unauthorized\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

const std::vector<std::string> kConnectFailed = {"MSG_CONNECT_FAILED"};

class VasStatusHandlerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    handler_ = std::make_unique<CVasStatusHandler>();
    handler_->SubscribeCallback(&Journal::OnMessage, &journal_);
    handler_->Interval = 1;
    handler_->RetryDelay = 200;
  }
  void TearDown() override { handler_.reset(); }

  // Server 1 of store 1 on the fake.
  void Watch(FakeAnalysisServer& server) {
    store_.AddServer(1, server.port());
    handler_->DataStores[1] = store_.get();
  }

  Journal journal_;
  VasTestStore store_;
  std::unique_ptr<CVasStatusHandler> handler_;
};

TEST_F(VasStatusHandlerTest, OnePoolPerOwnKindServerWithTaskIdsCountingOn) {
  VasTestStore a, b;
  a.AddServer(7, 1);  // port 1: nothing answers; the tasks only fail
  a.AddServer(8, 1, 3);
  b.AddServer(9, 1);
  handler_->DataStores = {{1, a.get()}, {2, b.get()}};
  handler_->RetryDelay = 60000;
  handler_->Start();
  std::map<int32_t, std::string> expected = {{1, "VAS_STATUS_HANDLER_1_7_0"}, {2, "VAS_STATUS_HANDLER_2_9_0"}};
  EXPECT_EQ(handler_->GetWatchedPools(), expected);
  handler_->Stop();
  EXPECT_TRUE(handler_->GetWatchedPools().empty());
  handler_->Start();
  expected = {{3, "VAS_STATUS_HANDLER_1_7_0"}, {4, "VAS_STATUS_HANDLER_2_9_0"}};
  EXPECT_EQ(handler_->GetWatchedPools(), expected);
  handler_->Stop();  // before the stores go
}

TEST_F(VasStatusHandlerTest, ReplyHeaderPublishesNothingThenPartsThenTheBreakRetriesAfterTheDelay) {
  std::mutex timesLock;
  std::vector<Clock::time_point> requests, closes;
  FakeAnalysisServer server([&](FakeConnection& c, int index) {
    FakeRequest request;
    if (!c.ReadRequest(&request)) return;
    {
      std::lock_guard<std::mutex> hold(timesLock);
      requests.push_back(Clock::now());
    }
    if (index > 0) return c.Hold();
    c.SendOk();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    c.Send(StatusPart("1.0"));
    c.Send(StatusPart("1.1"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    {
      std::lock_guard<std::mutex> hold(timesLock);
      closes.push_back(Clock::now());
    }
    c.Close();
  });
  Watch(server);
  handler_->RetryDelay = 3000;
  handler_->Start();
  ASSERT_TRUE(WaitUntil([&] {
    std::lock_guard<std::mutex> hold(timesLock);
    return requests.size() == 2;
  }));
  handler_->Stop();
  auto entries = journal_.Entries();
  std::vector<std::string> names = {"MSG_CONNECTED", "MSG_STATUS_RECEIVED", "MSG_STATUS_RECEIVED",
                                    "MSG_CONNECT_FAILED"};
  ASSERT_EQ(journal_.Names(), names);
  EXPECT_EQ(entries[1].version, "1.0");
  EXPECT_EQ(entries[2].version, "1.1");
  EXPECT_EQ(entries[0].storeId, 1);
  EXPECT_EQ(entries[0].vasId, 1);
  long long gap = MsBetween(closes[0], requests[1]);
  EXPECT_GE(gap, 2700);
  EXPECT_LE(gap, 3300 + 2000) << "the next POST follows the close after the retry delay";
}

TEST_F(VasStatusHandlerTest, ResultDocumentOf401AsksForSynchronisationInAnyCase) {
  struct Case {
    const char* comment;
    bool synchronise;
  } cases[] = {{"Administrator Password Setup Required", true},
               {"ADMINISTRATOR password setup REQUIRED", true},
               {"Unauthorized", false}};
  for (const Case& c : cases) {
    Journal journal;
    FakeAnalysisServer server([&](FakeConnection& conn, int) {
      FakeRequest request;
      if (conn.ReadRequest(&request)) conn.Send(Reply401(c.comment));
      conn.Hold();
    });
    VasTestStore store;
    store.AddServer(1, server.port());
    CVasStatusHandler handler;  // goes first, before the store and the server
    handler.SubscribeCallback(&Journal::OnMessage, &journal);
    handler.RetryDelay = 60000;
    handler.DataStores[1] = store.get();
    handler.Start();
    ASSERT_TRUE(WaitUntil([&] { return journal.Names().size() >= (c.synchronise ? 2u : 1u); })) << c.comment;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    handler.Stop();
    std::vector<std::string> expected = c.synchronise
                                            ? std::vector<std::string>{"MSG_NEED_TO_SYNCHRONIZE", "MSG_CONNECT_FAILED"}
                                            : kConnectFailed;
    EXPECT_EQ(journal.Names(), expected) << c.comment;
  }
}

TEST_F(VasStatusHandlerTest, OnlyTheFailedReplyItselfIsReadAsAResultDocument) {
  // The first run's 401 body stays in the reused buffer; the second run
  // receives nothing at all and must not read that body again.
  FakeAnalysisServer server([](FakeConnection& c, int index) {
    FakeRequest request;
    if (!c.ReadRequest(&request)) return;
    if (index == 0) c.Send(Reply401("Administrator Password Setup Required"));
    if (index >= 2) c.Hold();
  });
  Watch(server);
  handler_->Start();
  ASSERT_TRUE(WaitUntil([&] { return journal_.Size() >= 3; }));
  handler_->Stop();
  std::vector<std::string> expected = {"MSG_NEED_TO_SYNCHRONIZE", "MSG_CONNECT_FAILED", "MSG_CONNECT_FAILED"};
  EXPECT_EQ(journal_.Names(), expected);
}

TEST_F(VasStatusHandlerTest, UnreadableDocumentEndsTheStreamWithoutConnectFailed) {
  struct Case {
    const char* name;
    std::string part;
  } cases[] = {{"no root element", FakePart("not xml at all")},
               {"a foreign root", FakePart("<EventStream><Status><TotalStatus><CPU>5</CPU></TotalStatus></Status>"
                                           "</EventStream>")}};
  for (const Case& c : cases) {
    Journal journal;
    FakeAnalysisServer server([&](FakeConnection& conn, int index) {
      FakeRequest request;
      if (!conn.ReadRequest(&request)) return;
      if (index > 0) return conn.Hold();
      conn.SendOk();
      conn.Send(c.part);
      conn.Hold();
    });
    VasTestStore store;
    store.AddServer(1, server.port());
    CVasStatusHandler handler;  // goes first, before the store and the server
    handler.SubscribeCallback(&Journal::OnMessage, &journal);
    handler.RetryDelay = 200;
    handler.Interval = 1;
    handler.DataStores[1] = store.get();
    ProcessLogCapture log;
    handler.Start();
    ASSERT_TRUE(WaitUntil([&] { return server.Requests().size() == 2; })) << c.name;
    handler.Stop();
    EXPECT_EQ(journal.Names(), std::vector<std::string>{"MSG_CONNECTED"}) << c.name;
    EXPECT_NE(log.Text().find("ERROR - Error raised when deserialize system data of zav (1/1).\r\n"),
              std::string::npos)
        << c.name << ": " << log.Text();
  }
}

TEST_F(VasStatusHandlerTest, PollingReadsOneUnitPerConnection) {
  FakeAnalysisServer server([](FakeConnection& c, int index) {
    FakeRequest request;
    if (!c.ReadRequest(&request)) return;
    std::string body = "<StatusStream><Status><TotalStatus><Version>p" + std::to_string(index) +
                       "</Version></TotalStatus></Status></StatusStream>";
    c.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    c.Send(StatusPart("never read"));
    c.WaitClosed(10000);
  });
  Watch(server);
  handler_->Polling = 1;
  handler_->Start();
  ASSERT_TRUE(WaitUntil([&] { return journal_.Size() >= 4; }));
  handler_->Stop();
  auto entries = journal_.Entries();
  std::vector<std::string> names;
  for (size_t i = 0; i < 4; ++i) names.push_back(entries[i].name + ":" + entries[i].version);
  std::vector<std::string> expected = {"MSG_CONNECTED:", "MSG_STATUS_RECEIVED:p0", "MSG_CONNECTED:",
                                       "MSG_STATUS_RECEIVED:p1"};
  EXPECT_EQ(names, expected);
  EXPECT_EQ(server.Requests()[0].body, "polling=1&fulltext=1&status=1&analysis=0");
}

TEST_F(VasStatusHandlerTest, StopDuringABlockedReadEndsAtOnceAndPublishesNothing) {
  FakeAnalysisServer server([](FakeConnection& c, int) {
    FakeRequest request;
    if (!c.ReadRequest(&request)) return;
    c.SendOk();
    c.Hold();
  });
  Watch(server);
  handler_->Interval = 60;
  handler_->Start();
  ASSERT_TRUE(WaitUntil([&] { return server.Requests().size() == 1; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the task waits in its read
  auto start = Clock::now();
  handler_->Stop();
  EXPECT_LT(MsBetween(start, Clock::now()), 1000);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(journal_.Size(), 0u);
  EXPECT_EQ(server.Accepted(), 1);
  EXPECT_TRUE(handler_->GetWatchedPools().empty());
}

TEST_F(VasStatusHandlerTest, ServerRemovedWhileStreamingEndsTheRunSilently) {
  FakeAnalysisServer server([](FakeConnection& c, int) {
    FakeRequest request;
    if (!c.ReadRequest(&request)) return;
    c.SendOk();
    c.Send(StatusPart("last"));
    c.Hold();
  });
  Watch(server);
  journal_.onMessage = [this](const Journal::Entry& entry) {
    if (entry.name != "MSG_STATUS_RECEIVED") return;
    auto row = store_.get()->FindCachedEntity("TBL_Vas", 1);
    ASSERT_TRUE(row);
    store_.get()->DeleteEntity(row.get(), 0);
  };
  ProcessLogCapture log;
  handler_->Start();
  ASSERT_TRUE(WaitUntil([&] { return journal_.Size() >= 2; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // several retry delays
  handler_->Stop();
  EXPECT_EQ(journal_.Names(), (std::vector<std::string>{"MSG_CONNECTED", "MSG_STATUS_RECEIVED"}));
  EXPECT_EQ(server.Accepted(), 1) << "a missing server is only looked up again";
  std::string text = log.Text();
  size_t lines = 0;
  for (size_t at = text.find("Can't find '1' vas information."); at != std::string::npos;
       at = text.find("Can't find '1' vas information.", at + 1)) {
    ++lines;
  }
  EXPECT_EQ(lines, 1u) << "the read loop ended instead of spinning";
}

}  // namespace
