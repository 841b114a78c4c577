// The AI event publisher in send mode 2: its building-IoT queues, the
// sender pass of each job with the job's notifier, against the fake
// building-IoT platform.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "AIPublisherFixture.h"
#include "analysis/FakeAnalysisServer.h"
#include "FakeBIoTPlatform.h"
#include "foundation/GenericLogger.h"
#include "services/BIoTEventSender.h"
#include "shell/ScopedTimeZone.h"

namespace {

const std::string kSenderInSchedule = "20261209093000000";

CBIoTEventData Record(int zav, const std::string& camera, int64_t time = 1700000000) {
  CBIoTEventData record;
  record.cameraId = zav * 100;
  record.zavNo = zav;
  record.zavChannel = 2;
  record.intelligentEventId = 5;
  record.eventTime = time;
  record.cameraName = camera;
  record.eventName = "Intrusion";
  record.eventImage = "img";
  return record;
}

// The notifier settings a target gives.
TEST(BIoTEventSenderTest, NotifierTakesPortAndTlsFromTheUrlScheme) {
  struct Case {
    const char* url;
    int port;
    int tls;
  } cases[] = {
      {"https://platform.example/api", 443, 1},
      {"http://platform.example/api", 80, 0},
      {"https://platform.example:8443", 8443, 1},
      {"http://platform.example:8080", 8080, 0},
  };
  CBIoTEventSender sender;
  CBIoTEventSender::Settings settings;
  settings.siteID = "S";
  settings.eventInterval = 20;
  settings.duplicateWindow = 5;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    auto notifier = sender.GetNotifier(1, {c.url, "user", "pw"}, settings);
    EXPECT_EQ(notifier->Settings().host, "platform.example");
    EXPECT_EQ(notifier->Settings().port, c.port);
    EXPECT_EQ(notifier->Settings().tls, c.tls);
    EXPECT_EQ(notifier->Settings().siteID, "S");
    EXPECT_EQ(notifier->eventInterval, 20);
    EXPECT_EQ(notifier->duplicateWindow, 5);
  }
  // Kept while the job's target stays; made anew when its login changes.
  auto kept = sender.GetNotifier(2, {"http://a", "u", "p"}, settings);
  EXPECT_EQ(sender.GetNotifier(2, {"http://a", "u", "p"}, settings), kept);
  EXPECT_NE(sender.GetNotifier(2, {"http://a", "u", "p2"}, settings), kept);
}

class BIoTSendModeTest : public AIPublisherFixture {
 protected:
  void SetUp() override {
    AIPublisherFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_TRUE(platform_.Start());
    CBIoTEventPublisher::SetZavAuthCodeMap({{4, "AC4"}});
  }
  void TearDown() override {
    if (publisher_) publisher_->Stop();
    publisher_.reset();
    CBIoTEventPublisher::SetZavAuthCodeMap({});
    AIPublisherFixture::TearDown();
  }
  std::string PlatformUrl(const FakeBIoTPlatform& platform) const {
    return "http://127.0.0.1:" + std::to_string(platform.port()) + "/";
  }
  void MakePublisher(bool secureSession = false) {
    SetJobs({AIJob(3, PlatformUrl(platform_), 0, secureSession, "user", "pw")});
    publisher_ = std::make_unique<CAIEventPublisher>(settings_);
    publisher_->SetSendMode(CAIEventPublisher::kSendModeBIoT);
    publisher_->SetSiteID("SITE");
    publisher_->Initialize();
  }
  // The event notifications the platform received, by the camera name in each.
  std::vector<std::string> NotifiedCameras(const FakeBIoTPlatform& platform) {
    std::vector<std::string> cameras;
    for (size_t n = 1; n <= platform.Requests().size(); ++n) {
      std::string body = platform.RequestBody(static_cast<int>(n));
      size_t at = body.find("\"event_contents\":\"");
      if (at == std::string::npos) continue;
      at += 18;
      cameras.push_back(body.substr(at, body.find('"', at) - at));
    }
    return cameras;
  }
  int LastErrorCode() { return publisher_->GetItemStatus(3).GetLastErrorCode(); }

