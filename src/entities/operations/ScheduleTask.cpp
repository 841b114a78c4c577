#include "entities/operations/ScheduleTask.h"

#include <time.h>

#include "entities/operations/OwnerDataStore.h"
#include "entities/operations/Schedule.h"
#include "entities/operations/ScheduleWeek.h"
#include "entities/operations/TimeCoverages.h"
#include "foundation/Log.h"

namespace {

// The half hour of a coverage's time text, 0-47; -1 when the text does not
// read as "hh:mm:ss" or its hour or minute is out of range. "24:00:00", the
// end of the day, reads as the last half hour.
int CoverageHalfHour(const std::string& text) {
  SystemTime time;
  if (!ParseDateTimeParts(&time, nullptr, text.c_str(), kDateOrderYmd)) return -1;
  if (time.hour == 24 && time.minute == 0 && time.second == 0) return kScheduleSlotsPerDay - 1;
  if (time.hour < 0 || time.hour > 23 || time.minute < 0 || time.minute > 59) return -1;
  return time.hour * 2 + time.minute / 30;
}

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

}  // namespace

int ScheduleSlotIndex(const SystemTime& time) {
  // The hour and minute place the slot whatever the year: out of range, the
  // time has none.
  if (!InRange(time.hour, 0, 23) || !InRange(time.minute, 0, 59) || !InRange(time.second, 0, 59)) return -1;
  tm parts{};
  if (time.year < 1900) {
    time_t epoch = 0;
    if (localtime_r(&epoch, &parts) == nullptr) return -1;
  } else {
    if (!InRange(time.month, 1, 12) || !InRange(time.day, 1, 31)) return -1;
    parts.tm_year = time.year - 1900;
    parts.tm_mon = time.month - 1;
    parts.tm_mday = time.day;
    parts.tm_hour = time.hour;
    parts.tm_min = time.minute;
    parts.tm_sec = time.second;
    parts.tm_isdst = -1;
    parts.tm_wday = -1;  // mktime sets it only when it succeeds
    mktime(&parts);
    if (parts.tm_wday < 0) return -1;
  }
  return parts.tm_wday * kScheduleSlotsPerDay + time.hour * 2 + time.minute / 30;
}

EntityMap CTBLScheduleTask::GetSchedules() const {
  if (GetScheduleTaskID() == 0) return {};
  return GetOwnerRelatedRows(*this, CTBLSchedule::kTableName, "ScheduleTaskID");
}

std::shared_ptr<CTBLSchedule> CTBLScheduleTask::GetFirstSchedule() const {
  return FirstRowOf<CTBLSchedule>(GetSchedules());
}

std::shared_ptr<const ScheduleWeekTable> CTBLScheduleTask::GetWeekTable() {
  if (built_.load(std::memory_order_acquire)) return table_;
  CScopedLock hold(tableLock_);
  if (built_.load(std::memory_order_relaxed)) return table_;
  std::shared_ptr<const ScheduleWeekTable> table = BuildWeekTable();
  if (table) {
    table_ = table;
    built_.store(true, std::memory_order_release);
  }
  return table;
}

std::shared_ptr<const ScheduleWeekTable> CTBLScheduleTask::BuildWeekTable() const {
  std::shared_ptr<CTBLSchedule> schedule = GetFirstSchedule();
  if (!schedule) return nullptr;
  EntityMap weeks = schedule->GetWeeks();
  if (weeks.empty()) return nullptr;
  auto table = std::make_shared<ScheduleWeekTable>();
  table->fill(0);
  for (auto& [weekId, weekRow] : weeks) {
    auto week = std::dynamic_pointer_cast<CTBLScheduleWeek>(weekRow);
    if (!week) continue;
    const int day = week->GetDayOfWeek();
    if (day == 0) continue;
    const int base = (day - 1) * kScheduleSlotsPerDay;
    for (auto& [coverageId, coverageRow] : week->GetTimeCoverages()) {
      auto coverage = std::dynamic_pointer_cast<CTBLTimeCoverages>(coverageRow);
      if (!coverage) continue;
      const std::string startText = coverage->GetStartTime();
      const std::string endText = coverage->GetEndTime();
      const int start = CoverageHalfHour(startText);
      const int end = CoverageHalfHour(endText);
      if (start < 0 || end < 0) {
        GATE_LOG(1, "ERROR - Time coverage %d of schedule task %d has an unreadable time ('%s' - '%s'); skipped.\r\n",
                 coverageId, GetScheduleTaskID(), startText.c_str(), endText.c_str());
        continue;
      }
      for (int slot = start; slot <= end; ++slot) (*table)[base + slot] = 1;
    }
  }
  return table;
}

int CTBLScheduleTask::IsActiveAt(const SystemTime& time) {
  // A built table never changes: read it without taking a reference.
  std::shared_ptr<const ScheduleWeekTable> held;
  const ScheduleWeekTable* table = nullptr;
  if (built_.load(std::memory_order_acquire)) {
    table = table_.get();
  } else {
    held = GetWeekTable();
    table = held.get();
  }
  if (table == nullptr) return 0;
  const int slot = ScheduleSlotIndex(time);
  if (slot < 0 || slot >= kScheduleSlotCount) {
    GATE_LOG(1, "ERROR - Time %04d-%02d-%02d %02d:%02d:%02d has no schedule slot; task %d counts as inactive.\r\n",
             time.year, time.month, time.day, time.hour, time.minute, time.second, GetScheduleTaskID());
    return 0;
  }
  return (*table)[slot];
}

GATE_REGISTER_ENTITY(CTBLScheduleTask);
