// The week table of a schedule task: the slot of a local time, the table
// built from the task's first schedule, and when it is built.
#include <gtest/gtest.h>

#include "AnalysisStoreFixture.h"

namespace {

TEST(ScheduleSlot, SlotOfALocalTime) {
  ScopedTimeZone zone("UTC");
  SystemTime markedMonday = LocalTime(2024, 3, 6, 14, 45);
  markedMonday.dayOfWeek = 1;  // a Wednesday date marked Monday
  struct Case {
    const char* what;
    SystemTime time;
    int slot;
  } cases[] = {
      {"Sunday 00:00", LocalTime(2024, 3, 3, 0, 0), 0},
      {"Saturday 23:59", LocalTime(2024, 3, 9, 23, 59, 59), 335},
      {"Wednesday 14:45", LocalTime(2024, 3, 6, 14, 45), 173},
      {"the weekday field is not read", markedMonday, 173},
      {"Wednesday 09:29", LocalTime(2024, 3, 6, 9, 29), 162},
      {"Wednesday 09:30", LocalTime(2024, 3, 6, 9, 30), 163},
      {"an all-zero time: the epoch, a Thursday", SystemTime(), 192},
      {"month 13", LocalTime(2024, 13, 6, 9, 30), -1},
      {"month 0", LocalTime(2024, 0, 6, 9, 30), -1},
      {"day 32", LocalTime(2024, 3, 32, 9, 30), -1},
      {"day 0", LocalTime(2024, 3, 0, 9, 30), -1},
      {"hour 24", LocalTime(2024, 3, 6, 24, 0), -1},
      {"minute 60", LocalTime(2024, 3, 6, 9, 60), -1},
      {"second 60", LocalTime(2024, 3, 6, 9, 30, 60), -1},
      {"negative hour", LocalTime(2024, 3, 6, -1, 30), -1},
      {"hour out of range before 1900", LocalTime(0, 0, 0, 30000, 0), -1},
      {"minute out of range before 1900", LocalTime(1899, 1, 1, 0, -30), -1},
      {"a time of day before 1900 keeps its own hour", LocalTime(1, 0, 0, 23, 59), 192 + 47},
  };
  for (const Case& c : cases) EXPECT_EQ(ScheduleSlotIndex(c.time), c.slot) << c.what;
}

TEST(ScheduleSlot, WeekdayComesFromTheLocalCalendar) {
  struct Case {
    const char* zone;
    SystemTime time;
    int slot;
  } cases[] = {
      // The missing and the doubled hour of the clock changes: still Sunday,
      // with the time's own hour and minute.
      {"Europe/Berlin", LocalTime(2024, 3, 31, 2, 30), 5},
      {"Europe/Berlin", LocalTime(2024, 10, 27, 2, 30), 5},
      {"Asia/Seoul", LocalTime(2024, 3, 6, 23, 59), 3 * 48 + 47},
      {"Asia/Seoul", LocalTime(2024, 3, 7, 0, 0), 4 * 48},
      {"UTC", SystemTime(), 192},
      {"America/Los_Angeles", SystemTime(), 144},  // the epoch is a Wednesday there
  };
  for (const Case& c : cases) {
    ScopedTimeZone zone(c.zone);
    EXPECT_EQ(ScheduleSlotIndex(c.time), c.slot) << c.zone;
  }
}

TEST(ScheduleWeekRow, TheFirstSetDayCountsSundayFirst) {
  struct Case {
    std::vector<std::string> days;
    int day;
  } cases[] = {{{}, 0},
               {{"Sunday"}, 1},
               {{"Monday"}, 2},
               {{"Saturday"}, 7},
               {{"Monday", "Sunday"}, 1},
               {{"Tuesday", "Friday"}, 3},
               {{"Wednesday", "Thursday", "Saturday"}, 4}};
  for (const Case& c : cases) {
    CTBLScheduleWeek week;
    for (const std::string& day : c.days) {
      CKeyValueData flag;
      std::string lower = day;
      lower[0] = static_cast<char>(lower[0] - 'A' + 'a');
      flag.SetValue(lower, "1");
      week.LoadFrom(flag);
    }
    EXPECT_EQ(week.GetDayOfWeek(), c.day) << c.days.size();
  }
}

class WeekTableTest : public AnalysisStoreTest {
 protected:
  // The slots of `table` that hold 1.
  static std::vector<int> MarkedSlots(const std::shared_ptr<const ScheduleWeekTable>& table) {
    std::vector<int> slots;
    if (!table) return slots;
    for (int slot = 0; slot < kScheduleSlotCount; ++slot) {
      if ((*table)[slot] == 1) slots.push_back(slot);
      if ((*table)[slot] != 0 && (*table)[slot] != 1) ADD_FAILURE() << "slot " << slot << " holds " << (*table)[slot];
    }
    return slots;
  }
  // Slots `from` to `to` of day `day` (0 Sunday).
  static std::vector<int> Slots(int day, int from, int to) {
    std::vector<int> slots;
    for (int slot = from; slot <= to; ++slot) slots.push_back(day * 48 + slot);
    return slots;
  }
};

TEST_F(WeekTableTest, RangesMarkTheirHalfHoursBothEndsIncluded) {
  struct Case {
    const char* start;
    const char* end;
    std::vector<int> slots;
  } cases[] = {
      {"09:00:00", "10:00:00", Slots(3, 18, 20)},
      {"09:00:00", "09:59:59", Slots(3, 18, 19)},
      {"09:15:00", "09:20:00", Slots(3, 18, 18)},
      {"00:00:00", "23:59:59", Slots(3, 0, 47)},
      {"22:00:00", "06:00:00", {}},
      {"9:5:0", "9:40:0", Slots(3, 18, 19)},
      // Texts that do not split into three fields, and fields out of range,
      // mark nothing; "24:00:00" is the end of the day.
      {"9:00", "10:00:00", {}},
      {"", "10:00:00", {}},
      {"09-00-00", "10:00:00", {}},
      {"22:00:00", "24:00:00", Slots(3, 44, 47)},
      {"-01:00:00", "02:00:00", {}},
      {"20:00:00", "99:30:00", {}},
      {"20:00:00", "20:75:00", {}},
  };
  for (const Case& c : cases) {
    // The texts are put on the cached coverage: the database's TIME column
    // would refuse some of them, rows of other sources need not.
    auto task = AddTask(std::string("range ") + c.start + "-" + c.end);
    auto schedule = AddSchedule(task->GetID());
    auto week = AddWeek(schedule->GetID(), {"Wednesday"});
    auto coverage = AddCoverage(schedule->GetID(), week->GetID(), "00:00:00", "00:00:00");
    ASSERT_TRUE(task && coverage);
    coverage->SetStartTime(c.start);
    coverage->SetEndTime(c.end);
    auto table = task->GetWeekTable();
    ASSERT_NE(table, nullptr) << c.start << "-" << c.end;
    EXPECT_EQ(MarkedSlots(table), c.slots) << c.start << "-" << c.end;
  }
}

TEST_F(WeekTableTest, DaysAndRangesUniteAndOnlyTheFirstScheduleCounts) {
  ScopedTimeZone zone("UTC");
  auto task = AddTask("mixed");
  auto first = AddSchedule(task->GetID());
  auto second = AddSchedule(task->GetID());
  auto sunday = AddWeek(first->GetID(), {"Monday", "Sunday"});   // counts as Sunday
  auto tuesday = AddWeek(first->GetID(), {"Tuesday", "Friday"});  // counts as Tuesday
  auto sundayAgain = AddWeek(first->GetID(), {"Sunday"});
  auto none = AddWeek(first->GetID(), {});
  auto ignored = AddWeek(second->GetID(), {"Saturday"});
  AddCoverage(first->GetID(), sunday->GetID(), "01:00:00", "02:00:00");
  AddCoverage(first->GetID(), sundayAgain->GetID(), "01:30:00", "03:00:00");
  AddCoverage(0, tuesday->GetID(), "12:00:00", "12:10:00");  // the coverage's ScheduleID plays no part
  AddCoverage(first->GetID(), none->GetID(), "05:00:00", "06:00:00");
  AddCoverage(second->GetID(), ignored->GetID(), "00:00:00", "23:59:59");
  task->SetEnabled(0);  // the task's own switch takes no part in its table
  std::vector<int> expected = Slots(0, 2, 6);
  expected.push_back(2 * 48 + 24);
  EXPECT_EQ(MarkedSlots(task->GetWeekTable()), expected);
  EXPECT_EQ(task->IsActiveAt(LocalTime(2024, 3, 3, 2, 45)), 1);   // Sunday 02:45
  EXPECT_EQ(task->IsActiveAt(LocalTime(2024, 3, 3, 3, 30)), 0);
  EXPECT_EQ(task->IsActiveAt(LocalTime(2024, 3, 5, 12, 5)), 1);   // Tuesday
  EXPECT_EQ(task->IsActiveAt(LocalTime(2024, 3, 8, 12, 5)), 0);   // Friday
  EXPECT_EQ(task->IsActiveAt(LocalTime(2024, 3, 9, 12, 5)), 0);   // Saturday: second schedule
  // Result times with a field out of range have no slot: 0, no exception.
  for (const SystemTime& time : {LocalTime(2024, 13, 3, 2, 45), LocalTime(2024, 3, 32, 2, 45),
                                 LocalTime(2024, 3, 3, 24, 45), LocalTime(2024, 3, 3, 2, 60)}) {
    EXPECT_EQ(task->IsActiveAt(time), 0) << time.month << "-" << time.day << " " << time.hour << ":" << time.minute;
  }
}

TEST_F(WeekTableTest, TheTableIsBuiltOnceItHasDayRows) {
  ScopedTimeZone zone("UTC");
  const SystemTime mondayNoon = LocalTime(2024, 3, 4, 12, 0);
  auto task = AddTask("growing");
  EXPECT_EQ(task->GetWeekTable(), nullptr) << "no schedule";
  EXPECT_EQ(task->IsActiveAt(mondayNoon), 0);
  auto schedule = AddSchedule(task->GetID());
  EXPECT_EQ(task->GetWeekTable(), nullptr) << "a schedule without day rows";
  auto monday = AddWeek(schedule->GetID(), {"Monday"});
  auto table = task->GetWeekTable();
  ASSERT_NE(table, nullptr) << "day rows added later count at the next call";
  EXPECT_TRUE(MarkedSlots(table).empty()) << "no ranges yet: 336 zeros";
  AddCoverage(schedule->GetID(), monday->GetID(), "00:00:00", "23:59:59");
  EXPECT_EQ(task->GetWeekTable(), table) << "kept: ranges added later are not seen";
  EXPECT_EQ(task->IsActiveAt(mondayNoon), 0);

  // A new row object (the store loading the table again) sees them.
  std::unique_ptr<CDBEntity> clone(task->Clone());
  auto& fresh = dynamic_cast<CTBLScheduleTask&>(*clone);
  fresh.SetDataStore(store_.get());
  EXPECT_EQ(fresh.IsActiveAt(mondayNoon), 1);
  // A copy into a row that holds a table keeps that table.
  task->CopyFrom(&fresh);
  EXPECT_EQ(fresh.IsActiveAt(mondayNoon), 1);
  CTBLScheduleTask copy(*task);  // the same store, no table yet
  EXPECT_EQ(copy.IsActiveAt(mondayNoon), 1) << "a copy builds a table of its own";
  EXPECT_NE(copy.GetWeekTable(), table);

  CTBLScheduleTask free;
  EXPECT_EQ(free.GetWeekTable(), nullptr);
  EXPECT_TRUE(free.GetSchedules().empty());
  EXPECT_EQ(free.GetFirstSchedule(), nullptr);
}

}  // namespace
