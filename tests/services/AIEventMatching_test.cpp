// Analysis results handed to the publisher through the receiver's callback,
// matched against the rows of a scratch database, with a clock the test
// sets: what is published, what is suppressed, and what reads active.
#include <gtest/gtest.h>

#include <mutex>

#include "AIPublisherFixture.h"
#include "foundation/JsonSerializer.h"
#include "shell/ScopedTimeZone.h"

namespace {

// 2026-12-10 01:02:03 UTC, the publisher's "now" at the first step.
constexpr int64_t kNow = 1796864523;
// A Wednesday, inside and outside the 09:00-10:00 schedule.
const std::string kInSchedule = "20261209093000000";
const std::string kOffSchedule = "20261209120000000";

class CPublishedEvents : public CSerializable {
 public:
  const char* GetTypeName() const override { return "AIEvents"; }
  void Serialize(CSerializationInfo& node) const override { SerializeItems(node, events); }
  void Deserialize(const CSerializationInfo& node) override { DeserializeItems(node, &events); }
  std::vector<CAIEventData> events;
};

// "name/kind/value1/value2/alarm" of each record of a published text.
std::vector<std::string> Summary(const std::string& json) {
  CPublishedEvents published;
  EXPECT_TRUE(CJsonSerializer::Deserialize(json, &published)) << json;
  std::vector<std::string> lines;
  for (const CAIEventData& e : published.events) {
    lines.push_back(e.GetEVT_NM() + "/" + std::to_string(e.GetEVT_KIND()) + "/" + e.GetEVT_VALUE1() + "/" +
                    e.GetEVT_VALUE2() + "/" + (e.GetALARM() ? "1" : "0"));
  }
  return lines;
}

CVARCrowdDensity Reading(int roi, int level, float density, int event = 0) {
  CVARCrowdDensity reading;
  reading.ROINumber = roi;
  reading.Level = level;
  reading.Density = density;
  reading.Event = event;
  return reading;
}

class AIEventMatchingTest : public AIPublisherFixture {
 protected:
  void SetUp() override {
    AIPublisherFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    camera_ = AddCamera("Gate");
    device_ = AddDevice(1, 1, camera_);
    intrusion_ = AddEvent("Intrusion", 1);
    loiter_ = AddEvent("Loiter", 3);
    scheduled_ = AddEvent("Scheduled", 1);
    AddRegion(device_, 1, intrusion_);
    AddRegion(device_, 2, loiter_);
    AddRegion(device_, 4, scheduled_, AddWednesdayTask("09:00:00", "10:00:00"));
    AddRegion(device_, 5, AddEvent("CrowdA", 1));
    AddRegion(device_, 6, AddEvent("CrowdB", 1));
    AddRegion(device_, 7, AddEvent("CrowdC", 1));
    AddLine(device_, 2, loiter_);
    SetJobs({AIJob(3, "http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/x")});
  }

  void StartPublisher() {
    publisher_ = std::make_unique<CAIEventPublisher>(settings_, clock_);
    publisher_->Start();
    ASSERT_TRUE(WaitUntil([&] { return publisher_->GetMainPassCount() >= 1; }, 60));
  }
  bool IsActive(int eventId) {
    auto active = publisher_->GetActiveEvents();
    return active.count(device_) && active[device_].count(eventId) && active[device_][eventId].active == 1;
  }
  void Feed(CVAR* result) { EXPECT_TRUE(CAIEventPublisher::VasMetaCallback(result, publisher_.get())); }