  FakeBIoTPlatform platform_;
  std::unique_ptr<CAIEventPublisher> publisher_;
};

TEST_F(BIoTSendModeTest, FullQueueIsEmptiedBeforeTheNextBatch) {
  MakePublisher();
  ProcessLogCapture log;
  publisher_->PublishEventToBIoT(std::vector<CBIoTEventData>(999, Record(4, "A")));
  publisher_->PublishEventToBIoT(std::vector<CBIoTEventData>(5, Record(4, "A")));
  EXPECT_EQ(publisher_->GetBIoTQueuedCount(3), 1004u);
  publisher_->PublishEventToBIoT(std::vector<CBIoTEventData>(2, Record(4, "A")));
  EXPECT_EQ(publisher_->GetBIoTQueuedCount(3), 2u);
  EXPECT_NE(log.Text().find("INFO - SendQ is full (3)\r\n"), std::string::npos);
}

TEST_F(BIoTSendModeTest, FailedRecordEndsThePassWithCode100AndDropsTheRest) {
  MakePublisher(true);  // TLS asked by the job, but the URL's scheme is plain: it notifies in plain
  ProcessLogCapture log;
  GetProcessLogger()->SetLevelFlags(2, LOG_OUTPUT_DEBUGGER);
  // The second record's recording server has no auth code.
  publisher_->PublishEventToBIoT({Record(4, "First", 100), Record(9, "Second", 100), Record(4, "Third", 101)});
  publisher_->Start();
  ASSERT_TRUE(WaitUntil([&] { return publisher_->GetItemStatus(3).GetLastDateTimeExecuted() != ""; }, 60));
  EXPECT_EQ(LastErrorCode(), 100);
  EXPECT_EQ(NotifiedCameras(platform_), (std::vector<std::string>{"First"}));
  EXPECT_NE(log.Text().find("INFO - [First - Intrusion] event notified.\r\n"), std::string::npos);
  EXPECT_NE(log.Text().find("ERROR - NotifyEvent fialed.. [Second - Intrusion]\r\n"), std::string::npos);

  // A pass that notifies everything sets the code back to 0.
  publisher_->PublishEventToBIoT({Record(4, "Fourth", 200)});
  ASSERT_TRUE(WaitUntil([&] { return NotifiedCameras(platform_).size() == 2; }, 60));
  ASSERT_TRUE(WaitUntil([&] { return LastErrorCode() == 0; }, 60));
  GetProcessLogger()->SetLevelFlags(2, 0);
}

TEST_F(BIoTSendModeTest, RecordsQueuedWhileStoppedGoOutAfterStart) {
  MakePublisher();
  publisher_->Start();
  publisher_->Stop();
  publisher_->PublishEventToBIoT({Record(4, "Queued", 100), Record(4, "Queued too", 101)});
  EXPECT_EQ(publisher_->GetBIoTQueuedCount(3), 2u);
  publisher_->Start();
  ASSERT_TRUE(WaitUntil([&] { return NotifiedCameras(platform_).size() == 2; }, 60));
  EXPECT_EQ(NotifiedCameras(platform_), (std::vector<std::string>{"Queued", "Queued too"}));
}

TEST_F(BIoTSendModeTest, ChangedTargetReachesTheNewPlatformWithoutARestartOfTheProgram) {
  MakePublisher();
  publisher_->Start();
  publisher_->PublishEventToBIoT({Record(4, "Old", 100)});
  ASSERT_TRUE(WaitUntil([&] { return NotifiedCameras(platform_).size() == 1; }, 60));
  publisher_->Stop();

  FakeBIoTPlatform moved;
  ASSERT_TRUE(moved.Start());
  SetJobs({AIJob(3, PlatformUrl(moved), 0, false, "user", "pw")});
  publisher_->Start();
  publisher_->PublishEventToBIoT({Record(4, "New", 200)});
  ASSERT_TRUE(WaitUntil([&] { return NotifiedCameras(moved).size() == 1; }, 60));
  // The new notifier asked the new platform for its own thing token.
  EXPECT_EQ(moved.Requests().size(), 2u);
  EXPECT_EQ(NotifiedCameras(platform_).size(), 1u);
}

