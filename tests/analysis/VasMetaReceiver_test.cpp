#include "analysis/VasMetaReceiver.h"

#include <gtest/gtest.h>

#include "MetaStreamFixture.h"
#include "PartFeed.h"
#include "analysis/VasMetaClientBase.h"
#include "foundation/ProcessLogCapture.h"

namespace {

using std::chrono::steady_clock;

// Streams `count` results of channel 1, numbered from 0, on every connection.
FakeAnalysisServer::Session Streaming(int count) {
  return [count](FakeConnection& connection, int) {
    FakeRequest request;
    if (!connection.ReadRequest(&request) || !connection.SendOk()) return;
    std::string parts;
    for (int gap = 0; gap < count; ++gap) parts += FakePart(ResultText(1, gap));
    connection.Send(parts);
    connection.Hold();
  };
}

class VasMetaReceiverTest : public ::testing::Test {
 protected:
  VasMetaReceiverTest() { receiver_.SetFileLogFolder(""); }
  bool Run() { return receiver_.Run(&Collector::Callback, &collector_); }

  Collector collector_;
  CVasMetaReceiver receiver_{platform::SystemClock(), FastTimings()};
};

TEST_F(VasMetaReceiverTest, DeliversEveryPartInArrivalOrderOnItsThread) {
  FakeAnalysisServer server(Streaming(200));
  CVasConnInfo info = LocalServer(server.port(), 7, 3);
  info.Channels.assign(40, 1);  // four parser workers
  receiver_.ConnInfos = {info};
  ASSERT_TRUE(Run());
  ASSERT_TRUE(collector_.WaitFor(200));
  ASSERT_TRUE(receiver_.IsDelivering());
  long deliveryThread = static_cast<long>(receiver_.GetDeliveryThreadId());
  receiver_.Stop();
  std::vector<Delivered> results = collector_.Results();
  ASSERT_EQ(results.size(), 200u);
  for (int i = 0; i < 200; ++i) {
    EXPECT_EQ(results[i].gap, i);
    EXPECT_EQ(results[i].vasId, 7);
    EXPECT_EQ(results[i].reserved, 3);
    EXPECT_EQ(results[i].thread, deliveryThread);
  }
}

TEST_F(VasMetaReceiverTest, RefusedResultsAreDeletedByTheReceiver) {
  FakeAnalysisServer server(Streaming(50));
  collector_.refuse = true;
  receiver_.ConnInfos = {LocalServer(server.port())};
  ASSERT_TRUE(Run());
  ASSERT_TRUE(collector_.WaitFor(50));
  receiver_.Stop();  // the leak checker sees a refused result that was not deleted
}

TEST_F(VasMetaReceiverTest, ResultsStillQueuedAtStopAreDeleted) {
  struct Slow {
    static bool Callback(CVAR* result, void* param) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      return Collector::Callback(result, param);
    }
  };
  FakeAnalysisServer server(Streaming(100));
  receiver_.ConnInfos = {LocalServer(server.port())};
  ASSERT_TRUE(receiver_.Run(&Slow::Callback, &collector_));
  ASSERT_TRUE(collector_.WaitFor(1));
  receiver_.Stop();
  EXPECT_LT(collector_.Count(), 100u);
}

TEST_F(VasMetaReceiverTest, NullCallbackOrParameterStartsNothing) {
  ProcessLogCapture log;
  receiver_.ConnInfos = {LocalServer(1)};
  EXPECT_FALSE(receiver_.Run(nullptr, &collector_));
  EXPECT_FALSE(receiver_.Run(&Collector::Callback, nullptr));
  EXPECT_NE(log.Text().find("Invalid arguments. pfnCallback="), std::string::npos) << log.Text();
  EXPECT_EQ(receiver_.GetClientCount(), 0u);
  EXPECT_FALSE(receiver_.IsDelivering());
}

TEST_F(VasMetaReceiverTest, EmptyListStartsNothing) {
  EXPECT_TRUE(Run());
  EXPECT_EQ(receiver_.GetClientCount(), 0u);
  EXPECT_FALSE(receiver_.IsDelivering());
  EXPECT_TRUE(receiver_.Stop());
  // Run may follow again at once.
  FakeAnalysisServer server(Streaming(1));
  receiver_.ConnInfos = {LocalServer(server.port())};
  ASSERT_TRUE(Run());
  EXPECT_TRUE(collector_.WaitFor(1));
}

TEST_F(VasMetaReceiverTest, UnknownKindStartsTheThreadButNoClient) {
  CVasConnInfo info = LocalServer(1);
  info.Type = 6;
  receiver_.ConnInfos = {info};
  ASSERT_TRUE(Run());
  EXPECT_EQ(receiver_.GetClientCount(), 0u);
  EXPECT_TRUE(receiver_.IsDelivering());
  receiver_.Stop();
  EXPECT_FALSE(receiver_.IsDelivering());
}

TEST_F(VasMetaReceiverTest, SecondRunWithoutStopIsRefused) {
  FakeAnalysisServer server(Streaming(0));
  receiver_.ConnInfos = {LocalServer(server.port())};
  ASSERT_TRUE(Run());
  EXPECT_FALSE(Run());
  EXPECT_EQ(receiver_.GetClientCount(), 1u);
}