  std::shared_ptr<platform::ManualClock> clock_ = std::make_shared<platform::ManualClock>(kNow * 1000000);
  std::unique_ptr<CAIEventPublisher> publisher_;
  int camera_ = 0, device_ = 0, intrusion_ = 0, loiter_ = 0, scheduled_ = 0;
};

TEST_F(AIEventMatchingTest, ResultsBecomeRecordsByRegionLineScheduleAndCrowdLevel) {
  ScopedTimeZone zone("UTC");
  StartPublisher();
  ProcessLogCapture log;
  struct Step {
    const char* what;
    int64_t at;  // seconds after kNow
    int channel;
    std::string time;
    std::vector<std::vector<int>> regions;
    std::vector<std::vector<int>> lines;
    std::vector<CVARCrowdDensity> crowd;
    std::vector<std::string> published;  // one batch, or none
    int notActive;                       // an event that must not read active afterwards
  };
  const Step steps[] = {
      {"a region's event", 0, 1, kInSchedule, {{1}}, {}, {}, {"Intrusion/0///1"}, 0},
      {"two events of one region: one batch", 0, 1, kInSchedule, {{1}, {1}}, {}, {},
       {"Intrusion/0///1", "Intrusion/0///1"}, 0},
      {"event type 3 on a region", 0, 1, kInSchedule, {{2}}, {}, {}, {}, loiter_},
      {"the same event on a line", 0, 1, kInSchedule, {}, {{2}}, {}, {"Loiter/0///1"}, 0},
      {"off the region's schedule", 0, 1, kOffSchedule, {{4}}, {}, {}, {}, scheduled_},
      {"in the region's schedule", 0, 1, kInSchedule, {{4}}, {}, {}, {"Scheduled/0///1"}, 0},
      {"no device on the channel", 0, 9, kInSchedule, {{1}}, {}, {}, {}, 0},
      {"unknown region and line numbers", 0, 1, kInSchedule, {{3, 40}}, {{7}}, {}, {}, 0},
      {"crowd: highest level, then density", 0, 1, kInSchedule, {}, {},
       {Reading(5, 2, 10.0f), Reading(6, 5, 3.0f), Reading(7, 5, 7.5f)}, {"CrowdC/1/5/7.5/0"}, 0},
      {"same level 100 s later", 100, 1, kInSchedule, {}, {}, {Reading(6, 5, 9.0f)}, {}, 0},
      {"same level 300 s after the last sent", 300, 1, kInSchedule, {}, {}, {Reading(7, 5, 7.5f)},
       {"CrowdC/1/5/7.5/0"}, 0},
      {"another level at once", 301, 1, kInSchedule, {}, {}, {Reading(6, 4, 3.0f, 1)}, {"CrowdB/1/4/3.0/1"}, 0},
      {"level 0 picks region 0: nothing", 302, 1, kInSchedule, {}, {}, {Reading(5, 0, 0.0f)}, {}, 0},
      {"after level 0 a level is new again", 303, 1, kInSchedule, {}, {}, {Reading(7, 3, 41.26f)},
       {"CrowdC/1/3/41.3/0"}, 0},
      {"events before the crowd record", 900, 1, kInSchedule, {{1}}, {}, {Reading(5, 1, 1.0f)},
       {"Intrusion/0///1", "CrowdA/1/1/1.0/0"}, 0},
  };
  size_t seen = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    clock_->SetNowMicros((kNow + step.at) * 1000000);
    Feed(MakeResult(1, step.channel, step.time, step.regions, step.lines, step.crowd));
    std::vector<std::string> published = Published(log.Text());
    ASSERT_EQ(published.size(), seen + (step.published.empty() ? 0 : 1));
    if (!step.published.empty()) {
      EXPECT_EQ(Summary(published.back()), step.published);
    }
    seen = published.size();
    if (step.notActive) {
      EXPECT_FALSE(IsActive(step.notActive));
    }
  }
  // The exact text of the first record.
  EXPECT_EQ(Published(log.Text()).front(),
            "[{\"DEV_ID\":\"" + std::to_string(camera_) + "\", \"EVT_ID\":\"" + std::to_string(intrusion_) +
                "\", \"EVT_NM\":\"Intrusion\", \"EVT_TM\":\"2026-12-09 09:30:00\", \"ALARM\":\"1\", "
                "\"EVT_KIND\":\"0\", \"EVT_VALUE1\":\"\", \"EVT_VALUE2\":\"\"}]");
  EXPECT_TRUE(IsActive(loiter_));
  EXPECT_TRUE(IsActive(scheduled_));
}

