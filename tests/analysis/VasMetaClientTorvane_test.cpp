#include "analysis/VasMetaClientTorvane.h"

#include <functional>
#include <regex>

#include <gtest/gtest.h>

#include "MetaStreamFixture.h"
#include "PartFeed.h"
#include "foundation/Digest.h"
#include "foundation/ProcessLogCapture.h"
#include "support/TempDir.h"

namespace {

using std::chrono::steady_clock;

constexpr char kDefaultBody[] =
    "thumbnail=0&thumbnail_interval=1&linecross=1&linecross_group=1&crowd=1&waterlevel=1"
    "&thumbnail_creation_mode=0";

// ---------------------------------------------------------------- request

struct RequestCase {
  const char* name;
  std::function<void(CVasMetaReceiver&, CVasConnInfo&)> setup;
  const char* requestLine;
  std::string body;
  const char* authorization;
};

TEST(VasMetaClientTorvane, RequestCarriesTheStreamFormAndTheLogin) {
  const RequestCase cases[] = {
      {"the AI event publisher's settings",
       [](CVasMetaReceiver& r, CVasConnInfo& i) {
         r.UseChannelFilter = 0;
         i.Channels = {3, 7};
       },
       "POST /stream/meta.cgi HTTP/1.1", kDefaultBody, ""},
      {"channel filter",
       [](CVasMetaReceiver& r, CVasConnInfo& i) {
         r.UseChannelFilter = 1;
         i.Channels = {3, 7};
       },
       "POST /stream/meta.cgi HTTP/1.1", std::string(kDefaultBody) + "&channel=3,7", ""},
      {"channel filter without channels", [](CVasMetaReceiver& r, CVasConnInfo&) { r.UseChannelFilter = 1; },
       "POST /stream/meta.cgi HTTP/1.1", kDefaultBody, ""},
      {"thumbnails and face recognition",
       [](CVasMetaReceiver& r, CVasConnInfo& i) {
         r.Thumbnail = 1;
         r.ThumbnailInterval = 5;
         i.UseFR = 1;
       },
       "POST /stream/meta.cgi HTTP/1.1",
       "thumbnail=1&thumbnail_interval=5&linecross=1&linecross_group=1&crowd=1&waterlevel=1"
       "&thumbnail_creation_mode=2",
       ""},
      {"basic",
       [](CVasMetaReceiver&, CVasConnInfo& i) {
         i.AuthType = VAS_AUTH_BASIC;
         i.LoginID = "admin";
         i.Password = "pw";
       },
       "POST /stream/meta.cgi HTTP/1.1", kDefaultBody, "Basic YWRtaW46cHc="},
      {"login in the query",
       [](CVasMetaReceiver&, CVasConnInfo& i) {
         i.AuthType = VAS_AUTH_QUERY;
         i.LoginID = "admin";
         i.Password = "pw";
       },
       "POST /stream/meta.cgi?id=admin&password=pw HTTP/1.1", kDefaultBody, ""},
      {"unknown auth type puts the login in the query",
       [](CVasMetaReceiver&, CVasConnInfo& i) {
         i.AuthType = 0;
         i.LoginID = "admin";
         i.Password = "pw";
       },
       "POST /stream/meta.cgi?id=admin&password=pw HTTP/1.1", kDefaultBody, ""},
  };
  for (const RequestCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeAnalysisServer server([](FakeConnection& connection, int) {
      FakeRequest request;
      if (connection.ReadRequest(&request) && connection.SendOk()) connection.Hold();
    });
    ReceiverUnderTest test;
    CVasConnInfo info = LocalServer(server.port());
    c.setup(test.receiver, info);
    ASSERT_TRUE(test.Run(info));
    ASSERT_TRUE(WaitUntil([&] { return !server.Requests().empty(); }));
    FakeRequest request = server.Requests()[0];
    EXPECT_EQ(request.requestLine, c.requestLine);
    EXPECT_EQ(request.body, c.body);
    EXPECT_EQ(request.Field("User-Agent"), "ORVU");
    EXPECT_EQ(request.Field("Connection"), "Keep-Alive");
    EXPECT_EQ(request.Field("Content-Length"), std::to_string(c.body.size() + 4));
    EXPECT_EQ(request.Field("Authorization"), c.authorization);
    test.receiver.Stop();
  }
}

// The value of `key` in a Digest Authorization line (quoted or not).
std::string DigestParameter(const std::string& line, const std::string& key) {
  std::smatch match;
  std::regex pattern("[ ,]" + key + "=\"?([^\",]*)\"?");
  return std::regex_search(line, match, pattern) ? match[1].str() : "";
}

TEST(VasMetaClientTorvane, DigestChallengeIsAnsweredOnANewConnection) {
  FakeAnalysisServer server([](FakeConnection& connection, int index) {
    FakeRequest request;
    if (!connection.ReadRequest(&request)) return;
    if (index == 0) {
      connection.Send(
          "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Digest realm=\"vas\", nonce=\"n0nce\", "
          "qop=\"auth\", algorithm=MD5\r\nContent-Length: 0\r\n\r\n");
      connection.WaitClosed(10000);
      return;
    }
    connection.SendOk();
    connection.SendPart(ResultText(1, 1));
    connection.Hold();
  });
  ReceiverUnderTest test;
  CVasConnInfo info = LocalServer(server.port());
  info.AuthType = VAS_AUTH_DIGEST;
  info.LoginID = "admin";
  info.Password = "secret";
  ASSERT_TRUE(test.Run(info));
  ASSERT_TRUE(test.collector.WaitFor(1));
  EXPECT_EQ(server.Accepted(), 2);
  std::vector<FakeRequest> requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].Field("Authorization"), "");
  std::string answer = requests[1].Field("Authorization");
  ASSERT_EQ(answer.rfind("Digest ", 0), 0u) << answer;
  EXPECT_EQ(DigestParameter(answer, "username"), "admin");
  EXPECT_EQ(DigestParameter(answer, "uri"), "/stream/meta.cgi");
  EXPECT_EQ(DigestParameter(answer, "nonce"), "n0nce");
  std::string ha1 = Md5Hex("admin:vas:secret");
  std::string ha2 = Md5Hex("POST:/stream/meta.cgi");
  std::string expected = Md5Hex(ha1 + ":n0nce:" + DigestParameter(answer, "nc") + ":" +
                                DigestParameter(answer, "cnonce") + ":auth:" + ha2);
  EXPECT_EQ(DigestParameter(answer, "response"), expected);
  EXPECT_EQ(requests[1].body, kDefaultBody);
  test.receiver.Stop();
}

