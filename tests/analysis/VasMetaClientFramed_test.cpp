// The length-framed AI-engine streams (OGQ, SKT AI server and edge) against
// the fake analysis server: the rules both framings share.
#include "analysis/VasMetaClientFramed.h"

#include <functional>

#include <gtest/gtest.h>

#include "EngineFrames.h"
#include "PartFeed.h"
#include "foundation/ProcessLogCapture.h"
#include "support/TempDir.h"

namespace {

using std::chrono::steady_clock;

struct Engine {
  const char* name;
  int kind;
  // A whole message that delivers a result of `channel`, `pad` bytes longer than its least.
  std::function<std::string(int channel, size_t pad)> message;
  // A header of a kept message type announcing `length` bytes.
  std::function<std::string(int32_t length)> header;
};

const Engine kEngines[] = {
    {"OGQ", kVasKindOgq, [](int c, size_t pad) { return OgqFrame(2, OgqEvent(c, "fire", pad)); },
     [](int32_t length) { return OgqHeader(2, length); }},
    {"SKT AI", kVasKindSktServer, [](int c, size_t pad) { return SktFrame(SktResult(c, pad)); }, &SktHeader},
    {"SKT AI edge", kVasKindSktEdge, [](int c, size_t pad) { return SktFrame(SktResult(c, pad)); },
     &SktHeader},
};

struct FramingCase {
  const char* name;
  std::function<std::string(const Engine&)> bytes;  // sent on the first connection
  std::vector<int> delivered;                       // channels of the results delivered from it
  bool reconnects;                                  // the client drops the connection and comes back
  const char* logged;                               // a piece of the process log, or ""
};

const FramingCase kFramingCases[] = {
    {"one message", [](const Engine& e) { return e.message(1, 0); }, {1}, false, ""},
    {"two messages in one write", [](const Engine& e) { return e.message(1, 0) + e.message(2, 0); }, {1, 2}, false,
     ""},
    {"length 0 carries no message", [](const Engine& e) { return e.header(0) + e.message(3, 0); }, {3}, false, ""},
    {"negative length carries no message", [](const Engine& e) { return e.header(-7) + e.message(4, 0); }, {4},
     false, ""},
    {"a body that does not parse keeps the stream in step",
     [](const Engine& e) { return e.header(5) + "12345" + e.message(5, 0); }, {5}, false,
     "Error raised when json deserialize the meta stream"},
    {"length above the part cap", [](const Engine& e) { return e.header(64 * 1024 * 1024 + 1); }, {}, true,
     "Message length 67108865 is above 67108864 bytes."},
    {"header in part", [](const Engine& e) { return e.header(10).substr(0, 2); }, {}, true,
     "Error raised when receive response message"},
    {"body in part", [](const Engine& e) { return e.message(6, 0).substr(0, 30); }, {}, true,
     "Error raised when receive response message"},
    {"closed after a message", [](const Engine& e) { return e.message(7, 0); }, {7}, true, ""},
};

TEST(VasMetaClientFramed, FramingFollowsEachRule) {
  for (const Engine& engine : kEngines) {
    for (const FramingCase& c : kFramingCases) {
      SCOPED_TRACE(std::string(engine.name) + ": " + c.name);
      ProcessLogCapture log;
      const bool closes = std::string(c.name) == "closed after a message";
      FakeAnalysisServer server([&](FakeConnection& connection, int index) {
        if (index > 0) return connection.Hold();
        connection.Send(c.bytes(engine));
        if (closes) return connection.Close();
        connection.Hold();
      });
      ReceiverUnderTest test(platform::SystemClock(), EngineTimings());
      ASSERT_TRUE(test.Run(EngineServer(engine.kind, server.port())));
      ASSERT_TRUE(test.collector.WaitFor(c.delivered.size()));
      if (c.reconnects) {
        EXPECT_TRUE(WaitUntil([&] { return server.Accepted() >= 2; }));
      } else {
        // Longer than a message wait and a failure pause: a wrongly dropped
        // connection would be back by now.
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        EXPECT_EQ(server.Accepted(), 1);
      }
      test.receiver.Stop();
      std::vector<int> channels;
      for (const Delivered& d : test.collector.Results()) channels.push_back(d.channel);
      EXPECT_EQ(channels, c.delivered);
      if (*c.logged) EXPECT_NE(log.Text().find(c.logged), std::string::npos) << log.Text();
    }
  }
}

// The receive buffer grows with the bytes: a body of several MiB comes whole
// and is read, split over many reads and arriving over time.
TEST(VasMetaClientFramed, MessageLargerThanAMebibyteComesWhole) {
  for (const Engine& engine : kEngines) {
    SCOPED_TRACE(engine.name);
    PartFeed feed;
    FakeAnalysisServer server([&](FakeConnection& connection, int) { feed.Serve(connection, false); });
    CVasMetaTimings timings = EngineTimings();
    timings.frameWaitMs = 10000;
    ReceiverUnderTest test(platform::SystemClock(), timings);
    ASSERT_TRUE(test.Run(EngineServer(engine.kind, server.port())));
    std::string message = engine.message(2, 3 * 1024 * 1024) + engine.message(3, 0);
    feed.Push(message.substr(0, 1000000));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    feed.Push(message.substr(1000000));
    ASSERT_TRUE(test.collector.WaitFor(2));
    test.receiver.Stop();
    EXPECT_EQ(test.collector.Results()[0].channel, 2);
    EXPECT_EQ(test.collector.Results()[1].channel, 3);
    EXPECT_EQ(server.Accepted(), 1);
  }
}

TEST(VasMetaClientFramed, MessagesRunOverTls) {
  TempDir dir;
  ASSERT_TRUE(FakeAnalysisServer::MakeCertificate(dir.path()));
  for (const Engine& engine : kEngines) {
    SCOPED_TRACE(engine.name);
    FakeAnalysisServer server(
        [&](FakeConnection& connection, int) {
          connection.Send(engine.message(1, 0) + engine.message(2, 100000));
          connection.Hold();
        },
        dir.path());
    ReceiverUnderTest test(platform::SystemClock(), EngineTimings());
    CVasConnInfo info = EngineServer(engine.kind, server.port());
    info.UseSecure = 1;
    ASSERT_TRUE(test.Run(info));
    ASSERT_TRUE(test.collector.WaitFor(2));
    test.receiver.Stop();
    EXPECT_EQ(test.collector.Results()[1].channel, 2);
    EXPECT_EQ(server.Accepted(), 1);
  }
}

// A header that arrives in part within the message wait (3000 ms) ends the
// connection with the two receive lines; the client is back one second later.
TEST(VasMetaClientFramed, HeaderInPartReconnectsOneSecondAfterTheWait) {
  for (const Engine& engine : {kEngines[0], kEngines[1]}) {
    SCOPED_TRACE(engine.name);
    ProcessLogCapture log;
    TempDir logs;
    std::atomic<int64_t> sentAt{0};
    std::atomic<int64_t> secondAt{0};
    auto now = [] { return steady_clock::now().time_since_epoch().count(); };
    FakeAnalysisServer server([&](FakeConnection& connection, int index) {
      if (index == 0) {
        connection.Send(engine.header(16).substr(0, 2));
        sentAt = now();
      } else {
        secondAt = now();
      }
      connection.Hold();
    });
    ReceiverUnderTest test(platform::SystemClock(), CVasMetaTimings());
    test.receiver.SetFileLogFolder(logs.path());
    CVasConnInfo info = EngineServer(engine.kind, server.port());
    ASSERT_TRUE(test.Run(info));
    ASSERT_TRUE(WaitUntil([&] { return secondAt.load() != 0; }));
    double gap = std::chrono::duration<double>(steady_clock::duration(secondAt - sentAt)).count();
    EXPECT_GE(gap, 3.9);  // the 3000 ms wait, then the 1000 ms pause
    EXPECT_LT(gap, 20.0);
    test.receiver.Stop();
    std::string label = CVasMetaClientBase::GetLabel(info);
    EXPECT_NE(log.Text().find("ERROR - [" + label + "] Error raised when receive response message\r\n"),
              std::string::npos)
        << log.Text();
    std::string file = ReadTestFile(test.receiver.GetFileLogger()->GetFilePath(
        platform::ToLocalDateTime(platform::SystemClock()->NowMicros())));
    EXPECT_NE(file.find("[" + label + "] Error raised when receive response message.\n"), std::string::npos)
        << file;
    EXPECT_NE(file.find("Meta Client has connected to a server [" + label + "]\n"), std::string::npos) << file;
  }
}

}  // namespace
