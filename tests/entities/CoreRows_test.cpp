#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "RowTestSupport.h"
#include "entities/CameraGroup.h"
#include "entities/CameraList.h"
#include "entities/Client.h"
#include "entities/NasStorage.h"
#include "entities/NRS.h"
#include "entities/Record.h"
#include "entities/RecordSchedule.h"
#include "entities/UserLog.h"
#include "entities/UserPermission.h"

namespace {

// Local time of the given fields as mktime gives it (daylight saving decided
// by the time zone's rules).
int64_t LocalSeconds(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&tm));
}

TEST(ClientRow, NewClientsTakeConsecutiveTemporaryKeys) {
  CTBLClient first;
  CTBLClient second;
  EXPECT_LT(first.GetID(), 0);
  EXPECT_EQ(second.GetID(), first.GetID() + 1);
  EXPECT_EQ(first.GetWebPort(), 80);
  first.SetIsOnline(1);
  first.SetClientID(5);
  EXPECT_EQ(first.GetChangedColumns(), (std::vector<std::string>{"ClientID", "IsOnline"}));
}

TEST(ClientRow, AccessTimeReadsTheTextAsLocalTime) {
  int64_t moment = LocalSeconds(2021, 3, 4, 5, 6, 7);
  struct Case {
    const char* text;
    int64_t seconds;
  } cases[] = {
      {"2021-03-04 05:06:07", moment},
      {"2021-03-04 05:06:07.250", moment},
      {"2021-3-4 5:6:7", moment},
      {"", 0},
      {"2021-03-04T05:06:07", 0},
      {"2021-03-04", 0},
      {"2021-03 05:06:07", 0},
      {"1899-12-31 23:59:59", 0},
  };
  for (const Case& c : cases) {
    CTBLClient client;
    client.SetAccessTimeText(c.text);
    EXPECT_EQ(client.GetAccessTime(), c.seconds) << "'" << c.text << "'";
  }
}

TEST(ClientRow, AccessTimeOutOfRangeGivesZeroInsteadOfFailing) {
  for (const char* text : {"2021-13-04 05:06:07", "2021-03-32 05:06:07", "2021-03-04 24:00:00",
                           "2021-03-04 05:60:07", "2021-03-04 05:06:60", "1969-12-31 23:59:59",
                           "3001-01-01 00:00:00", "2021-00-04 05:06:07"}) {
    CTBLClient client;
    client.SetAccessTimeText(text);
    EXPECT_EQ(client.GetAccessTime(), 0) << text;
  }
}

TEST(ClientRow, DisplayTextWithoutAUserIsTheAddress) {
  CTBLClient client;
  client.SetAddr("10.0.0.5");
  client.SetUserID(3);  // no owning store: no user to be found
  EXPECT_EQ(client.GetUser(), nullptr);
  EXPECT_EQ(client.GetDisplayText(), "10.0.0.5");
}

TEST(RecordRow, HiddenIdsAreConsecutiveAndACloneKeepsItsOwn) {
  CTBLRecord first;
  CTBLRecord second;
  EXPECT_GT(first.GetID(), 0);
  EXPECT_EQ(second.GetID(), first.GetID() + 1);
  first.SetRecordDays(7);
  std::unique_ptr<CDBEntity> clone(first.Clone());
  EXPECT_EQ(ColumnValueText(*clone, "record_days"), "7");
  EXPECT_GT(clone->GetID(), second.GetID());
  first.CopyTo(&second);
  EXPECT_EQ(second.GetID(), first.GetID() + 1);
}

TEST(CameraListRow, HiddenIdsAreConsecutiveAndCopiesTakeThem) {
  CTBLCameraList first;
  CTBLCameraList second;
  EXPECT_GT(first.GetID(), 0);
  EXPECT_EQ(second.GetID(), first.GetID() + 1);
  first.SetCameraGroupNo(2);
  first.SetCameraNo(9);
  EXPECT_EQ(first.GetCompositeKeyPart1(), CColumnValue("camera_group_no", "2", kColumnKindInt));
  EXPECT_EQ(first.GetCompositeKeyPart2(), CColumnValue("camera_no", "9", kColumnKindInt));
  std::unique_ptr<CDBEntity> clone(first.Clone());
  EXPECT_EQ(clone->GetID(), first.GetID());
  LoadValues(first, {{"camera_group_no", "4"}, {"_order_", ""}});
  EXPECT_EQ(first.GetOrder(), 0);
  EXPECT_EQ(first.GetCameraNo(), 9);
}