TEST(VasMetaClientTorvane, StreamRunsOverTls) {
  TempDir dir;
  ASSERT_TRUE(FakeAnalysisServer::MakeCertificate(dir.path()));
  FakeAnalysisServer server(
      [](FakeConnection& connection, int) {
        FakeRequest request;
        if (!connection.ReadRequest(&request) || !connection.SendOk()) return;
        for (int gap = 1; gap <= 3; ++gap) connection.SendPart(ResultText(2, gap));
        connection.Hold();
      },
      dir.path());
  ReceiverUnderTest test;
  CVasConnInfo info = LocalServer(server.port());
  info.UseSecure = 1;
  ASSERT_TRUE(test.Run(info));
  ASSERT_TRUE(test.collector.WaitFor(3));
  EXPECT_EQ(test.collector.Results()[2].gap, 3);
  EXPECT_EQ(server.Requests()[0].body, kDefaultBody);
  test.receiver.Stop();
}

// ---------------------------------------------------------------- framing

struct TorvaneFramingCase {
  const char* name;
  std::string bytes;               // sent after the 200 reply on the first connection
  std::vector<int> delivered;      // gaps of the results delivered from it
  bool reconnects;                 // the client drops the connection and comes back
  const char* logged;              // a piece of the process log, or ""
};

std::string Block(const std::string& firstLine, const std::string& json) {
  return firstLine + "\r\nContent-Length: " + std::to_string(json.size()) + "\r\n\r\n" + json + "\r\n";
}

