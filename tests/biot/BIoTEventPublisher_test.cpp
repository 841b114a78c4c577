// The building-IoT event notifier against the fake platform: thing tokens
// from the shared auth codes, repeats within the window, the retry after an
// expired token, and the shared map written from another thread.
#include "biot/BIoTEventPublisher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "FakeBIoTPlatform.h"
#include "foundation/ProcessLogCapture.h"
#include "foundation/StringUtil.h"

namespace {

const char kTokenRequest[] = "POST /v1.0/attrs";

class BIoTEventPublisherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform_.Start());
    notifier_.Settings().host = "127.0.0.1";
    notifier_.Settings().port = platform_.port();
    notifier_.Settings().siteID = "SITE1";
    notifier_.duplicateWindow = 3;
    CBIoTEventPublisher::SetZavAuthCodeMap({{7, "AC7"}});
  }
  void TearDown() override { CBIoTEventPublisher::SetZavAuthCodeMap({}); }

  static CBIoTEventData Event(int64_t time, int zav = 7) {
    CBIoTEventData event;
    event.cameraId = 70;
    event.zavNo = zav;
    event.zavChannel = 12;
    event.intelligentEventId = 4;
    event.eventTime = time;
    event.cameraName = "Gate";
    event.eventName = "Intrusion";
    event.eventImage = "/9j/4AAQ+abc=";
    return event;
  }
  // funcType of every request body, in order ("002" token, "021" event).
  std::vector<std::string> FuncTypes() {
    std::vector<std::string> types;
    for (size_t n = 1; n <= platform_.Requests().size(); ++n) {
      std::string body = platform_.RequestBody(static_cast<int>(n));
      size_t at = body.find("\"funcType\":\"");
      types.push_back(at == std::string::npos ? "?" : body.substr(at + 12, 3));
    }
    return types;
  }

  FakeBIoTPlatform platform_;
  CBIoTEventPublisher notifier_;
};

TEST_F(BIoTEventPublisherTest, TokenRequestThenNotificationWithTheirBodies) {
  ASSERT_EQ(notifier_.NotifyEvent(Event(1700000000)), 1);
  ASSERT_EQ(platform_.RequestLines(), (std::vector<std::string>{kTokenRequest, kTokenRequest}));
  EXPECT_EQ(platform_.RawRequest(1).substr(0, platform_.RawRequest(1).find("\r\n\r\n") + 4),
            "POST /v1.0/attrs HTTP/1.1\r\nAccept: */*\r\nUser-Agent: ORVU\r\nHost: 127.0.0.1\r\nContent-Length: " +
                std::to_string(platform_.RequestBody(1).size()) +
                "\r\nContent-Type:application/json\r\nConnection: Keep-Alive\r\n\r\n");
  EXPECT_EQ(platform_.RequestBody(1),
            "{\r\n    \"version\":\"1.0\",\r\n    \"msgType\":\"Q\",\r\n    \"funcType\":\"002\",\r\n    \"sId\":\"SITE1\","
            "\r\n    \"tpId\":\"VIDEO_GW.0007\",\r\n    \"tId\":\"\",\r\n    \"data\":{ \"authCode\":\"AC7\" },\r\n"
            "    \"dataFormat\":\"application/json\",\r\n    \"authToken\":\"\",\r\n    \"msgId\":\"0a6edfcf-7ae0-11d3-d0bd-"
            "ba679f65571d\",\r\n    \"encType\":\"0\",\r\n    \"resCode\":\"\",\r\n    \"msgCode\":\"MSGAUTH00002\"\r\n}\r\n");
  EXPECT_EQ(platform_.RequestBody(2),
            "{\r\n    \"version\":\"1.0\",\r\n    \"Severity\":\"0\",\r\n    \"funcType\":\"021\",\r\n    \"msgType\":\"Q\","
            "\r\n    \"msgCode\":\"Basic-AttrGroup\",\r\n    \"msgDate\":0,\r\n    \"dataFormat\":\"application/json\",\r\n"
            "    \"msgId\":\"0a6edfcf-7ae0-11d3-d0bd-ba679f65571d\",\r\n    \"encType\":\"0\",\r\n    \"authToken\":"
            "\"TT1-VIDEO_GW.0007\",\r\n    \"sId\":\"SITE1\",\r\n    \"tpId\":\"VIDEO_GW.0007\",\r\n    \"tId\":\"VIDEO-"
            "CAMERA.00070012\",\r\n    \"data\":{\r\n        \"event_name\":\"Intrusion\",\r\n        \"event_start_time\":"
            "\"1700000000\",\r\n        \"event_interval\":\"15\",\r\n        \"event_image\":\"/9j/4AAQ+abc=\",\r\n        "
            "\"event_contents\":\"Gate\" },\r\n    \"resMsg\":\"\",\r\n    \"resCode\":\"\"\r\n}\r\n");
  // One connection per event; the token is cached for the next one.
  ASSERT_EQ(notifier_.NotifyEvent(Event(1700000010)), 1);
  EXPECT_EQ(FuncTypes(), (std::vector<std::string>{"002", "021", "021"}));
  std::vector<PlatformRequest> requests = platform_.Requests();
  EXPECT_EQ(requests[0].connection, requests[1].connection);
  EXPECT_NE(requests[2].connection, requests[1].connection);
}

