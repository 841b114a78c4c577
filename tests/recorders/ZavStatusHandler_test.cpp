#include "recorders/ZavStatusHandler.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "FakeRecordingServer.h"
#include "ZavTestStore.h"
#include "foundation/ProcessLogCapture.h"
#include "net/Sock.h"
#include "recorders/ZavEventStream.h"
#include "recorders/ZavStorageStatuses.h"
#include "recorders/ZavSysteminformation.h"
#include "support/WaitUntil.h"

namespace {

using Clock = std::chrono::steady_clock;

// What subscribers saw, in order, with the values copied out during the call;
// the fake server's requests join the same journal.
class Journal {
 public:
  struct Entry {
    std::string name;  // message name, or the request line of a request
    int storeId = 0;
    int zavId = 0;
    std::string detail;  // STATUS_RECEIVED: the record's summary; "info:<OS>" or "info:none"
    Clock::time_point at = Clock::now();
  };

  static void OnMessage(const IMessagePublisher::_message_t* message) {
    auto* journal = static_cast<Journal*>(message->context1);
    Entry entry;
    entry.name = message->message;
    const auto* pair = reinterpret_cast<const int32_t*>(message->value1);
    entry.storeId = pair[0];
    entry.zavId = pair[1];
    if (entry.name == "MSG_STATUS_RECEIVED") {
      auto* record = reinterpret_cast<CSerializable*>(message->value2);
      if (auto* stream = dynamic_cast<CZavEventStream*>(record)) {
        entry.detail = "stream:" + stream->GetTotalStatus().GetVersion();
      } else if (auto* storages = dynamic_cast<CZavStorageStatuses*>(record)) {
        entry.detail = "storage:" + std::to_string(storages->GetStorages().size());
      }
      auto* info = reinterpret_cast<CZavSysteminformation*>(message->value3);
      entry.detail += info ? " info:" + info->GetOS() : " info:none";
    }
    journal->Add(entry);
  }
  void Add(Entry entry) {
    std::lock_guard<std::mutex> hold(mutex_);
    entries_.push_back(std::move(entry));
  }
  void AddRequest(const std::string& line) { Add(Entry{line.substr(0, line.find('?')), 0, 0, ""}); }
  std::vector<Entry> Entries() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return entries_;
  }
  int Count(const std::string& name) const {
    int n = 0;
    for (const Entry& e : Entries()) n += e.name == name;
    return n;
  }
  // The names in order, requests included.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const Entry& e : Entries()) names.push_back(e.name);
    return names;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
};

std::string StreamPart(const std::string& version) {
  return "<EventStream><Status><TotalStatus><Version>" + version + "</Version></TotalStatus></Status></EventStream>";
}

class ZavStatusHandlerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    handler_ = std::make_unique<CZavStatusHandler>();
    handler_->SubscribeCallback(&Journal::OnMessage, &journal_);
    handler_->Interval = 1;
    handler_->ExtraTimeout = 1;
    handler_->RetryDelay = 200;
  }
  void TearDown() override { handler_.reset(); }

  // One store holding server 1 on the fake.
  void Watch(FakeRecordingServer& server) {
    server.SetOnRequest([this](const std::string& line) { journal_.AddRequest(line); });
    store_.AddServer(1, server.port(), "admin", "pw");
    handler_->DataStores[store_.get()->GetStoreId()] = store_.get();
  }

  Journal journal_;
  ZavTestStore store_;
  std::unique_ptr<CZavStatusHandler> handler_;
};