// An analysis result with a thumbnail, matched to a region of a camera on
// recording server 4: the platform gets the thing-token request, then the
// notification with the thumbnail.
TEST_F(BIoTSendModeTest, MatchedResultReachesThePlatform) {
  ScopedTimeZone zone("UTC");
  int camera = AddCamera("Gate");  // recording server 4, channel 6
  int device = AddDevice(1, 1, camera);
  int intrusion = AddEvent("Intrusion", 1);
  AddRegion(device, 1, intrusion);
  MakePublisher();
  publisher_->Start();
  ASSERT_TRUE(WaitUntil([&] { return publisher_->GetMainPassCount() >= 1; }, 60));
  CVAR* result = MakeResult(1, 1, kSenderInSchedule, {{1}});
  result->SetThumbnail("/9j/thumb+data=");
  EXPECT_TRUE(CAIEventPublisher::VasMetaCallback(result, publisher_.get()));
  ASSERT_TRUE(WaitUntil([&] { return NotifiedCameras(platform_).size() == 1; }, 60));
  ASSERT_EQ(platform_.Requests().size(), 2u);
  EXPECT_NE(platform_.RequestBody(1).find("\"funcType\":\"002\""), std::string::npos);
  std::string notification = platform_.RequestBody(2);
  EXPECT_NE(notification.find("\"tId\":\"VIDEO-CAMERA.00040006\""), std::string::npos) << notification;
  EXPECT_NE(notification.find("\"event_image\":\"/9j/thumb+data=\""), std::string::npos) << notification;
  EXPECT_NE(notification.find("\"sId\":\"SITE\""), std::string::npos) << notification;
}

// End to end: an analysis server of the own kind streams a result with its
// thumbnail; the platform gets the thing-token request, then the notification
// carrying the thumbnail.
TEST_F(BIoTSendModeTest, StreamedResultWithThumbnailReachesThePlatform) {
  ScopedTimeZone zone("UTC");
  const std::string part = R"({"T":"a","C":1,"S":")" + kSenderInSchedule +
                           R"(","N":[{"o":1,"t":9,"e":[1]}],"I":"/9j/streamed=","t_size":13})";
  FakeAnalysisServer analysis([&](FakeConnection& connection, int) {
    FakeRequest request;
    if (!connection.ReadRequest(&request) || !connection.SendOk()) return;
    if (!connection.Send(FakePart(part))) return;
    while (!connection.Stopping()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  });
  Sql("INSERT INTO TBL_Vas (VasID, Name, Type, Addr, WebPort, SecureWebPort, UseSecure, User, Password) "
      "VALUES (8, 'vas', 1, '127.0.0.1', " + std::to_string(analysis.port()) + ", 7443, 0, 'u', 'p')");
  int camera = AddCamera("Gate");  // recording server 4, channel 6
  int device = AddDevice(8, 1, camera);
  AddRegion(device, 1, AddEvent("Intrusion", 1));
  MakePublisher();
  publisher_->Start();
  ASSERT_TRUE(WaitUntil([&] { return NotifiedCameras(platform_).size() == 1; }, 60));
  publisher_->Stop();
  std::vector<std::string> lines = platform_.RequestLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(platform_.RequestBody(1).find("\"funcType\":\"002\""), std::string::npos);
  std::string notification = platform_.RequestBody(2);
  EXPECT_NE(notification.find("\"event_image\":\"/9j/streamed=\""), std::string::npos) << notification;
  EXPECT_NE(notification.find("\"tId\":\"VIDEO-CAMERA.00040006\""), std::string::npos) << notification;
}

}  // namespace
