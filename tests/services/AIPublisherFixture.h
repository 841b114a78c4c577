// The AI event publisher's suites: a temporary program folder whose
// application settings point at a scratch database on the test MariaDB
// server (made from the creation script), rows added through a store on that
// database, and the publisher's published JSON read back from its log.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ServiceFixture.h"
#include "database/DBDataStore.h"
#include "database/DataStore.h"
#include "entities/Camera.h"
#include "entities/analysis/VasDevice.h"
#include "entities/analysis/VasIntelligentEvent.h"
#include "entities/analysis/VasLineCross.h"
#include "entities/analysis/VasROI.h"
#include "entities/base/EntitySchema.h"
#include "entities/operations/Schedule.h"
#include "entities/operations/ScheduleTask.h"
#include "entities/operations/ScheduleWeek.h"
#include "entities/operations/TimeCoverages.h"
#include "foundation/ProcessLogCapture.h"
#include "services/AIEventPublisher.h"
#include "support/TestDatabase.h"
#include "support/WaitUntil.h"

class AIPublisherFixture : public ServiceFixture {
 protected:
  void SetUp() override {
    ServiceFixture::SetUp();
    GATE_REQUIRE_DATABASE(db_);
    std::string error;
    name_ = CreateScratchDatabase(db_, "aipub", &error);
    ASSERT_FALSE(name_.empty()) << error;
    ASSERT_TRUE(RunSqlScript(db_, name_, GetDatabaseCreationScript(), &error)) << error;
    service_ = std::make_unique<CDBDataStore>();
    service_->Initialize(db_.host.c_str(), static_cast<int>(db_.port), name_.c_str(), db_.user.c_str(),
                         db_.password.c_str());
    ASSERT_TRUE(service_->IsConnected(0));
    store_ = std::make_unique<CDataStore>(service_.get());
    settings_.SetDatabaseAddress(db_.host);
    settings_.SetDatabasePort(static_cast<int>(db_.port));
    settings_.SetDatabaseName(name_);
    settings_.SetDatabaseLoginID(db_.user);
    settings_.SetDatabasePassword(db_.password);
  }
  void TearDown() override {
    store_.reset();
    service_.reset();
    if (!name_.empty()) DropScratchDatabase(db_, name_);
    ServiceFixture::TearDown();
  }

  // Runs one SQL statement on the scratch database.
  void Sql(const std::string& statement) {
    std::string error;
    ASSERT_TRUE(RunSqlScript(db_, name_, statement, &error)) << error;
  }

  // Adds `row` through the store; returns its key.
  template <class Row>
  int Add(Row row) {
    store_->HasEntityList(row.GetTableName());
    auto owned = std::make_unique<Row>(row);
    EXPECT_TRUE(store_->AddEntity(owned.get(), 0)) << row.GetTableName();
    return owned->GetID();
  }
  int AddCamera(const std::string& name) {
    CTBLCamera camera;
    camera.SetName(name);
    camera.SetZavNo(4);
    camera.SetZavChannel(6);
    return Add(camera);
  }
  int AddDevice(int vasId, int channel, int cameraNo) {
    CTBLVasDevice device;
    device.SetVasID(vasId);
    device.SetChannelNo(channel);
    device.SetDeviceID(cameraNo);
    return Add(device);
  }
  int AddEvent(const std::string& name, int eventType) {
    CTBLVasIntelligentEvent event;
    event.SetName(name);
    event.SetEventType(eventType);
    return Add(event);
  }
  int AddRegion(int device, int number, int eventId, int taskId = 0) {
    CTBLVasROI region;
    region.SetVasDeviceID(device);
    region.SetROINumber(number);
    region.SetVasIntelligentEventID(eventId);
    region.SetScheduleTaskID(taskId);
    region.SetEnable(1);
    return Add(region);
  }
  int AddLine(int device, int number, int eventId) {
    CTBLVasLineCross line;
    line.SetVasDeviceID(device);
    line.SetNumber(number);
    line.SetVasIntelligentEventID(eventId);
    line.SetUseEvent(1);
    line.SetEnable(1);
    return Add(line);
  }
  // A schedule task in force on Wednesdays from `start` to `end`.
  int AddWednesdayTask(const std::string& start, const std::string& end) {
    CTBLScheduleTask task;
    task.SetName("wednesday");
    int taskId = Add(task);
    CTBLSchedule schedule;
    schedule.SetScheduleTaskID(taskId);
    int scheduleId = Add(schedule);
    CTBLScheduleWeek week;
    week.SetScheduleID(scheduleId);
    week.SetWednesday(1);
    int weekId = Add(week);
    CTBLTimeCoverages coverage;
    coverage.SetScheduleID(scheduleId);
    coverage.SetScheduleWeekID(weekId);
    coverage.SetStartTime(start);
    coverage.SetEndTime(end);
    Add(coverage);
    return taskId;
  }

  // The JSON texts the publisher logged as published, in order.
  static std::vector<std::string> Published(const std::string& log) {
    std::vector<std::string> texts;
    const std::string mark = "INFO - Publish Event : ";
    for (size_t at = log.find(mark); at != std::string::npos; at = log.find(mark, at + 1)) {
      size_t start = at + mark.size();
      texts.push_back(log.substr(start, log.find("\r\n", start) - start));
    }
    return texts;
  }

  TestDatabase db_;
  std::string name_;
  std::unique_ptr<CDBDataStore> service_;
  std::unique_ptr<CDataStore> store_;
};

// A result of server `vasId`, channel `channel`, at the local time `time`
// (YYYYMMDDhhmmssmmm), with events of the given region and line numbers.
inline CVAR* MakeResult(int vasId, int channel, const std::string& time,
                        const std::vector<std::vector<int>>& regionEvents,
                        const std::vector<std::vector<int>>& lineEvents = {},
                        const std::vector<CVARCrowdDensity>& crowd = {}) {
  auto* result = new CVAR;
  result->VasID = vasId;
  result->Channel = channel;
  result->Time = time;
  std::vector<CVAREvent> events;
  for (const auto& regions : regionEvents) {
    CVAREvent event;
    event.ROINumbers = regions;
    events.push_back(event);
  }
  for (const auto& lines : lineEvents) {
    CVAREvent event;
    event.LineNumbers = lines;
    events.push_back(event);
  }
  result->SetEvents(events);
  result->CrowdDensities = crowd;
  return result;
}