TEST_F(VasMetaReceiverTest, LaterRecordOfTheSameServerReplacesTheClient) {
  FakeAnalysisServer first(Streaming(0));
  FakeAnalysisServer second(Streaming(1));
  receiver_.ConnInfos = {LocalServer(first.port(), 7), LocalServer(second.port(), 7)};
  ASSERT_TRUE(Run());
  ASSERT_EQ(receiver_.GetClientCount(), 1u);
  EXPECT_EQ(receiver_.GetClient(7)->GetConnInfo().Port, second.port());
  EXPECT_TRUE(collector_.WaitFor(1));
}

TEST_F(VasMetaReceiverTest, ClientsAndPoolsAreNamedAndSizedByServerAndChannels) {
  const std::pair<int, int> cases[] = {{0, 2}, {19, 2}, {20, 3}, {40, 4}};
  FakeAnalysisServer server(Streaming(0));
  int vasId = 10;
  for (const auto& [channels, workers] : cases) {
    CVasConnInfo info = LocalServer(server.port(), vasId);
    info.Channels.assign(channels, 1);
    receiver_.ConnInfos.push_back(info);
    ++vasId;
  }
  ASSERT_TRUE(Run());
  vasId = 10;
  for (const auto& [channels, workers] : cases) {
    std::shared_ptr<CVasMetaClientBase> client = receiver_.GetClient(vasId);
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(client->GetName(), "CVasMetaClientBase-" + std::to_string(vasId));
    EXPECT_EQ(client->GetParserPoolName(), "VAS_META_PARSERS-ID_" + std::to_string(vasId));
    EXPECT_EQ(client->GetParserWorkerCount(), workers) << channels << " channels";
    ++vasId;
  }
}

TEST(VasConnInfo, EveryMemberDecidesEquality) {
  const CVasConnInfo base = LocalServer(7080, 7, 3);
  std::vector<std::function<void(CVasConnInfo&)>> changes = {
      [](CVasConnInfo& i) { i.Reserved = 4; },      [](CVasConnInfo& i) { i.VasID = 8; },
      [](CVasConnInfo& i) { i.Type = 2; },          [](CVasConnInfo& i) { i.AuthType = 3; },
      [](CVasConnInfo& i) { i.Address = "127.0.0.2"; }, [](CVasConnInfo& i) { i.Port = 7081; },
      [](CVasConnInfo& i) { i.LoginID = "a"; },     [](CVasConnInfo& i) { i.Password = "p"; },
      [](CVasConnInfo& i) { i.UseSecure = 1; },     [](CVasConnInfo& i) { i.UseFR = 1; },
      [](CVasConnInfo& i) { i.Channels = {1}; },
      // A changed camera map must restart an OGQ server's client.
      [](CVasConnInfo& i) { i.CameraChannels = {{5, 1}}; },
  };
  EXPECT_EQ(base, CVasConnInfo(base));
  for (size_t i = 0; i < changes.size(); ++i) {
    CVasConnInfo changed = base;
    changes[i](changed);
    EXPECT_FALSE(changed == base) << "change " << i;
  }
}

// ---------------------------------------------------------------- stopping

TEST(VasMetaReceiverStop, SixteenClientsInAnyStateStopWithinThreeSeconds) {
  // The system's own timings: connect attempts of 2 s, pauses of 5 s and 1 s.
  FakeAnalysisServer streaming([](FakeConnection& connection, int) {
    FakeRequest request;
    if (!connection.ReadRequest(&request) || !connection.SendOk()) return;
    for (int gap = 0; !connection.Stopping(); ++gap) {
      if (!connection.SendPart(ResultText(1, gap))) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  FakeAnalysisServer silent([](FakeConnection& connection, int) {
    FakeRequest request;
    if (connection.ReadRequest(&request) && connection.SendOk()) connection.Hold();
  });
  FakeAnalysisServer mute([](FakeConnection& connection, int) { connection.Hold(); });  // never answers
  FakeAnalysisServer closing([](FakeConnection& connection, int) { connection.Close(); });
  SilentListener unanswered;  // connect attempts hang until their time-out
  RefusingPort refusing;      // connect attempts fail, then the 5 s pause
  Collector collector;
  CVasMetaReceiver receiver;
  receiver.SetFileLogFolder("");
  const unsigned short ports[] = {streaming.port(), silent.port(),     mute.port(),
                                  closing.port(),   unanswered.port(), refusing.port()};
  for (int i = 0; i < 16; ++i) receiver.ConnInfos.push_back(LocalServer(ports[i % 6], 100 + i));
  ASSERT_TRUE(receiver.Run(&Collector::Callback, &collector));
  ASSERT_TRUE(collector.WaitFor(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  auto start = steady_clock::now();
  receiver.Stop();
  double seconds = std::chrono::duration<double>(steady_clock::now() - start).count();
  EXPECT_LT(seconds, 3.0);
  EXPECT_EQ(receiver.GetClientCount(), 0u);
}

TEST(VasMetaReceiverStop, RunAndStopFiftyTimes) {
  FakeAnalysisServer server(Streaming(20));
  Collector collector;
  CVasMetaReceiver receiver(platform::SystemClock(), FastTimings());
  receiver.SetFileLogFolder("");
  for (int cycle = 0; cycle < 50; ++cycle) {
    receiver.ConnInfos = {LocalServer(server.port(), 1), LocalServer(server.port(), 2)};
    ASSERT_TRUE(receiver.Run(&Collector::Callback, &collector));
    if (cycle % 10 == 0) {
      ASSERT_TRUE(collector.WaitFor(collector.Count() + 1));
    }
    receiver.Stop();
  }
  EXPECT_GT(collector.Count(), 0u);
}

}  // namespace