TEST_F(AIEventMatchingTest, AMatchStaysActiveForTheDwellTimeAfterItsLastMatch) {
  StartPublisher();
  EXPECT_TRUE(publisher_->GetActiveEvents().empty());
  auto matchAt = [&](int64_t at) {
    clock_->SetNowMicros((kNow + at) * 1000000);
    Feed(MakeResult(1, 1, kInSchedule, {{1}}));
  };
  auto activeAt = [&](int64_t at) {
    clock_->SetNowMicros((kNow + at) * 1000000);
    publisher_->ExpireActiveEvents();
    return IsActive(intrusion_);
  };
  // Swept once a second, one match reads active from 3 to 4 s.
  matchAt(0);
  EXPECT_TRUE(activeAt(2));
  EXPECT_FALSE(activeAt(3));
  // A second match restarts the dwell.
  matchAt(10);
  matchAt(12);
  EXPECT_TRUE(activeAt(14));
  EXPECT_FALSE(activeAt(15));
  // A clock set back an hour ends every active entry at the next sweep.
  matchAt(20);
  EXPECT_FALSE(activeAt(20 - 3600));
  EXPECT_EQ(publisher_->GetLastEvents()[device_], intrusion_);
  // Entries outlive a restart.
  publisher_->Stop();
  publisher_->Start();
  EXPECT_EQ(publisher_->GetActiveEvents()[device_].count(intrusion_), 1u);
}

// Send mode 2: a record per match only with a thumbnail of the result's own
// second, none for a camera without its row, and no crowd record.
TEST_F(AIEventMatchingTest, BuildingIoTRecordsNeedTheThumbnailOfTheResultsSecond) {
  ScopedTimeZone zone("UTC");
  int cameraless = AddDevice(1, 2, camera_ + 1000);
  AddRegion(cameraless, 1, intrusion_);
  std::vector<CBIoTEventData> records;
  std::mutex lock;
  publisher_ = std::make_unique<CAIEventPublisher>(settings_, clock_);
  publisher_->SetSendMode(CAIEventPublisher::kSendModeBIoT);
  publisher_->SetBIoTEventSink([&](const std::vector<CBIoTEventData>& batch) {
    std::lock_guard<std::mutex> hold(lock);
    records.insert(records.end(), batch.begin(), batch.end());
  });
  ProcessLogCapture log;
  publisher_->Start();
  ASSERT_TRUE(WaitUntil([&] { return publisher_->GetMainPassCount() >= 1; }, 60));

  CVAR* withThumbnail = MakeResult(1, 1, kInSchedule, {{1}}, {}, {Reading(7, 5, 1.0f)});
  withThumbnail->SetThumbnail("jpegdata");
  Feed(withThumbnail);
  Feed(MakeResult(1, 1, kInSchedule, {{1}}));          // same second: finds the thumbnail
  Feed(MakeResult(1, 1, "20261209093001000", {{1}}));  // another second: nothing
  CVAR* cameralessResult = MakeResult(1, 2, kInSchedule, {{1}});
  cameralessResult->SetThumbnail("jpegdata");
  Feed(cameralessResult);

  std::lock_guard<std::mutex> hold(lock);
  ASSERT_EQ(records.size(), 2u);
  for (const CBIoTEventData& record : records) {
    EXPECT_EQ(record.cameraId, camera_);
    EXPECT_EQ(record.zavNo, 4);
    EXPECT_EQ(record.zavChannel, 6);
    EXPECT_EQ(record.intelligentEventId, intrusion_);
    EXPECT_EQ(record.eventTime, 1796808600);  // 2026-12-09 09:30:00 UTC
    EXPECT_EQ(record.cameraName, "Gate");
    EXPECT_EQ(record.eventName, "Intrusion");
    EXPECT_EQ(record.eventImage, "jpegdata");
  }
  EXPECT_TRUE(Published(log.Text()).empty());
  EXPECT_TRUE(IsActive(intrusion_));  // the match without a thumbnail still counts
}

}  // namespace