TEST(VasMetaClientTorvane, FramingFollowsEachRule) {
  const TorvaneFramingCase cases[] = {
      {"boundary line alone", FakePart(ResultText(1, 1)), {1}, false, ""},
      {"boundary with a status word", Block("--1234567890 200", ResultText(1, 2)), {2}, false, ""},
      {"status line", Block("HTTP/1.1 200 OK", ResultText(1, 3)), {3}, false, ""},
      {"another single word", Block("--0987654321", ResultText(1, 4)), {}, true, "Invalid http header - 3."},
      {"no word", Block(" ", ResultText(1, 4)), {}, true, "Invalid http header - 2."},
      {"empty block", "\r\n\r\n", {}, true, "Invalid http header - 1."},
      {"status 401", "HTTP/1.1 401 Unauthorized\r\nContent-Length: 0\r\n\r\n", {}, true,
       "Error raised when request message to vas (401)"},
      {"length 0 carries no message",
       "--1234567890\r\nContent-Length: 0\r\n\r\n" + FakePart(ResultText(1, 5)), {5}, false, ""},
      {"keep-alive part is dropped", FakePart(R"({"T":"h"})") + FakePart(ResultText(1, 6)), {6}, false, ""},
      {"unknown kind is dropped", FakePart(R"({"T":"x","C":1})") + FakePart(ResultText(1, 7)), {7}, false, ""},
      {"result without channel is dropped", FakePart(R"({"T":"a","Gap":1})") + FakePart(ResultText(1, 8)), {8},
       false, ""},
      {"text that does not parse", FakePart(R"({"T":"a","C":)") + FakePart(ResultText(1, 9)), {9}, false,
       "Error raised when json deserialize the meta stream"},
      {"two parts in one write", FakePart(ResultText(1, 10)) + FakePart(ResultText(1, 11)), {10, 11}, false, ""},
      {"negative length", "--1234567890\r\nContent-Length: -5\r\n\r\n", {}, true, "Part length -5"},
      {"length above the limit", "--1234567890\r\nContent-Length: 67108865\r\n\r\n", {}, true,
       "is outside 0 to 67108864 bytes"},
      {"header without an end", std::string(CVasMetaClientTorvane::kMaxHeaderBlock + 16, 'x'), {}, true,
       "The connection ended while waiting for a part header."},
  };
  for (const TorvaneFramingCase& c : cases) {
    SCOPED_TRACE(c.name);
    ProcessLogCapture log;
    FakeAnalysisServer server([&c](FakeConnection& connection, int index) {
      FakeRequest request;
      if (!connection.ReadRequest(&request) || !connection.SendOk()) return;
      if (index == 0) connection.Send(c.bytes);
      connection.Hold();
    });
    ReceiverUnderTest test;
    ASSERT_TRUE(test.Run(LocalServer(server.port())));
    if (c.reconnects) {
      EXPECT_TRUE(WaitUntil([&] { return server.Accepted() >= 2; }));
    } else {
      ASSERT_TRUE(test.collector.WaitFor(c.delivered.size()));
      // Several failure pauses: a wrongly dropped connection would be back by now.
      std::this_thread::sleep_for(std::chrono::milliseconds(400));
      EXPECT_EQ(server.Accepted(), 1);
    }
    test.receiver.Stop();
    std::vector<int> gaps;
    for (const Delivered& d : test.collector.Results()) gaps.push_back(d.gap);
    EXPECT_EQ(gaps, c.delivered);
    if (*c.logged) {
      EXPECT_NE(log.Text().find(c.logged), std::string::npos) << log.Text();
    }
  }
}

TEST(VasMetaClientTorvane, PartSplitAcrossWaitsIsKept) {
  PartFeed feed;
  FakeAnalysisServer server([&](FakeConnection& connection, int) { feed.Serve(connection); });
  ReceiverUnderTest test;
  ASSERT_TRUE(test.Run(LocalServer(server.port())));
  std::string part = FakePart(ResultText(1, 1));
  feed.Push(part.substr(0, 20));
  // Longer than a header wait: the first half waits in the client's buffer.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  feed.Push(part.substr(20));
  ASSERT_TRUE(test.collector.WaitFor(1));
  EXPECT_EQ(server.Accepted(), 1);
  test.receiver.Stop();
}

