// Core rows through the database layer on a scratch database made from the
// creation script: inserts with database-chosen and given keys, reads,
// updates and deletes by one key, two key columns or all columns, soft
// deletes, relation deletes, and live-status rows that never reach it.
#include <gtest/gtest.h>

#include "DatabaseRowTest.h"
#include "RowTestSupport.h"
#include "entities/Camera.h"
#include "entities/CameraGroup.h"
#include "entities/CameraList.h"
#include "entities/DeviceStatus.h"
#include "entities/NRS.h"
#include "entities/NasStorage.h"
#include "entities/Permission.h"
#include "entities/Record.h"
#include "entities/RecordSchedule.h"
#include "entities/UserPermission.h"
#include "foundation/StringUtil.h"

namespace {

class CoreRowsInDatabase : public DatabaseRowTest {};

TEST_F(CoreRowsInDatabase, EveryStoredTableKeepsEveryColumn) {
  for (const char* table : {"TBL_Camera", "TBL_Zav", "TBL_NasStorage", "TBL_Camera_Group",
                            "TBL_Camera_Group_Camera_List", "TBL_Client", "TBL_Record", "TBL_Record_Schedule",
                            "TBL_UserLog", "TBL_UserMacAddress", "TBL_UserResources", "TBL_Permissions",
                            "TBL_UserPermissions"}) {
    SCOPED_TRACE(table);
    std::unique_ptr<CDBEntity> row = SampleRow(table);
    int given = row->GetID();
    ASSERT_TRUE(service_->AddEntity(row.get(), 0));
    EntityPtr stored;
    if (row->HasKeyColumn()) {
      if (row->IsAutoIncrementKey()) {
        EXPECT_GT(row->GetID(), 0) << "auto-increment key read back";
      } else {
        EXPECT_EQ(row->GetID(), given) << "plain key written as given";
      }
      stored = Find(table, row->GetKeyColumnName(), row->GetID());
    } else {
      EntityMap rows = List(table);
      ASSERT_EQ(rows.size(), 1u);
      stored = rows.begin()->second;
    }
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->GetColumnValues(), row->GetColumnValues());
  }
}

TEST_F(CoreRowsInDatabase, CameraUpdateAndSoftDelete) {
  CTBLCamera camera;
  camera.SetName("Gate");
  ASSERT_TRUE(service_->AddEntity(&camera, 0));
  camera.SetName("Gate west");
  camera.SetZavChannel(4);
  ASSERT_TRUE(service_->UpdateEntity(&camera, 0));
  EntityPtr stored = Find("TBL_Camera", "no", camera.GetID());
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(ColumnValueText(*stored, "name"), "Gate west");
  EXPECT_EQ(ColumnValueText(*stored, "zav_channel"), "4");

  ASSERT_TRUE(service_->DeleteEntityEx(&camera, false, 0));
  EXPECT_EQ(OnlyRowValue("TBL_Camera", "IsDeleted"), "1");
  EntityMap listed;
  service_->GetEntityList("TBL_Camera", nullptr, listed);
  EXPECT_TRUE(listed.empty());
  ASSERT_TRUE(service_->DeleteEntityEx(&camera, true, 0));
  EXPECT_TRUE(List("TBL_Camera").empty());
}

TEST_F(CoreRowsInDatabase, GivenKeysAreWrittenAsGiven) {
  CTBLPermission permission;
  permission.SetPermissionID(kPermissionCamera);
  permission.SetName("Live view");
  ASSERT_TRUE(service_->AddEntity(&permission, 0));
  EntityPtr stored = Find("TBL_Permissions", "PermissionID", kPermissionCamera);
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(ColumnValueText(*stored, "Name"), "Live view");

  CTBLUserPermission grant;
  grant.SetPermissionID(kPermissionCamera);
  grant.SetUserID(5);
  grant.SetPrivilegeValue("1");
  ASSERT_TRUE(service_->AddEntity(&grant, 0));
  EXPECT_GT(grant.GetID(), 0);
  auto storedGrant = std::dynamic_pointer_cast<CTBLUserPermission>(Find("TBL_UserPermissions", "UserPermissionID",
                                                                        grant.GetID()));
  ASSERT_NE(storedGrant, nullptr);
  EXPECT_NE(storedGrant->CheckPrivilege(""), 0);
}

