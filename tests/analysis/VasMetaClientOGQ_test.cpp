#include "analysis/VasMetaClientOGQ.h"

#include <gtest/gtest.h>

#include "EngineFrames.h"
#include "PartFeed.h"
#include "foundation/ProcessLogCapture.h"

namespace {

// The header bytes as an OGQ engine writes them: word 0 is 1, type 2, length 5.
constexpr char kFiveByteHeader[] = "\x00\x00\x00\x01\x00\x00\x00\x02\x00\x00\x00\x05\x00\x00\x00\x00";

TEST(VasMetaClientOGQ, HeaderAnnouncesTheBodyThatFollows) {
  ProcessLogCapture log;
  FakeAnalysisServer server([](FakeConnection& connection, int) {
    connection.Send(std::string(kFiveByteHeader, 16) + "12345" + OgqFrame(2, OgqEvent(4)));
    connection.Hold();
  });
  ReceiverUnderTest test(platform::SystemClock(), EngineTimings());
  CVasConnInfo info = EngineServer(kVasKindOgq, server.port());
  ASSERT_TRUE(test.Run(info));
  ASSERT_TRUE(test.collector.WaitFor(1));
  test.receiver.Stop();
  EXPECT_EQ(test.collector.Results()[0].channel, 4);
  // The five bytes were queued as a message: the reader refused them.
  EXPECT_NE(log.Text().find("ERROR - [" + CVasMetaClientBase::GetLabel(info) +
                            "] Error raised when json deserialize the meta stream"),
            std::string::npos)
      << log.Text();
}

// The camera id picks the channel through CameraChannels; the event name
// gives the result's AI event type; a camera that is not listed is dropped
// with its line and the stream goes on.
TEST(VasMetaClientOGQ, CameraGivesTheChannelAndNameTheEventType) {
  ProcessLogCapture log;
  FakeAnalysisServer server([](FakeConnection& connection, int) {
    connection.Send(OgqFrame(2, OgqEvent(3, "leak")) + OgqFrame(2, OgqEvent(77, "fire")) +
                    OgqFrame(2, OgqEvent(5, "HELMET")) + OgqFrame(2, OgqEvent(6, "Fall")));
    connection.Hold();
  });
  ReceiverUnderTest test(platform::SystemClock(), EngineTimings());
  test.collector.keep = true;
  CVasConnInfo info = EngineServer(kVasKindOgq, server.port());
  info.CameraChannels = {{3, 30}, {5, 50}, {6, 60}};
  ASSERT_TRUE(test.Run(info));
  ASSERT_TRUE(test.collector.WaitFor(3));
  test.receiver.Stop();
  const auto& kept = test.collector.Kept();
  ASSERT_EQ(kept.size(), 3u);
  const std::pair<int, int> expected[] = {{30, 100001}, {50, 100008}, {60, -1}};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(kept[i]->Channel, expected[i].first);
    EXPECT_EQ(kept[i]->AIEventType, expected[i].second);
    EXPECT_EQ(kept[i]->VasID, info.VasID);
    EXPECT_EQ(kept[i]->Reserved, info.Reserved);
    EXPECT_EQ(kept[i]->Thumbnail, "");  // the fixture's image is empty
    EXPECT_EQ(kept[i]->Events.size(), 1u);
  }
  std::string label = CVasMetaClientBase::GetLabel(info);
  EXPECT_EQ(label, "OGQ 127.0.0.1:" + std::to_string(server.port()));
  EXPECT_NE(log.Text().find("INFO - [" + label + "] Not found device channel no with key=77\r\n"),
            std::string::npos)
      << log.Text();
  EXPECT_NE(log.Text().find("ERROR - [" + label + "] Error raised when make vas meta stream"), std::string::npos);
  EXPECT_EQ(log.Text().find("json deserialize"), std::string::npos);
}

TEST(VasMetaClientOGQ, EventNamesInAnyCase) {
  const std::pair<const char*, int> cases[] = {
      {"leak", 100001},     {"FIRE", 100002},  {"Invasion", 100003}, {"loitering", 100004}, {"collapse", 100005},
      {"HandAction", 100006}, {"shock", 100007}, {"helmet", 100008},   {"intrusion", -1},     {"", -1},
  };
  for (const auto& [name, code] : cases) EXPECT_EQ(CVasMetaClientOGQ::GetEventTypeCode(name), code) << name;
}

class OgqManualClockTest : public ::testing::Test {
 protected:
  void SetUp() override { clock_->SetLocal(2020, 10, 8, 12, 35, 27); }
  std::shared_ptr<platform::ManualClock> clock_ = std::make_shared<platform::ManualClock>();
};

// A message of another type is read whole and dropped, yet renews the
// keep-alive; sixty seconds without a body end the connection.
TEST_F(OgqManualClockTest, AnyBodyRenewsTheKeepAliveAndSilenceEndsTheConnection) {
  ProcessLogCapture log;
  PartFeed feed;
  FakeAnalysisServer server([&](FakeConnection& connection, int) { feed.Serve(connection, false); });
  ReceiverUnderTest test(clock_, EngineTimings());
  CVasConnInfo info = EngineServer(kVasKindOgq, server.port());
  ASSERT_TRUE(test.Run(info));
  ASSERT_TRUE(WaitUntil([&] { return server.Accepted() == 1; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  clock_->AdvanceMillis(50000);
  feed.Push(OgqFrame(1, std::string(20, 'x')) + OgqFrame(2, OgqEvent(2)));
  ASSERT_TRUE(test.collector.WaitFor(1));
  clock_->AdvanceMillis(20000);  // 70 s after the connection, 20 s after the last body
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  EXPECT_EQ(server.Accepted(), 1);
  EXPECT_EQ(test.collector.Results()[0].channel, 2);
  EXPECT_EQ(log.Text().find("json deserialize"), std::string::npos);  // the type-1 body was never parsed
  clock_->AdvanceMillis(41000);
  ASSERT_TRUE(WaitUntil([&] { return server.Accepted() == 2; }));
  test.receiver.Stop();
  EXPECT_NE(log.Text().find("CVasMetaClientOGQ(" + CVasMetaClientBase::GetLabel(info) +
                            ") has expired keep alive time 60 seconds. diff=61"),
            std::string::npos)
      << log.Text();
}

}  // namespace