TEST(VasMetaClientTorvane, TwoMebibytePartComesWhole) {
  std::string thumbnail(2 * 1024 * 1024, 'A');
  std::string json = R"({"T":"a","C":4,"Gap":1,"X":")" + thumbnail + R"(","t_size":)" +
                     std::to_string(thumbnail.size()) + "}";
  FakeAnalysisServer server([&](FakeConnection& connection, int) {
    FakeRequest request;
    if (connection.ReadRequest(&request) && connection.SendOk() && connection.SendPart(json)) connection.Hold();
  });
  ReceiverUnderTest test;
  ASSERT_TRUE(test.Run(LocalServer(server.port())));
  ASSERT_TRUE(test.collector.WaitFor(1));
  EXPECT_EQ(test.collector.Results()[0].thumbnail, thumbnail.size());
  EXPECT_EQ(test.collector.Results()[0].channel, 4);
  test.receiver.Stop();
}

TEST(VasMetaClientTorvane, ClosedStreamReconnectsAtOnceNotAfterTheKeepAlive) {
  ProcessLogCapture log;
  FakeAnalysisServer server([](FakeConnection& connection, int index) {
    FakeRequest request;
    if (!connection.ReadRequest(&request) || !connection.SendOk()) return;
    connection.SendPart(ResultText(1, index + 1));
    if (index == 0) {
      connection.Close();
      return;
    }
    connection.Hold();
  });
  ReceiverUnderTest test;
  ASSERT_TRUE(test.Run(LocalServer(server.port())));
  ASSERT_TRUE(test.collector.WaitFor(2, 20));
  EXPECT_EQ(server.Accepted(), 2);
  EXPECT_NE(log.Text().find("The connection ended while waiting for a part header."), std::string::npos);
  test.receiver.Stop();
}

// ---------------------------------------------------------------- all-object counts

struct CountCollector {
  static bool Callback(CVARAllCount* counts, void* param) {
    auto* self = static_cast<CountCollector*>(param);
    std::lock_guard<std::mutex> hold(self->lock);
    self->seen.push_back(*counts);
    return false;  // the receiver destroys it
  }
  std::mutex lock;
  std::vector<CVARAllCount> seen;
};

TEST(VasMetaClientTorvane, AllCountsReachTheirHandlerUnderServerAndChannel) {
  const std::string counts = R"({"T":"c","AC":[{"C":2,"P":[{"I":1,"C":[{"o":5,"FC":3,"BC":4}]}]}]})";
  FakeAnalysisServer server([&](FakeConnection& connection, int) {
    FakeRequest request;
    if (!connection.ReadRequest(&request) || !connection.SendOk()) return;
    connection.SendPart(R"({"T":"c","AC":[]})");  // no channel: dropped silently
    connection.SendPart(counts);
    connection.SendPart(counts);
    connection.SendPart(ResultText(1, 1));
    connection.Hold();
  });
  ReceiverUnderTest test;
  CountCollector handler;
  test.receiver.SetAllCountCallback(&CountCollector::Callback, &handler);
  ASSERT_TRUE(test.Run(LocalServer(server.port(), 7, 3)));
  ASSERT_TRUE(test.collector.WaitFor(1));
  ASSERT_TRUE(WaitUntil([&] {
    std::lock_guard<std::mutex> hold(handler.lock);
    return handler.seen.size() >= 2;
  }));
  test.receiver.Stop();
  std::lock_guard<std::mutex> hold(handler.lock);
  ASSERT_EQ(handler.seen.size(), 2u);
  const CVARLineCounts lines = {{1, CVARClassCounts{{5, {3, 4}}}}};
  EXPECT_EQ(handler.seen[0], (CVARAllCount{{CVARAllCountKey(3, 7, 2), lines}}));
}