TEST_F(ZavStatusHandlerTest, HandlerIdsAndPoolsFollowStoresAndServers) {
  SOCKET listener = sock::Listen(0, htonl(INADDR_LOOPBACK));  // accepts nothing: no task gets a part
  unsigned short port = sock::GetLocalPort(listener);
  ZavTestStore a, b;
  a.AddServer(1, port);
  a.AddServer(2, port);
  b.AddServer(1, port);
  b.AddServer(3, port);
  int idA = a.get()->GetStoreId(), idB = b.get()->GetStoreId();
  ASSERT_LT(idA, idB);
  handler_->DataStores = {{idA, a.get()}, {idB, b.get()}};
  handler_->RetryDelay = 60000;
  handler_->Start();
  auto name = [](int store, int zav) { return "ZAV_STATUS_HANDLER_" + std::to_string(store) + "_" + std::to_string(zav) + "_0"; };
  std::map<int32_t, std::string> expected = {{1, name(idA, 1)}, {2, name(idA, 2)}, {3, name(idB, 1)}, {4, name(idB, 3)}};
  EXPECT_EQ(handler_->GetWatchedPools(), expected);
  handler_->Start();
  EXPECT_EQ(handler_->GetWatchedPools().begin()->first, 5);
  EXPECT_EQ(handler_->GetWatchedPools().rbegin()->first, 8);
  handler_->Stop();
  EXPECT_TRUE(handler_->GetWatchedPools().empty());
  sock::Close(listener);
}

TEST_F(ZavStatusHandlerTest, ConnectedThenSystemInformationThenStatus) {
  FakeRecordingServer::Script script;
  script.parts = {StreamPart("3.2.1"), StreamPart("3.2.2")};
  FakeRecordingServer server(script);
  Watch(server);
  handler_->Start();
  ASSERT_TRUE(WaitUntil([&] { return journal_.Count("MSG_STATUS_RECEIVED") >= 2; }));
  handler_->Stop();
  std::vector<std::string> names = journal_.Names();
  ASSERT_GE(names.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 5),
            (std::vector<std::string>{"POST /stream/event.cgi", "MSG_CONNECTED", "GET /system/information.cgi",
                                      "MSG_STATUS_RECEIVED", "MSG_STATUS_RECEIVED"}));
  auto entries = journal_.Entries();
  EXPECT_EQ(entries[1].storeId, store_.get()->GetStoreId());
  EXPECT_EQ(entries[1].zavId, 1);
  EXPECT_EQ(entries[3].detail, "stream:3.2.1 info:Windows Server 2019");
  EXPECT_EQ(entries[4].detail, "stream:3.2.2 info:Windows Server 2019");
  EXPECT_NE(server.Requests()[0].find("interval=1&"), std::string::npos);
}

TEST_F(ZavStatusHandlerTest, AFailedSystemInformationGivesNull) {
  FakeRecordingServer::Script script;
  script.parts = {StreamPart("1")};
  script.systemInformation = HttpReply(500, "");
  FakeRecordingServer server(script);
  Watch(server);
  handler_->Start();
  ASSERT_TRUE(WaitUntil([&] { return journal_.Count("MSG_STATUS_RECEIVED") >= 1; }));
  handler_->Stop();
  for (const auto& e : journal_.Entries()) {
    if (e.name == "MSG_STATUS_RECEIVED") {
      EXPECT_EQ(e.detail, "stream:1 info:none");
    }
  }
}