TEST_F(CoreRowsInDatabase, CameraLinksAreNamedByBothKeyColumns) {
  CTBLCameraList first;
  first.SetCameraGroupNo(1);
  first.SetCameraNo(5);
  first.SetOrder(1);
  CTBLCameraList second;
  second.SetCameraGroupNo(1);
  second.SetCameraNo(6);
  second.SetOrder(2);
  ASSERT_TRUE(service_->AddEntity(&first, 0));
  ASSERT_TRUE(service_->AddEntity(&second, 0));

  first.SetOrder(9);
  ASSERT_TRUE(service_->UpdateEntity(&first, 0));
  EXPECT_EQ(OnlyRowValue("TBL_Camera_Group_Camera_List", "_order_", "WHERE camera_no = 5"), "9");
  EXPECT_EQ(OnlyRowValue("TBL_Camera_Group_Camera_List", "_order_", "WHERE camera_no = 6"), "2");

  ASSERT_TRUE(service_->DeleteEntityEx(&second, false, 0));
  EXPECT_EQ(OnlyRowValue("TBL_Camera_Group_Camera_List", "camera_no"), "5");
}

TEST_F(CoreRowsInDatabase, KeylessRecordRowsCannotBeUpdatedAndAreDeletedByAllColumns) {
  CTBLRecord thirty;
  CTBLRecord seven;
  seven.SetRecordDays(7);
  ASSERT_TRUE(service_->AddEntity(&thirty, 0));
  ASSERT_TRUE(service_->AddEntity(&seven, 0));
  seven.SetUsePeriodLimit(1);
  EXPECT_FALSE(service_->UpdateEntity(&seven, 0));
  seven.SetUsePeriodLimit(0);
  ASSERT_TRUE(service_->DeleteEntityEx(&seven, false, 0));
  EXPECT_EQ(OnlyRowValue("TBL_Record", "record_days"), "30");
}

TEST_F(CoreRowsInDatabase, DeletingACameraDeletesItsLinksScheduleAndPermissions) {
  CTBLCamera camera;
  CTBLCamera other;
  ASSERT_TRUE(service_->AddEntity(&camera, 0));
  ASSERT_TRUE(service_->AddEntity(&other, 0));
  for (CTBLCamera* owner : {&camera, &other}) {
    CTBLCameraList link;
    link.SetCameraGroupNo(1);
    link.SetCameraNo(owner->GetID());
    ASSERT_TRUE(service_->AddEntity(&link, 0));
    CTBLRecordSchedule schedule;
    schedule.SetCameraNo(owner->GetID());
    ASSERT_TRUE(service_->AddEntity(&schedule, 0));
    CTBLUserPermission grant;
    grant.SetPermissionID(kPermissionCamera);
    grant.SetDeviceID(owner->GetID());
    ASSERT_TRUE(service_->AddEntity(&grant, 0));
  }
  CLTBLDeviceStatus status;
  status.SetDeviceID(camera.GetID());
  ASSERT_TRUE(service_->AddEntity(&status, 0));

  ASSERT_TRUE(DeleteWithRelations(camera));
  std::string mine = StrFormat("= %d", camera.GetID());
  std::string others = StrFormat("= %d", other.GetID());
  EXPECT_TRUE(List("TBL_Camera_Group_Camera_List", "WHERE camera_no " + mine).empty());
  EXPECT_TRUE(List("TBL_Record_Schedule", "WHERE camera_no " + mine).empty());
  EXPECT_TRUE(List("TBL_UserPermissions", "WHERE DeviceID " + mine).empty());
  EXPECT_EQ(List("TBL_Camera_Group_Camera_List", "WHERE camera_no " + others).size(), 1u);
  EXPECT_EQ(List("TBL_Record_Schedule", "WHERE camera_no " + others).size(), 1u);
  EXPECT_EQ(List("TBL_UserPermissions", "WHERE DeviceID " + others).size(), 1u);
}