TEST(VasMetaClientTorvane, AllCountsWithoutHandlerAreDestroyed) {
  FakeAnalysisServer server([](FakeConnection& connection, int) {
    FakeRequest request;
    if (!connection.ReadRequest(&request) || !connection.SendOk()) return;
    for (int i = 0; i < 20; ++i) connection.SendPart(R"({"T":"c","AC":[{"C":1,"P":[]}]})");
    connection.SendPart(ResultText(1, 1));
    connection.Hold();
  });
  ReceiverUnderTest test;
  ASSERT_TRUE(test.Run(LocalServer(server.port())));
  ASSERT_TRUE(test.collector.WaitFor(1));
  test.receiver.Stop();  // the leak checker sees whatever was not destroyed
}

// ---------------------------------------------------------------- timings

size_t CountOf(const std::string& text, const std::string& piece) {
  size_t count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++count;
  return count;
}

double SecondsSince(steady_clock::time_point start) {
  return std::chrono::duration<double>(steady_clock::now() - start).count();
}

TEST(VasMetaClientTorvane, ConnectGivesUpAfterTwoSeconds) {
  ProcessLogCapture log;
  SilentListener listener;
  ReceiverUnderTest test(platform::SystemClock(), CVasMetaTimings());
  auto start = steady_clock::now();
  ASSERT_TRUE(test.Run(LocalServer(listener.port())));
  ASSERT_TRUE(WaitUntil([&] { return log.Text().find("VAS connection failed..") != std::string::npos; }));
  double waited = SecondsSince(start);
  EXPECT_GE(waited, 1.9);
  EXPECT_LT(waited, 10.0);
  test.receiver.Stop();
}

TEST(VasMetaClientTorvane, FailedConnectionIsRetriedEveryFiveSecondsUntilStopped) {
  ProcessLogCapture log;
  RefusingPort port;
  ReceiverUnderTest test(platform::SystemClock(), CVasMetaTimings());
  ASSERT_TRUE(test.Run(LocalServer(port.port())));
  const std::string line = "ERROR - [Torvane 127.0.0.1:" + std::to_string(port.port()) + "] VAS connection failed..";
  ASSERT_TRUE(WaitUntil([&] { return CountOf(log.Text(), line) >= 1; }));
  auto first = steady_clock::now();
  ASSERT_TRUE(WaitUntil([&] { return CountOf(log.Text(), line) >= 2; }));
  EXPECT_GE(SecondsSince(first), 4.8);
  // A stop ends the pause at once.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  auto stop = steady_clock::now();
  test.receiver.Stop();
  EXPECT_LT(SecondsSince(stop), 1.0);
}

TEST(VasMetaClientTorvane, ReceiveFailureReconnectsOneSecondLater) {
  std::atomic<int64_t> closedAt{0};
  std::atomic<int64_t> secondAt{0};
  auto now = [] { return steady_clock::now().time_since_epoch().count(); };
  FakeAnalysisServer server([&](FakeConnection& connection, int index) {
    if (index == 1) secondAt = now();
    FakeRequest request;
    if (!connection.ReadRequest(&request) || !connection.SendOk()) return;
    if (index == 0) {
      closedAt = now();
      connection.Close();
      return;
    }
    connection.Hold();
  });
  ReceiverUnderTest test(platform::SystemClock(), CVasMetaTimings());
  ASSERT_TRUE(test.Run(LocalServer(server.port())));
  ASSERT_TRUE(WaitUntil([&] { return secondAt.load() != 0; }));
  double gap = std::chrono::duration<double>(steady_clock::duration(secondAt - closedAt)).count();
  EXPECT_GE(gap, 0.95);
  EXPECT_LT(gap, 10.0);
  test.receiver.Stop();
}

// The wall clock of the keep-alive and the clock check is a manual one.
class ManualClockTest : public ::testing::Test {
 protected:
  void SetUp() override { clock_->SetLocal(2020, 10, 8, 12, 35, 27); }
  std::shared_ptr<platform::ManualClock> clock_ = std::make_shared<platform::ManualClock>();
};

