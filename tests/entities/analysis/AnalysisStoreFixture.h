// A store fixture with the analysis rows of one installation: helpers that
// add servers, devices, regions, lines, events and schedule tasks through the
// store, as the services find them in its cache.
#pragma once

#include <mysql.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "StoreTest.h"
#include "entities/Camera.h"
#include "entities/analysis/Vas.h"
#include "entities/analysis/VasDevice.h"
#include "entities/analysis/VasIntelligentEvent.h"
#include "entities/analysis/VasLineCross.h"
#include "entities/analysis/VasROI.h"
#include "entities/operations/Schedule.h"
#include "entities/operations/ScheduleTask.h"
#include "entities/operations/ScheduleWeek.h"
#include "entities/operations/TimeCoverages.h"

class AnalysisStoreTest : public StoreTest {
 protected:
  // Rows of `table` in the database, soft-deleted ones included.
  size_t Count(const char* table) { return List(table).size(); }
  // The number of rows `where` selects in `table`, read with plain SQL (for
  // tables without a row class, or with 64-bit keys); -1 when the query fails.
  long RawCount(const std::string& table, const std::string& where = "1") {
    MYSQL* conn = mysql_init(nullptr);
    long count = -1;
    if (mysql_real_connect(conn, db_.host.c_str(), db_.user.c_str(), db_.password.c_str(), name_.c_str(), db_.port,
                           nullptr, 0) &&
        mysql_query(conn, ("SELECT COUNT(*) FROM `" + table + "` WHERE " + where).c_str()) == 0) {
      if (MYSQL_RES* result = mysql_store_result(conn)) {
        if (MYSQL_ROW row = mysql_fetch_row(result)) count = row[0] ? std::atol(row[0]) : -1;
        mysql_free_result(result);
      }
    }
    mysql_close(conn);
    return count;
  }

  std::shared_ptr<CTBLVas> AddVas(const std::string& name, int type = 1) {
    CTBLVas vas;
    vas.SetName(name);
    vas.SetType(type);
    return Add(vas);
  }
  std::shared_ptr<CTBLVasDevice> AddDevice(int vasId, int channel, int cameraNo = 0) {
    CTBLVasDevice device;
    device.SetVasID(vasId);
    device.SetChannelNo(channel);
    device.SetDeviceID(cameraNo);
    return Add(device);
  }
  std::shared_ptr<CTBLCamera> AddCamera(int zavChannel) {
    CTBLCamera camera;
    camera.SetZavChannel(zavChannel);
    return Add(camera);
  }
  // An enabled region of `device` numbered `number` that raises event
  // `eventId` (0: none) and follows task `taskId` (0: none).
  std::shared_ptr<CTBLVasROI> AddRegion(int device, int number, int eventId, int taskId, int type = 1,
                                        int enable = 1) {
    CTBLVasROI region;
    region.SetVasDeviceID(device);
    region.SetROINumber(number);
    region.SetVasIntelligentEventID(eventId);
    region.SetScheduleTaskID(taskId);
    region.SetType(type);
    region.SetEnable(enable);
    return Add(region);
  }
  std::shared_ptr<CTBLVasLineCross> AddLine(int device, int number, int eventId, int taskId, int useEvent = 1,
                                            int enable = 1) {
    CTBLVasLineCross line;
    line.SetVasDeviceID(device);
    line.SetNumber(number);
    line.SetVasIntelligentEventID(eventId);
    line.SetScheduleTaskID(taskId);
    line.SetUseEvent(useEvent);
    line.SetEnable(enable);
    return Add(line);
  }
  std::shared_ptr<CTBLVasIntelligentEvent> AddEvent(const std::string& name) {
    CTBLVasIntelligentEvent event;
    event.SetName(name);
    return Add(event);
  }
  std::shared_ptr<CTBLScheduleTask> AddTask(const std::string& name) {
    CTBLScheduleTask task;
    task.SetName(name);
    return Add(task);
  }
  std::shared_ptr<CTBLSchedule> AddSchedule(int taskId) {
    CTBLSchedule schedule;
    schedule.SetScheduleTaskID(taskId);
    return Add(schedule);
  }
  // A day row of `scheduleId` with the flags of `days` set ("Sunday", ...).
  std::shared_ptr<CTBLScheduleWeek> AddWeek(int scheduleId, const std::vector<std::string>& days) {
    CTBLScheduleWeek week;
    week.SetScheduleID(scheduleId);
    for (const std::string& day : days) {
      if (day == "Sunday") week.SetSunday(1);
      if (day == "Monday") week.SetMonday(1);
      if (day == "Tuesday") week.SetTuesday(1);
      if (day == "Wednesday") week.SetWednesday(1);
      if (day == "Thursday") week.SetThursday(1);
      if (day == "Friday") week.SetFriday(1);
      if (day == "Saturday") week.SetSaturday(1);
    }
    return Add(week);
  }
  std::shared_ptr<CTBLTimeCoverages> AddCoverage(int scheduleId, int weekId, const std::string& start,
                                                 const std::string& end) {
    CTBLTimeCoverages coverage;
    coverage.SetScheduleID(scheduleId);
    coverage.SetScheduleWeekID(weekId);
    coverage.SetStartTime(start);
    coverage.SetEndTime(end);
    return Add(coverage);
  }
  // A task whose one schedule covers `start`-`end` on `day`.
  std::shared_ptr<CTBLScheduleTask> AddTaskCovering(const std::string& day, const std::string& start,
                                                    const std::string& end) {
    auto task = AddTask("covering " + day);
    auto schedule = AddSchedule(task->GetID());
    auto week = AddWeek(schedule->GetID(), {day});
    AddCoverage(schedule->GetID(), week->GetID(), start, end);
    return task;
  }
};

// A local time with the given fields (day of the week left 0).
inline SystemTime LocalTime(int year, int month, int day, int hour, int minute, int second = 0) {
  SystemTime time;
  time.year = year;
  time.month = month;
  time.day = day;
  time.hour = hour;
  time.minute = minute;
  time.second = second;
  return time;
}

// Sets TZ for the life of the object and puts the old value back.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone);
  ~ScopedTimeZone();
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  bool had_ = false;
  std::string old_;
};
