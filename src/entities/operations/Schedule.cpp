#include "entities/operations/Schedule.h"

#include "entities/operations/OwnerDataStore.h"
#include "entities/operations/ScheduleWeek.h"

EntityMap CTBLSchedule::GetWeeks() const {
  return GetOwnerRelatedRows(*this, CTBLScheduleWeek::kTableName, "ScheduleID");
}

GATE_REGISTER_ENTITY(CTBLSchedule);