TEST(CameraGroupRow, StoreNumberTravelsWithCopies) {
  CTBLCameraGroup group;
  group.SetGroupName("Floor 2");
  group.SetStoreNo(4);
  CTBLCameraGroup target;
  group.CopyTo(&target);
  EXPECT_EQ(target.GetTreeNodeStoreNo(), 4);
  EXPECT_EQ(target.GetStoreNo(), 0);
  EXPECT_EQ(target.GetDisplayText(), "Floor 2");
  EXPECT_EQ(CTBLCameraGroup(group).GetTreeNodeStoreNo(), 4);
}

TEST(RecordScheduleRow, ScheduleIsAlwaysAWeekOfHours) {
  const std::string week(168, 'C');
  std::string events(168, 'E');
  struct Case {
    const char* what;
    std::string loaded;
    std::string schedule;
  } cases[] = {
      {"empty: the default", "", week},
      {"exactly a week", events, events},
      {"short: filled with C", "EEN", "EEN" + std::string(165, 'C')},
      {"long: cut", events + "NNNN", events},
  };
  for (const Case& c : cases) {
    CTBLRecordSchedule row;
    row.SetSchedule(std::string(168, 'N'));
    row.ClearChanges();
    LoadValues(row, {{"schedule", c.loaded}});
    EXPECT_EQ(row.GetSchedule(), c.schedule) << c.what;
    EXPECT_FALSE(row.HasChanges()) << c.what;
  }
  // A NULL from the database (a found column without a value) resets it too.
  CTBLRecordSchedule row;
  row.SetSchedule("N");
  CKeyValueData::ColumnIndex index{{"schedule", 0}};
  CKeyValueData::Values none;
  CKeyValueData nullRow(&index, &none);
  row.LoadFrom(nullRow);
  EXPECT_EQ(row.GetSchedule(), week);
}

TEST(RecordScheduleRow, SetScheduleNotifiesAlwaysAndRecordsNothing) {
  CTBLRecordSchedule row;
  NotificationRecorder recorder(row);
  row.SetSchedule("N");
  row.SetSchedule("N");
  EXPECT_EQ(row.GetSchedule(), "N" + std::string(167, 'C'));
  EXPECT_EQ(recorder.Columns(), (std::vector<std::string>{"schedule", "schedule"}));
  EXPECT_FALSE(row.IsColumnChanged("schedule"));
  EXPECT_FALSE(row.HasChanges());
}

TEST(UserPermissionRow, CheckPrivilegeByType) {
  struct Case {
    int type;
    const char* value;
    const char* requirement;
    int grants;
  } cases[] = {
      {4, "1", "", 1},   {4, "", "", 0},    {4, "0", "", 0},     {4, "-1", "", -1},
      {4, "7abc", "", 7}, {4, "abc", "", 0}, {4, " 3", "", 3},   {1, "-1", "", 1},
      {1, "0", "", 0},   {1, "5", "", 0},   {1, "2", "3", 1},    {1, "2", "2", 0},
  };
  for (const Case& c : cases) {
    CTBLUserPermission row;
    row.SetPrivilegeType(c.type);
    row.SetPrivilegeValue(c.value);
    EXPECT_EQ(row.CheckPrivilege(c.requirement), c.grants)
        << "type " << c.type << " value '" << c.value << "' requirement '" << c.requirement << "'";
  }
}

TEST(UserLogRow, DisplayTextAndDetails) {
  CTBLUserLog row;
  EXPECT_EQ(row.GetDisplayText(), "EventType: 0, UserID: 0, ClientID: 0");
  LoadValues(row, {{"eventtypeid", "3"}, {"userid", "5"}, {"clientid", "8"}, {"detail2", "camera 12"}});
  EXPECT_EQ(row.GetDisplayText(), "EventType: 3, UserID: 5, ClientID: 8");
  const ILogDetails& details = row;
  EXPECT_EQ(details.GetDetail2(), "camera 12");
  EXPECT_EQ(row.GetInterface("ILogDetails"), nullptr);
}

TEST(NasStorageRow, ServerNumberLoadsUnderItsNameAndTheOlderOne) {
  CTBLNasStorage row;
  LoadValues(row, {{"nrsid", "4"}, {"nasuserpassword", "s3cr'et"}});
  EXPECT_EQ(row.GetZavID(), 4);
  EXPECT_EQ(ColumnValueText(row, "ZavID"), "4");
  EXPECT_EQ(ColumnValueText(row, "NasUserPassword"), "s3cr'et");
  LoadValues(row, {{"zavid", "6"}});
  EXPECT_EQ(row.GetZavID(), 6);
}

TEST(RecordingServerRow, DisplayTextIsNameAndAddress) {
  CTBLNRS row;
  LoadValues(row, {{"name", "ZAV-1"}, {"addr", "10.1.1.1"}});
  EXPECT_EQ(row.GetDisplayText(), "ZAV-1 (10.1.1.1)");
}

}  // namespace
