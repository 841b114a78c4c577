// fuzz-libs: gate_entities gate_database
// The week table's readers of outside input: a peer's result time (the slot
// of any field values is a slot of the table or -1, never an exception) and
// the time texts of a schedule's ranges (any text builds a table of 0 and 1
// only, never touching a slot outside it). Input: 14 bytes of time fields
// (seven 16-bit values: year, month, day of week, day, hour, minute, second),
// then the range's start and end texts separated by a newline.
#include <stddef.h>
#include <stdint.h>

#include <cstring>
#include <string>

#include "database/DataStore.h"
#include "entities/operations/Schedule.h"
#include "entities/operations/ScheduleTask.h"
#include "entities/operations/ScheduleWeek.h"
#include "entities/operations/TimeCoverages.h"

namespace {

int Field(const uint8_t* data, size_t index) {
  int16_t value = 0;
  std::memcpy(&value, data + index * 2, sizeof(value));
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 14) return 0;
  SystemTime time;
  time.year = Field(data, 0);
  time.month = Field(data, 1);
  time.dayOfWeek = Field(data, 2);
  time.day = Field(data, 3);
  time.hour = Field(data, 4);
  time.minute = Field(data, 5);
  time.second = Field(data, 6);
  const int slot = ScheduleSlotIndex(time);
  if (slot < -1 || slot >= kScheduleSlotCount) __builtin_trap();

  std::string texts(reinterpret_cast<const char*>(data) + 14, size - 14);
  size_t newline = texts.find('\n');
  std::string start = texts.substr(0, newline);
  std::string end = newline == std::string::npos ? std::string() : texts.substr(newline + 1);

  CDataStore store(nullptr);
  CTBLScheduleTask task;
  task.SetScheduleTaskID(1);
  store.AddEntity(&task, 0);
  CTBLSchedule schedule;
  schedule.SetScheduleID(1);
  schedule.SetScheduleTaskID(1);
  store.AddEntity(&schedule, 0);
  CTBLScheduleWeek week;
  week.SetScheduleWeekID(1);
  week.SetScheduleID(1);
  week.SetSaturday(1);  // the last day: a range past its end would leave the table
  store.AddEntity(&week, 0);
  CTBLTimeCoverages coverage;
  coverage.SetTimeCoverageID(1);
  coverage.SetScheduleWeekID(1);
  coverage.SetStartTime(start);
  coverage.SetEndTime(end);
  store.AddEntity(&coverage, 0);
  auto cached = std::dynamic_pointer_cast<CTBLScheduleTask>(store.FindCachedEntity("TBL_ScheduleTasks", 1));
  if (!cached) __builtin_trap();
  auto table = cached->GetWeekTable();
  if (!table) __builtin_trap();
  for (int value : *table) {
    if (value != 0 && value != 1) __builtin_trap();
  }
  const int active = cached->IsActiveAt(time);
  if (active != 0 && active != 1) __builtin_trap();
  return 0;
}
