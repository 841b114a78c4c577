// The metro event datagram reader and the event record, on byte fixtures:
// framing, JSON decoding, the XML body every site receives, the history's
// time text and the duplicate-window test.
#include "services/MetroDatagram.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/ProcessLogCapture.h"
#include "foundation/XmlSerializer.h"
#include "services/ServiceLog.h"
#include "shell/UtcTimeText.h"

namespace {

const CServiceLog kDatagramLog("VuzorMetroEventReceiver", "CVuzorMetroEventReceiver");

// A datagram: the little-endian length field `length`, then `payload`.
std::string Datagram(int32_t length, const std::string& payload) {
  auto n = static_cast<uint32_t>(length);
  std::string bytes{static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                    static_cast<char>((n >> 16) & 0xFF), static_cast<char>(n >> 24)};
  return bytes + payload;
}
std::string Datagram(const std::string& json) { return Datagram(static_cast<int32_t>(json.size()), json); }

const char kIssueEvent[] =
    "{\"versionNo\":\"1\",\"trainNo\":\"101\",\"carNo\":3,\"eventType\":7,\"DateTimeRaised\":\"2026-12-10 "
    "10:00:00\",\"cameraNo\":5,\"camera\":[\"rtsp://a\",\"rtsp://b\"]}";

// The full event above with another eventType.
std::string WithEventType(const std::string& type) {
  std::string json = kIssueEvent;
  return json.replace(json.find("\"eventType\":7") + 12, 1, type);
}

TEST(MetroDatagramTest, FramingAndDecodingAcceptOrRejectWithOneClearLine) {
  std::string padded = "{\"eventType\":7,\"trainNo\":\"9\"}";
  padded.resize(1020, ' ');
  struct Case {
    const char* name;
    std::string bytes;
    bool accepted;
    const char* logged;  // a text the log must hold
  };
  const Case cases[] = {
      {"3 bytes", std::string("\x01\x00\x00", 3), false, "ERROR - [1.2.3.4] Received size is invalid. (3)\r\n"},
      {"empty", "", false, "ERROR - [1.2.3.4] Received size is invalid. (0)\r\n"},
      {"length 0", Datagram(0, ""), false, "ERROR - [1.2.3.4] Error raised when deserialize json data.()\r\n"},
      {"11 bytes, length 7", Datagram(7, "{\"a\":1}"), false, "Invalid Event Type"},
      {"10 bytes, length 7", Datagram(7, "{\"a\":1"), false,
       "ERROR - [1.2.3.4] Received size is invalid. (Received Size: 10, DataLength : 7)\r\n"},
      {"negative length", Datagram(-1, "{\"eventType\":7}"), false,
       "Received size is invalid. (Received Size: 19, DataLength : -1)"},
      {"length near the limit", Datagram(0x7FFFFFFF, "{\"eventType\":7}"), false,
       "Received size is invalid. (Received Size: 19, DataLength : 2147483647)"},
      {"1024 bytes, length 1020", Datagram(padded), true, "INFO] 0x7b 0x22"},
      {"bytes after the length ignored", Datagram(15, "{\"eventType\":7}{{{garbage"), true, ""},
      {"text ends at a zero byte", Datagram("{\"eventType\":7}" + std::string(1, '\0') + "{{{"), true, ""},
      {"bad JSON", Datagram("{\"eventType\":"), false, "Error raised when deserialize json data.({\"eventType\":)"},
      {"an array", Datagram("[{\"eventType\":7}]"), false, "Error raised when deserialize json data."},
      {"a number", Datagram("7"), false, "Error raised when deserialize json data.(7)"},
      {"event type 0", Datagram(WithEventType("0")), false,
       "INFO - [1.2.3.4] Invalid Event Type. (101 / 3 / 0)\r\n"},
      {"event type -1", Datagram("{\"eventType\":-1,\"trainNo\":\"5\"}"), true, ""},
      {"event type as text", Datagram("{\"eventType\":\"7\"}"), true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProcessLogCapture log;
    CDMEventData event;
    EXPECT_EQ(ReadMetroDatagram(c.bytes.data(), c.bytes.size(), "1.2.3.4", kDatagramLog, &event), c.accepted);
    EXPECT_NE(log.Text().find(c.logged), std::string::npos) << log.Text();
  }
}

TEST(MetroDatagramTest, TheDumpNeitherCutsNorForgesLogLines) {
  ProcessLogCapture log;
  std::string bytes = Datagram("{\"eventType\":7}" + std::string(1, '\0') + "\r\nERROR - forged\x7f");
  CDMEventData event;
  ASSERT_TRUE(ReadMetroDatagram(bytes.data(), bytes.size(), "1.2.3.4", kDatagramLog, &event));
  std::string text = log.Text();
  EXPECT_EQ(text.find("\nERROR - forged"), std::string::npos) << text;
  EXPECT_NE(text.find("[INFO] {\"eventType\":7}...ERROR - forged.\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("0x00 0x0d 0x0a 0x45"), std::string::npos) << text;
}

// Parses `json` as the receiver does.
CDMEventData Parse(const std::string& json) {
  std::string bytes = Datagram(json);
  CDMEventData event;
  EXPECT_TRUE(ReadMetroDatagram(bytes.data(), bytes.size(), "127.0.0.1", kDatagramLog, &event)) << json;
  return event;
}

TEST(MetroDatagramTest, TheBodyIsTheExactXmlOfTheEvent) {
  EXPECT_EQ(CXmlSerializer::ToXml(Parse(kIssueEvent)),
            "<?xml version=\"1.0\"?>\r\n<DMEventData>\r\n\t<versionNo>1</versionNo>\r\n\t<trainNo>101</trainNo>\r\n"
            "\t<carNo>3</carNo>\r\n\t<eventType>7</eventType>\r\n\t<DateTimeRaised>2026-12-10 "
            "10:00:00</DateTimeRaised>\r\n\t<cameraNo>5</cameraNo>\r\n\t<camera>\r\n\t\t<url>rtsp://a</url>\r\n"
            "\t\t<url>rtsp://b</url>\r\n\t</camera>\r\n</DMEventData>\r\n");
  std::string bare = CXmlSerializer::ToXml(Parse("{\"eventType\":2,\"DateTimeRaised\":\"2026-12-10 10:00:00.123\"}"));
  EXPECT_EQ(bare.find("<camera>"), std::string::npos) << bare;
  EXPECT_NE(bare.find("<DateTimeRaised>2026-12-10 10:00:00.123</DateTimeRaised>"), std::string::npos) << bare;
}

TEST(MetroDatagramTest, MembersMatchInAnyCaseAndUrlsComeFromTheCameraMemberWhereverItSorts) {
  struct Case {
    const char* json;
    int carNo;
    std::vector<std::string> urls;
  };
  const Case cases[] = {
      {"{\"eventType\":1,\"carNo\":\"12\",\"camera\":[\"rtsp://a\",\"rtsp://b\"]}", 12, {"rtsp://a", "rtsp://b"}},
      {"{\"eventType\":1,\"CarNo\":12,\"Camera\":{\"x\":\"u1\",\"y\":\"u2\"}}", 12, {"u1", "u2"}},
      // null members become children too and sort before "camera".
      {"{\"eventType\":1,\"DateTimeRaised\":null,\"Alpha\":[],\"camera\":[\"rtsp://a\"]}", 0, {"rtsp://a"}},
      {"{\"eventType\":1,\"camera\":[{\"url\":\"rtsp://a\"}]}", 0, {}},
      {"{\"eventType\":1}", 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    CDMEventData event = Parse(c.json);
    EXPECT_EQ(event.GetCarNo(), c.carNo);
    EXPECT_EQ(event.GetCameraUrls(), c.urls);
  }
}

TEST(MetroDatagramTest, HistoryTimeDropsMillisecondsAndUnusableTimesGiveTheEpoch) {
  const std::pair<const char*, const char*> cases[] = {
      {"2021-03-04 05:06:07.890", "2021-03-04 05:06:07"},
      {"2021-03-04 05:06:07", "2021-03-04 05:06:07"},
      {"yesterday", "1970-01-01 00:00:00"},
      {"", "1970-01-01 00:00:00"},
      {"2021-13-04 05:06:07", "1970-01-01 00:00:00"},
      {"1960-03-04 05:06:07", "1970-01-01 00:00:00"},
      {"2021-03-04 25:06:07", "1970-01-01 00:00:00"},
  };
  for (const auto& c : cases) {
    CDMEventData event;
    event.SetDateTimeRaised(c.first);
    EXPECT_EQ(event.GetRaisedTimeText(), c.second) << c.first;
  }
}

TEST(MetroDatagramTest, ReceivedWithinTheWindow) {
  const int64_t now = 1800000000;
  struct Case {
    const char* name;
    int64_t received;  // 0: never received
    bool within;
  };
  const Case cases[] = {
      {"5 s old", now - 5, true}, {"6 s old", now - 6, false}, {"in the future", now + 60, true}, {"never", 0, true}};
  for (const Case& c : cases) {
    CDMEventData event;
    if (c.received != 0) event.SetReceivedTime(c.received);
    EXPECT_EQ(event.IsReceivedWithin(5, now), c.within) << c.name;
  }
}

}  // namespace
