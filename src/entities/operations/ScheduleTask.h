// The schedule task row (TBL_ScheduleTasks): a named schedule that analysis
// regions, line crosses and class groups name in their `ScheduleTaskID`, and
// the week table that says when it is in force: 336 half-hour slots (7 days
// of 48, Sunday first), each 1 when covered, else 0.
//
// The week table is built from the task's first schedule (lowest
// `ScheduleID`): each of its day rows marks, for each of its time ranges, the
// slots from the start's half hour to the end's, both included; a range whose
// end comes before its start marks nothing. The table is built once per row
// object, under the row's table lock, and published complete; it is kept for
// the life of the row object (edits of the schedules reach a row object that
// the store makes anew when it loads the table again). Copies and clones start
// without a table; CopyTo leaves the target's table alone.
#pragma once

#include <array>
#include <atomic>
#include <memory>

#include "entities/base/RowClass.h"
#include "foundation/DateTimeUtil.h"
#include "foundation/Lock.h"

class CTBLSchedule;

// clang-format off
#define TBL_SCHEDULE_TASKS_COLUMNS(C)                     \
  C(Int, "ScheduleTaskID", ScheduleTaskID, 0)             \
  C(Int, "Category", Category, 0)                         \
  C(Int, "Kind", Kind, 0)                                 \
  C(String, "Name", Name, "")                             \
  C(Bool, "Enabled", Enabled, 0)                          \
  C(String, "Detail1", Detail1, "")                       \
  C(String, "Detail2", Detail2, "")                       \
  C(String, "Detail3", Detail3, "")                       \
  C(DateTime, "DateTimeUpdated", DateTimeUpdated, "")
// clang-format on

// Deleting a task deletes its schedules and sets `ScheduleTaskID` of its
// regions and class lists to 0.
class CTBLScheduleTaskBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLScheduleTaskBase, "TBL_ScheduleTasks", TBL_SCHEDULE_TASKS_COLUMNS, AutoIncrement,
                    "ScheduleTaskID", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_Schedules", "ScheduleTaskID", 0, kRelationModeDelete},
                        {"TBL_VasROI", "ScheduleTaskID", 0, kRelationModeSetZero},
                        {"TBL_VasClassList", "ScheduleTaskID", 0, kRelationModeSetZero})
};

// Slots of the week table: day (0 Sunday) x 48 + hour x 2 + minute / 30.
constexpr int kScheduleSlotsPerDay = 48;
constexpr int kScheduleSlotCount = 7 * kScheduleSlotsPerDay;
using ScheduleWeekTable = std::array<int, kScheduleSlotCount>;

// The slot of a local time: the weekday of the instant that year, month, day,
// hour, minute and second give as local time (daylight saving decided by the
// system; the time's own day-of-week field is not read), with the time's own
// hour and minute. A year below 1900 stands for the epoch instant (its month
// and day are not read). -1, never an exception, when a field is out of range
// (hour 0-23, minute and second 0-59, and from 1900 on month 1-12 and day
// 1-31) or the instant cannot be represented.
int ScheduleSlotIndex(const SystemTime& time);

class CTBLScheduleTask : public CTBLScheduleTaskBase {
 public:
  CTBLScheduleTask() = default;
  // The columns and entity state; the copy starts without a week table.
  CTBLScheduleTask(const CTBLScheduleTask& other) : CTBLScheduleTaskBase(other) {}

  // The cached TBL_Schedules rows whose `ScheduleTaskID` is this key, by key;
  // empty for key 0 or a free row. Takes the store's locks.
  EntityMap GetSchedules() const;
  // The schedule of GetSchedules with the lowest key; null when none.
  std::shared_ptr<CTBLSchedule> GetFirstSchedule() const;

  // The week table: the one built before, else built now. Null, with nothing
  // kept (the next call tries again), for a free row, without a schedule or
  // when the first schedule has no day rows. Once built, answers without a
  // lock; the build takes the row's table lock, then the store's locks. A
  // time range whose text does not read as "hh:mm:ss" or whose hour or minute
  // is out of range is skipped with a log line naming it; "24:00:00" reads as
  // the end of the day.
  std::shared_ptr<const ScheduleWeekTable> GetWeekTable();
  // The week table's value (1 or 0) at ScheduleSlotIndex(time); 0 without a
  // table and for a time without a slot (logged). Never throws.
  int IsActiveAt(const SystemTime& time);

 private:
  std::shared_ptr<const ScheduleWeekTable> BuildWeekTable() const;

  CLock tableLock_;  // taken to build the table
  std::shared_ptr<const ScheduleWeekTable> table_;  // written once under tableLock_ before built_
  std::atomic<bool> built_{false};                   // release-stored after table_
};
