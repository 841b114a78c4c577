#include "entities/operations/ScheduleWeek.h"

#include "entities/operations/OwnerDataStore.h"
#include "entities/operations/TimeCoverages.h"

int CTBLScheduleWeek::GetDayOfWeek() const {
  const int flags[] = {GetSunday(),   GetMonday(), GetTuesday(), GetWednesday(),
                       GetThursday(), GetFriday(), GetSaturday()};
  for (int day = 0; day < 7; ++day) {
    if (flags[day] != 0) return day + 1;
  }
  return 0;
}

EntityMap CTBLScheduleWeek::GetTimeCoverages() const {
  return GetOwnerRelatedRows(*this, CTBLTimeCoverages::kTableName, "ScheduleWeekID");
}

GATE_REGISTER_ENTITY(CTBLScheduleWeek);