TEST_F(ManualClockTest, SilenceOverSixtySecondsOrAClockSetBackReconnects) {
  ProcessLogCapture log;
  FakeAnalysisServer server([](FakeConnection& connection, int) {
    FakeRequest request;
    if (connection.ReadRequest(&request) && connection.SendOk()) connection.Hold();
  });
  ReceiverUnderTest test(clock_);
  CVasConnInfo info = LocalServer(server.port());
  ASSERT_TRUE(test.Run(info));
  ASSERT_TRUE(WaitUntil([&] { return server.Requests().size() == 1; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(server.Accepted(), 1);  // sixty seconds of silence are allowed
  clock_->AdvanceMillis(60000);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(server.Accepted(), 1);
  clock_->AdvanceMillis(1000);
  ASSERT_TRUE(WaitUntil([&] { return server.Requests().size() == 2; }));
  std::string label = CVasMetaClientBase::GetLabel(info);
  EXPECT_NE(log.Text().find("CVasMetaClientTorvane(" + label + ") has expired keep alive time 60 seconds. diff=61"),
            std::string::npos)
      << log.Text();
  clock_->AdvanceMillis(-10000);
  ASSERT_TRUE(WaitUntil([&] { return server.Requests().size() == 3; }));
  EXPECT_NE(log.Text().find("has expired keep alive time 60 seconds. diff=-10"), std::string::npos);
  test.receiver.Stop();
}

TEST_F(ManualClockTest, KeepAlivePartRenewsTheConnection) {
  PartFeed feed;
  FakeAnalysisServer server([&](FakeConnection& connection, int) { feed.Serve(connection); });
  ReceiverUnderTest test(clock_);
  ASSERT_TRUE(test.Run(LocalServer(server.port())));
  ASSERT_TRUE(WaitUntil([&] { return server.Requests().size() == 1; }));
  clock_->AdvanceMillis(50000);
  feed.Push(FakePart(R"({"T":"h"})"));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  clock_->AdvanceMillis(20000);  // 70 s after the connection, 20 s after the keep-alive part
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(server.Accepted(), 1);
  test.receiver.Stop();
}

TEST_F(ManualClockTest, ClockDifferenceIsReportedAtMostOncePerMinute) {
  TempDir logs;
  PartFeed feed;
  FakeAnalysisServer server([&](FakeConnection& connection, int) { feed.Serve(connection); });
  CVasMetaTimings timings = FastTimings();
  timings.keepAliveSeconds = 3600;  // the clock moves minutes here; the connection must stay
  ReceiverUnderTest test(clock_, timings);
  test.receiver.SetFileLogFolder(logs.path());
  ASSERT_TRUE(test.Run(LocalServer(server.port())));
  // Results stamped `behind` seconds before the manual clock's time.
  auto send = [&](int behind, int gap) {
    int64_t seconds = clock_->NowSeconds() - behind;
    SystemTime stamp = platform::ToLocalDateTime(seconds * 1000000);
    char time[32];
    snprintf(time, sizeof(time), "%04d%02d%02d%02d%02d%02d000", stamp.year, stamp.month, stamp.day, stamp.hour,
             stamp.minute, stamp.second);
    feed.Push(FakePart(R"({"T":"a","C":1,"Gap":)" + std::to_string(gap) + R"(,"S":")" + time + R"("})"));
    ASSERT_TRUE(test.collector.WaitFor(static_cast<size_t>(gap)));
  };
  send(31, 1);               // the first result only records the time
  clock_->AdvanceMillis(61000);
  send(31, 2);               // a minute later: reported
  send(31, 3);               // within the minute: not again
  clock_->AdvanceMillis(61000);
  send(30, 4);               // 30 s is within the limit
  clock_->AdvanceMillis(61000);
  send(-45, 5);              // ahead counts as well
  test.receiver.Stop();
  std::string text = ReadTestFile(logs.Join("VRCV_20201008.txt"));
  EXPECT_EQ(CountOf(text, "time diff between ZMS&VAS is too great."), 2u) << text;
  EXPECT_NE(text.find("time diff = 31 sec."), std::string::npos) << text;
  EXPECT_NE(text.find("time diff = -45 sec."), std::string::npos) << text;
  EXPECT_NE(text.find("Meta Client has connected to a server 127.0.0.1:"), std::string::npos);
  EXPECT_NE(text.find("Exit logging."), std::string::npos);
}

}  // namespace