TEST_F(ZavStatusHandlerTest, ModesPickTheirStreamAndRecord) {
  struct Case {
    int mode;
    std::string part;
    std::string requestLine;
    std::string detail;
  } cases[] = {
      {1, StreamPart("e"), "POST /stream/event.cgi", "stream:e info:none"},
      {2, "<Records><Storage><StorageCount>1</StorageCount><StorageItem><Name>d</Name></StorageItem></Storage>"
          "</Records>",
       "GET /record/storage.cgi", "storage:1 info:none"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    Journal journal;
    FakeRecordingServer::Script script;
    script.parts = {c.part};
    FakeRecordingServer server(script);
    server.SetOnRequest([&](const std::string& line) { journal.AddRequest(line); });
    ZavTestStore store;
    store.AddServer(1, server.port());
    CZavStatusHandler handler;
    handler.SubscribeCallback(&Journal::OnMessage, &journal);
    handler.DataStores[store.get()->GetStoreId()] = store.get();
    handler.Mode = c.mode;
    handler.Start();
    ASSERT_TRUE(WaitUntil([&] { return journal.Count("MSG_STATUS_RECEIVED") >= 1; }));
    handler.Stop();
    std::vector<std::string> names = journal.Names();
    EXPECT_EQ(names[0], c.requestLine);
    EXPECT_EQ(names[1], "MSG_CONNECTED");  // no system information outside mode 0
    EXPECT_EQ(names[2], "MSG_STATUS_RECEIVED");
    EXPECT_EQ(journal.Entries()[2].detail, c.detail);
  }
}

TEST_F(ZavStatusHandlerTest, ResultDocumentOf401AsksForSynchronisation) {
  struct Case {
    std::string code;
    std::vector<std::string> messages;
  } cases[] = {
      {"401", {"MSG_NEED_TO_SYNCHRONIZE", "MSG_CONNECT_FAILED"}},
      {"200", {"MSG_CONNECT_FAILED"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    Journal journal;
    FakeRecordingServer::Script script;
    script.streamHeader = HttpReply(401, "<Result><Code>" + c.code +
                                             "</Code><Comment>administrator password setup required</Comment>"
                                             "</Result>");
    script.closeAfter = true;
    FakeRecordingServer server(script);
    ZavTestStore store;
    store.AddServer(1, server.port());
    CZavStatusHandler handler;
    handler.SubscribeCallback(&Journal::OnMessage, &journal);
    handler.DataStores[store.get()->GetStoreId()] = store.get();
    handler.RetryDelay = 60000;
    handler.Start();
    ASSERT_TRUE(WaitUntil([&] { return journal.Count("MSG_CONNECT_FAILED") >= 1; }));
    handler.Stop();
    EXPECT_EQ(journal.Names(), c.messages);
  }
}

TEST_F(ZavStatusHandlerTest, OnlyTheFailedReplyItselfIsReadAsAResultDocument) {
  // An earlier part that happens to hold the Result document does not make a
  // later silent failure ask for synchronisation.
  FakeRecordingServer::Script script;
  script.parts = {"<Result><Code>401</Code><Comment>Administrator Password Setup Required</Comment></Result>"};
  FakeRecordingServer server(script);
  Watch(server);
  handler_->Mode = 1;
  handler_->RetryDelay = 60000;
  handler_->Start();
  ASSERT_TRUE(WaitUntil([&] { return journal_.Count("MSG_CONNECT_FAILED") >= 1; }));
  handler_->Stop();
  EXPECT_EQ(journal_.Count("MSG_STATUS_RECEIVED"), 1);
  EXPECT_EQ(journal_.Count("MSG_NEED_TO_SYNCHRONIZE"), 0);
}

TEST_F(ZavStatusHandlerTest, BadXmlEndsTheStreamAndTheNextRunReconnectsAfterTheDelay) {
  FakeRecordingServer::Script script;
  script.parts = {"this is no xml"};
  FakeRecordingServer server(script);
  Watch(server);
  handler_->RetryDelay = 3000;
  ProcessLogCapture log;
  handler_->Start();
  ASSERT_TRUE(WaitUntil([&] { return server.StreamRequests() >= 2; }));
  handler_->Stop();
  int storeId = store_.get()->GetStoreId();
  EXPECT_NE(log.Text().find("ERROR - Error raised when deserialize system data of zav (" + std::to_string(storeId) +
                            "/1).\r\n"),
            std::string::npos);
  EXPECT_EQ(journal_.Count("MSG_STATUS_RECEIVED"), 0);
  EXPECT_EQ(journal_.Count("MSG_CONNECT_FAILED"), 0);  // the log line only
  std::vector<Clock::time_point> runs;
  for (const auto& e : journal_.Entries()) {
    if (e.name == "POST /stream/event.cgi") runs.push_back(e.at);
  }
  ASSERT_GE(runs.size(), 2u);
  EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(runs[1] - runs[0]).count(), 2900);
}

TEST_F(ZavStatusHandlerTest, SilenceEndsTheStreamAfterIntervalPlusExtraTimeout) {
  FakeRecordingServer::Script script;  // the stream header, then nothing
  FakeRecordingServer server(script);
  Watch(server);
  handler_->Start();
  ASSERT_TRUE(WaitUntil([&] { return server.StreamRequests() >= 2; }));
  handler_->Stop();
  auto entries = journal_.Entries();
  ASSERT_GE(entries.size(), 3u);
  EXPECT_EQ(entries[1].name, "MSG_CONNECT_FAILED");
  // Header wait: Interval 1 + ExtraTimeout 1 seconds.
  EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(entries[1].at - entries[0].at).count(), 1900);
}

TEST_F(ZavStatusHandlerTest, SystemSettingsSwitchServersOffAndSetTheirInterval) {
  FakeRecordingServer::Script script;
  script.parts = {StreamPart("1")};
  FakeRecordingServer server(script);
  ZavTestStore off, on;
  off.AddServer(1, server.port());
  off.SetSystemSetting("EnableSystemStatus", 0);
  on.AddServer(2, server.port());
  on.SetSystemSetting("SystemStatusInterval", 7);
  handler_->DataStores = {{off.get()->GetStoreId(), off.get()}, {on.get()->GetStoreId(), on.get()}};
  handler_->UseSystemSettings = 1;
  handler_->Start();
  auto pools = handler_->GetWatchedPools();
  ASSERT_EQ(pools.size(), 1u);
  EXPECT_EQ(pools.begin()->second, "ZAV_STATUS_HANDLER_" + std::to_string(on.get()->GetStoreId()) + "_2_0");
  ASSERT_TRUE(WaitUntil([&] { return journal_.Count("MSG_STATUS_RECEIVED") >= 1; }));
  handler_->Stop();
  EXPECT_NE(server.Requests()[0].find("polling=0&interval=7&"), std::string::npos) << server.Requests()[0];
}

TEST_F(ZavStatusHandlerTest, AnUnknownModeFailsEveryRun) {
  FakeRecordingServer::Script script;
  FakeRecordingServer server(script);
  Watch(server);
  handler_->Mode = 3;
  handler_->Start();
  ASSERT_TRUE(WaitUntil([&] { return journal_.Count("MSG_CONNECT_FAILED") >= 3; }));
  handler_->Stop();
  EXPECT_EQ(server.Requests().size(), 0u);  // nothing is sent
  EXPECT_EQ(journal_.Count("MSG_CONNECT_FAILED"), static_cast<int>(journal_.Entries().size()));
}

TEST_F(ZavStatusHandlerTest, PollingReadsOneBlockPerRun) {
  FakeRecordingServer::Script script;  // a header without body, then silence
  FakeRecordingServer server(script);
  Watch(server);
  handler_->Polling = 1;
  handler_->Start();
  ASSERT_TRUE(WaitUntil([&] { return server.StreamRequests() >= 3; }));
  handler_->Stop();
  EXPECT_EQ(journal_.Count("MSG_CONNECT_FAILED") + journal_.Count("MSG_CONNECTED"), 0);
  EXPECT_NE(server.Requests()[0].find("polling=1&fulltext=1"), std::string::npos);
}

TEST_F(ZavStatusHandlerTest, StopWhileFortyTasksWaitReturnsAtOnceAndPublishesNothing) {
  FakeRecordingServer::Script script;  // stream headers, then silence
  FakeRecordingServer server(script);
  server.SetOnRequest([this](const std::string& line) { journal_.AddRequest(line); });
  for (int zav = 1; zav <= 40; ++zav) store_.AddServer(zav, server.port());
  handler_->DataStores[store_.get()->GetStoreId()] = store_.get();
  handler_->Interval = 30;  // the waits would last 31 s
  handler_->Start();
  ASSERT_TRUE(WaitUntil([&] { return server.StreamRequests() >= 40; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the tasks are in their receives
  size_t before = journal_.Entries().size();
  auto start = Clock::now();
  handler_->Stop();
  auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  // Waiting for the receives would take 31 s; a third of that leaves room for a
  // loaded machine under sanitizers and still shows Stop did not wait them out.
  EXPECT_LT(elapsed, 10000);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(journal_.Entries().size(), before);  // no message, no further run
  EXPECT_EQ(journal_.Count("MSG_CONNECT_FAILED"), 0);
  EXPECT_EQ(server.StreamRequests(), 40);
}

}  // namespace