TEST_F(CoreRowsInDatabase, DeletingARecordingServerKeepsItsCamerasAndDeletesItsStorages) {
  CTBLNRS server;
  server.SetName("ZAV-1");
  ASSERT_TRUE(service_->AddEntity(&server, 0));
  CTBLCamera camera;
  camera.SetZavNo(server.GetID());
  camera.SetZavChannel(2);
  ASSERT_TRUE(service_->AddEntity(&camera, 0));
  CTBLNasStorage storage;
  storage.SetZavID(server.GetID());
  ASSERT_TRUE(service_->AddEntity(&storage, 0));

  ASSERT_TRUE(DeleteWithRelations(server));
  EntityPtr kept = Find("TBL_Camera", "no", camera.GetID());
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(ColumnValueText(*kept, "zav_no"), "0");
  EXPECT_EQ(ColumnValueText(*kept, "zav_channel"), "2");
  EXPECT_EQ(ColumnValueText(*kept, "IsDeleted"), "0");
  EntityPtr gone = Find("TBL_NasStorage", "NasStorageID", storage.GetID());
  ASSERT_NE(gone, nullptr);
  EXPECT_EQ(ColumnValueText(*gone, "IsDeleted"), "1");
  EntityPtr deletedServer = Find("TBL_Zav", "no", server.GetID());
  ASSERT_NE(deletedServer, nullptr);
  EXPECT_EQ(ColumnValueText(*deletedServer, "IsDeleted"), "1");
}

TEST_F(CoreRowsInDatabase, DeletingAGroupDeletesItsLinksAndGrantsButNotItsChildren) {
  CTBLCameraGroup group;
  ASSERT_TRUE(service_->AddEntity(&group, 0));
  CTBLCameraGroup child;
  child.SetParentNo(group.GetID());
  ASSERT_TRUE(service_->AddEntity(&child, 0));
  CTBLCameraList link;
  link.SetCameraGroupNo(group.GetID());
  link.SetCameraNo(3);
  ASSERT_TRUE(service_->AddEntity(&link, 0));
  CTBLUserPermission grant;
  grant.SetPermissionID(kPermissionCameraGroup);
  grant.SetDeviceGroupID(group.GetID());
  ASSERT_TRUE(service_->AddEntity(&grant, 0));

  ASSERT_TRUE(DeleteWithRelations(group));
  EXPECT_TRUE(List("TBL_Camera_Group_Camera_List").empty());
  EXPECT_TRUE(List("TBL_UserPermissions").empty());
  EntityPtr kept = Find("TBL_Camera_Group", "no", child.GetID());
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(ColumnValueText(*kept, "parent_no"), std::to_string(group.GetID()));
  EXPECT_EQ(ColumnValueText(*kept, "IsDeleted"), "0");
}

TEST_F(CoreRowsInDatabase, LiveStatusRowsNeverReachTheDatabase) {
  for (const char* table : {"LTBL_DeviceStatus", "LTBL_ZavStatus", "LTBL_StorageStatus", "LTBL_VasStatus",
                            "LTBL_VasDeviceStatus", "LTBL_VasGPUStatus"}) {
    std::unique_ptr<CDBEntity> row = NewRow(table);
    row->SetID(4);
    EXPECT_TRUE(service_->AddEntity(row.get(), 0)) << table;
    EXPECT_TRUE(service_->UpdateEntity(row.get(), 0)) << table;
    EXPECT_TRUE(service_->DeleteEntityEx(row.get(), true, 0)) << table;
    EXPECT_TRUE(List(table).empty()) << table;
    EXPECT_EQ(row->GetID(), 4) << table;
  }
}

}  // namespace
