// The day row of a schedule (TBL_ScheduleWeeks): one day of the week, named
// by its day flags, whose time ranges (TBL_TimeCoverages) are covered.
// Deleting a day row deletes its time ranges.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_SCHEDULE_WEEKS_COLUMNS(C)                     \
  C(Int, "ScheduleWeekID", ScheduleWeekID, 0)             \
  C(Int, "ScheduleID", ScheduleID, 0)                     \
  C(Bool, "Monday", Monday, 0)                            \
  C(Bool, "Tuesday", Tuesday, 0)                          \
  C(Bool, "Wednesday", Wednesday, 0)                      \
  C(Bool, "Thursday", Thursday, 0)                        \
  C(Bool, "Friday", Friday, 0)                            \
  C(Bool, "Saturday", Saturday, 0)                        \
  C(Bool, "Sunday", Sunday, 0)
// clang-format on

class CTBLScheduleWeekBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLScheduleWeekBase, "TBL_ScheduleWeeks", TBL_SCHEDULE_WEEKS_COLUMNS, AutoIncrement,
                    "ScheduleWeekID", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_TimeCoverages", "ScheduleWeekID", 0, kRelationModeDelete})
};

class CTBLScheduleWeek : public CTBLScheduleWeekBase {
 public:
  // The day the row stands for, 1 Sunday to 7 Saturday: the first set flag in
  // the order Sunday, Monday, ..., Saturday; 0 when no flag is set.
  int GetDayOfWeek() const;
  // The cached TBL_TimeCoverages rows whose `ScheduleWeekID` is this key, by
  // key; empty for a free row. Takes the store's locks.
  EntityMap GetTimeCoverages() const;
};
