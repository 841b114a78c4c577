// The time range of a schedule's day row (TBL_TimeCoverages): from
// `StartTime` to `EndTime` ("hh:mm:ss"), both ends' half hours covered.
// Goes with its day row and its schedule.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_TIME_COVERAGES_COLUMNS(C)                     \
  C(Int, "TimeCoverageID", TimeCoverageID, 0)             \
  C(Int, "ScheduleID", ScheduleID, 0)                     \
  C(Int, "ScheduleWeekID", ScheduleWeekID, 0)             \
  C(Time, "StartTime", StartTime, "")                     \
  C(Time, "EndTime", EndTime, "")
// clang-format on

class CTBLTimeCoveragesBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLTimeCoveragesBase, "TBL_TimeCoverages", TBL_TIME_COVERAGES_COLUMNS, AutoIncrement,
                    "TimeCoverageID", kEntityNoFlags)
};

class CTBLTimeCoverages : public CTBLTimeCoveragesBase {};
