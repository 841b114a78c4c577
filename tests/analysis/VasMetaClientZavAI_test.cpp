#include "analysis/VasMetaClientZavAI.h"

#include <functional>

#include <gtest/gtest.h>

#include "MetaStreamFixture.h"
#include "foundation/ProcessLogCapture.h"

namespace {

CVasConnInfo ZavAIServer(unsigned short port) {
  CVasConnInfo info = LocalServer(port);
  info.Type = kVasKindZavAi;
  return info;
}

struct ZavRequestCase {
  const char* name;
  std::function<void(CVasMetaReceiver&, CVasConnInfo&)> setup;
  const char* body;
};

// The own kind's request with the one form field and, as there, the channels.
TEST(VasMetaClientZavAI, RequestAsksOnlyForThumbnailsAndChannels) {
  const ZavRequestCase cases[] = {
      {"the publisher's settings", [](CVasMetaReceiver& r, CVasConnInfo&) { r.UseChannelFilter = 0; },
       "thumbnail=0"},
      {"thumbnails and channels",
       [](CVasMetaReceiver& r, CVasConnInfo& i) {
         r.Thumbnail = 1;
         r.ThumbnailInterval = 5;
         r.UseChannelFilter = 1;
         i.Channels = {3, 7};
         i.UseFR = 1;
       },
       "thumbnail=1&channel=3,7"},
  };
  for (const ZavRequestCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeAnalysisServer server([](FakeConnection& connection, int) {
      FakeRequest request;
      if (connection.ReadRequest(&request) && connection.SendOk()) connection.Hold();
    });
    ReceiverUnderTest test;
    CVasConnInfo info = ZavAIServer(server.port());
    c.setup(test.receiver, info);
    ASSERT_TRUE(test.Run(info));
    ASSERT_TRUE(WaitUntil([&] { return !server.Requests().empty(); }));
    test.receiver.Stop();
    FakeRequest request = server.Requests()[0];
    EXPECT_EQ(request.requestLine, "POST /stream/meta.cgi HTTP/1.1");
    EXPECT_EQ(request.body, c.body);
    // The body as sent ends with an empty line, as the own kind's does.
    EXPECT_EQ(request.Field("Content-Length"), std::to_string(std::string(c.body).size() + 4));
  }
}

// Only analysis results are parsed; their event names become the events'
// AI event types; errors name the server as "Torvane <address>:<port>".
TEST(VasMetaClientZavAI, KeepsResultsAndTypesTheirEvents) {
  ProcessLogCapture log;
  const std::string events =
      R"({"T":"a","C":4,"N":[{"o":[10],"tid":1,"rid":1,"evt":"INTRUSION"},{"o":[50],"tid":2,"rid":1,"evt":"loitering"},)"
      R"({"o":[70],"tid":3,"rid":2,"evt":"Fall"}]})";
  FakeAnalysisServer server([&](FakeConnection& connection, int) {
    FakeRequest request;
    if (!connection.ReadRequest(&request) || !connection.SendOk()) return;
    connection.SendPart(R"({"T":"h"})");
    connection.SendPart(R"({"T":"c","AC":[{"C":1,"P":[]}]})");
    connection.SendPart(R"({"T":"x","C":1,"N":[}")");  // another kind is dropped unparsed
    connection.SendPart(R"({"T":"a","C":)");             // a result that does not parse
    connection.SendPart(events);
    connection.Hold();
  });
  ReceiverUnderTest test;
  test.collector.keep = true;
  CVasConnInfo info = ZavAIServer(server.port());
  ASSERT_TRUE(test.Run(info));
  ASSERT_TRUE(test.collector.WaitFor(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  test.receiver.Stop();
  ASSERT_EQ(test.collector.Kept().size(), 1u);
  const CVAR& result = *test.collector.Kept()[0];
  EXPECT_EQ(result.Channel, 4);
  ASSERT_EQ(result.Events.size(), 3u);
  std::vector<std::pair<int, int>> types;
  for (const CVAREvent& event : result.Events) types.emplace_back(event.Class, event.AIEventType);
  EXPECT_EQ(types, (std::vector<std::pair<int, int>>{{2002, 100009}, {2003, 100004}, {2004, -1}}));
  std::string text = log.Text();
  const std::string line = "ERROR - [Torvane 127.0.0.1:" + std::to_string(server.port()) +
                           "] Error raised when json deserialize the meta stream";
  // One line: for the result that does not parse, none for the other kind.
  size_t first = text.find(line);
  EXPECT_NE(first, std::string::npos) << text;
  EXPECT_EQ(text.find(line, first + 1), std::string::npos) << text;
  EXPECT_EQ(server.Accepted(), 1);
}

TEST(VasMetaClientZavAI, EventNamesInAnyCase) {
  const std::pair<const char*, int> cases[] = {{"Intrusion", 100009}, {"INTRUSION", 100009}, {"loitering", 100004},
                                               {"Loitering", 100004}, {"Fall", -1},          {"", -1}};
  for (const auto& [name, code] : cases) EXPECT_EQ(CVasMetaClientZavAI::GetEventTypeCode(name), code) << name;
}

}  // namespace
