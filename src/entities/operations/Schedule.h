// The schedule row (TBL_Schedules): one schedule of a schedule task, or of a
// network filter. A task's week table (ScheduleTask.h) reads the day rows of
// its first schedule; the dates, times, recurrence kind and all-day flag take
// no part in it. Deleting a schedule deletes its day rows and time ranges.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_SCHEDULES_COLUMNS(C)                          \
  C(Int, "ScheduleID", ScheduleID, 0)                     \
  C(Int, "NetworkFilterID", NetworkFilterID, 0)           \
  C(Int, "ScheduleTaskID", ScheduleTaskID, 0)             \
  C(Int, "RecurrenceKind", RecurrenceKind, 0)             \
  C(Date, "StartDate", StartDate, "")                     \
  C(Time, "StartTime", StartTime, "")                     \
  C(Date, "EndDate", EndDate, "")                         \
  C(Time, "EndTime", EndTime, "")                         \
  C(Bool, "AllDay", AllDay, 0)
// clang-format on

class CTBLScheduleBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLScheduleBase, "TBL_Schedules", TBL_SCHEDULES_COLUMNS, AutoIncrement, "ScheduleID",
                    kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_ScheduleWeeks", "ScheduleID", 0, kRelationModeDelete},
                        {"TBL_TimeCoverages", "ScheduleID", 0, kRelationModeDelete})
};

class CTBLSchedule : public CTBLScheduleBase {
 public:
  // The cached TBL_ScheduleWeeks rows whose `ScheduleID` is this key (0
  // included), by key; empty for a free row. Takes the store's locks.
  EntityMap GetWeeks() const;
};