TEST_F(BIoTEventPublisherTest, EventTimeAfter2038IsWrittenWhole) {
  ASSERT_EQ(notifier_.NotifyEvent(Event(4102444800LL)), 1);  // 2100-01-01
  EXPECT_NE(platform_.RequestBody(2).find("\"event_start_time\":\"4102444800\""), std::string::npos);
}

TEST_F(BIoTEventPublisherTest, NoAuthCodeSendsNothing) {
  ProcessLogCapture log;
  EXPECT_EQ(notifier_.NotifyEvent(Event(100, 9)), 0);
  EXPECT_TRUE(platform_.Requests().empty());
  EXPECT_NE(log.Text().find("ERROR - ZAV[9] auth code not found.\r\n"), std::string::npos);
  EXPECT_NE(log.Text().find("ERROR - GetAuthToken(9) failed.\r\n"), std::string::npos);
}

// Window 3, one camera and event: each row a sequence of times and which were sent.
TEST_F(BIoTEventPublisherTest, RepeatsWithinTheWindowAreDropped) {
  struct Case {
    std::vector<int64_t> times;
    std::vector<bool> sent;
  } cases[] = {
      {{100, 98}, {true, false}},
      {{100, 96, 99}, {true, true, true}},
      {{100, 100}, {true, true}},
      {{100, 97}, {true, false}},
  };
  for (const Case& c : cases) {
    CBIoTEventPublisher notifier;
    notifier.Settings() = notifier_.Settings();
    notifier.duplicateWindow = 3;
    for (size_t i = 0; i < c.times.size(); ++i) {
      size_t before = platform_.Requests().size();
      EXPECT_EQ(notifier.NotifyEvent(Event(c.times[i])), 1);
      std::vector<std::string> types = FuncTypes();
      bool sent = !types.empty() && types.back() == "021" && platform_.Requests().size() > before;
      EXPECT_EQ(sent, c.sent[i]) << "time " << c.times[i];
    }
  }
}

TEST_F(BIoTEventPublisherTest, ExpiredTokenCostsOneNewTokenAndOneResend) {
  ProcessLogCapture log;
  ASSERT_EQ(notifier_.NotifyEvent(Event(100)), 1);
  platform_.Script("POST /v1.0/attrs", JsonReply("{}", "401 Unauthorized"));  // the next notification
  ASSERT_EQ(notifier_.NotifyEvent(Event(110)), 1);
  EXPECT_EQ(FuncTypes(), (std::vector<std::string>{"002", "021", "021", "002", "021"}));
  EXPECT_NE(platform_.RequestBody(5).find("\"authToken\":\"TT2-VIDEO_GW.0007\""), std::string::npos);

  // A second 401 after the new token: the retry line, and the fresh token stays.
  platform_.Script("POST /v1.0/attrs", JsonReply("{}", "401 Unauthorized"));
  platform_.Script("POST /v1.0/attrs", JsonReply("{}", "401 Unauthorized"), 1, 1);
  EXPECT_EQ(notifier_.NotifyEvent(Event(120)), 0);
  EXPECT_NE(log.Text().find(
                "ERROR - Retried NotifyEvent retryed failed. [ErrorStatus=4, HttpStatusCode=401]\r\n"),
            std::string::npos);
  ASSERT_EQ(notifier_.NotifyEvent(Event(130)), 1);
  EXPECT_NE(platform_.RequestBody(static_cast<int>(platform_.Requests().size())).find("\"authToken\":\"TT3-"),
            std::string::npos);
}

TEST_F(BIoTEventPublisherTest, ServerErrorIsNotRetried) {
  ProcessLogCapture log;
  platform_.Script("POST /v1.0/attrs", JsonReply("{}", "500 Internal Server Error"), 1, 1);
  EXPECT_EQ(notifier_.NotifyEvent(Event(100)), 0);
  EXPECT_EQ(FuncTypes(), (std::vector<std::string>{"002", "021"}));
  EXPECT_NE(log.Text().find("ERROR - NotifyEvent failed. [ErrorStatus=4, HttpStatusCode=500]\r\n"),
            std::string::npos);
}

TEST_F(BIoTEventPublisherTest, EmptyThingTokenIsAFailureAndNotCached) {
  platform_.Script("POST /v1.0/attrs", JsonReply("{\"data\":{\"authToken\":\"\"}}"));
  EXPECT_EQ(notifier_.NotifyEvent(Event(100)), 0);
  EXPECT_EQ(notifier_.NotifyEvent(Event(200)), 1);
  EXPECT_EQ(FuncTypes(), (std::vector<std::string>{"002", "002", "021"}));
}

TEST_F(BIoTEventPublisherTest, AuthCodesReplacedOnAnotherThreadMeanwhile) {
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    int round = 0;
    while (!stop.load()) {
      CBIoTEventPublisher::SetZavAuthCodeMap({{7, "AC7"}, {8, "AC8-" + std::to_string(round++)}});
    }
  });
  int posted = 0;
  for (int i = 0; i < 5; ++i) {
    CBIoTEventPublisher notifier;
    notifier.Settings() = notifier_.Settings();
    posted += notifier.NotifyEvent(Event(100 + i));
  }
  stop.store(true);
  writer.join();
  EXPECT_EQ(posted, 5);
}

}  // namespace
