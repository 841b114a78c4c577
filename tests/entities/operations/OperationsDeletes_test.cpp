// Deletes through the store on the operations tables: each delete follows its
// row's relations into MariaDB, depth first; mode 1 deletes (or marks
// deleted) the dependent rows, mode 2 sets their column to 0, and rows no
// relation names stay. Each case starts on a fresh database, so the keys of
// the rows it adds are 1, 2, ... per table in the order it adds them.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "RowTestSupport.h"
#include "StoreTest.h"
#include "foundation/StringUtil.h"

namespace {

// One row to add: its table and the columns that differ from a new row's.
struct Insert {
  const char* table;
  std::vector<std::pair<std::string, std::string>> values;
};

// The rows of `table` that `where` selects afterwards, deleted ones included.
struct Count {
  const char* table;
  const char* where;
  int rows;
};

struct DeleteCase {
  const char* name;
  std::vector<Insert> rows;
  size_t deleted;  // index into `rows` of the row the store deletes
  std::vector<Count> counts;
};

class OperationsDeleteTest : public StoreTest {
 protected:
  // Adds the rows through the store in order; the rows as the store keeps
  // them (the cached row, or the added one for a table it does not cache).
  std::vector<EntityPtr> AddRows(const std::vector<Insert>& inserts) {
    std::vector<EntityPtr> rows;
    for (const Insert& insert : inserts) {
      std::shared_ptr<CDBEntity> row(NewRow(insert.table).release());
      EXPECT_NE(row, nullptr) << insert.table;
      if (!row) return rows;
      CKeyValueData values;
      for (const auto& [name, value] : insert.values) values.SetValue(StrToLower(name), value);
      row->LoadFrom(values);
      store_->HasEntityList(insert.table);
      EXPECT_TRUE(store_->AddEntity(row.get(), 0)) << insert.table;
      EntityPtr cached = row->IsExcludedFromCache() ? nullptr : store_->FindCachedEntity(insert.table, row->GetID());
      rows.push_back(cached ? cached : row);
    }
    return rows;
  }
  int CountRows(const char* table, const std::string& where) {
    return service_->GetEntityCount(table, ("WHERE " + where).c_str());
  }
  void ExpectCounts(const std::vector<Count>& counts) {
    for (const Count& count : counts) {
      EXPECT_EQ(CountRows(count.table, count.where), count.rows) << count.table << " WHERE " << count.where;
    }
  }
};

class OperationsRelationTest : public OperationsDeleteTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(OperationsRelationTest, DeleteFollowsTheRelations) {
  const DeleteCase& c = GetParam();
  std::vector<EntityPtr> rows = AddRows(c.rows);
  ASSERT_EQ(rows.size(), c.rows.size());
  ASSERT_TRUE(store_->DeleteEntity(rows[c.deleted].get(), 0));
  ExpectCounts(c.counts);
}

const DeleteCase kDeleteCases[] = {
    {"ResourceDeletesItsMapsAndOnlyClearsOtherReferences",
     {{"TBL_Resources", {{"Kind", "1"}}},
      {"TBL_Resources", {{"Kind", "1"}}},
      {"TBL_Maps", {{"ResourceID", "1"}}},
      {"TBL_Maps", {{"ResourceID", "2"}}},
      {"TBL_Markers", {{"MapID", "1"}}},
      {"TBL_Markers", {{"MapID", "2"}, {"ResourceID", "1"}}},
      {"TBL_Markers", {{"MapID", "2"}, {"TargetMapID", "1"}}},
      {"TBL_MarkerResources", {{"NormalResourceID", "2"}, {"AlarmResourceID", "1"}, {"FailureResourceID", "2"}}},
      {"TBL_Applications", {{"ResourceID", "1"}}},
      {"TBL_Applications", {{"ResourceID", "2"}}},
      {"TBL_Facility_Group", {{"ResourceID", "1"}}},
      {"TBL_CustomLayouts", {{"ResourceID", "1"}}},
      {"TBL_WorkScheduleTemplates", {{"ResourceID", "1"}}},
      {"TBL_UserResources", {{"ResourceID", "1"}}}},
     0,
     {{"TBL_Resources", "ResourceID = 1 AND IsDeleted = 1", 1},
      {"TBL_Maps", "MapID = 1 AND IsDeleted = 1", 1},
      {"TBL_Maps", "MapID = 2 AND IsDeleted = 0", 1},
      {"TBL_Markers", "MarkerID IN (1, 3)", 0},
      {"TBL_Markers", "MarkerID = 2 AND MapID = 2 AND ResourceID = 0", 1},
      {"TBL_MarkerResources",
       "AlarmResourceID = 0 AND NormalResourceID = 2 AND DisableResourceID = 0 AND FailureResourceID = 2", 1},
      {"TBL_Applications", "ResourceID = 1", 0},
      {"TBL_Applications", "ResourceID = 2", 1},
      {"TBL_Facility_Group", "no = 1 AND ResourceID = 0", 1},
      {"TBL_CustomLayouts", "CustomLayoutID = 1 AND ResourceID = 0", 1},
      {"TBL_WorkScheduleTemplates", "WorkScheduleTemplateID = 1 AND ResourceID = 0", 1},
      {"TBL_UserResources", "UserResourceID = 1 AND ResourceID = 0", 1}}},
    {"MapDeletesItsMarkersLinksFavouritesAndPermissions",
     {{"TBL_Maps", {}},
      {"TBL_Maps", {}},
      {"TBL_Markers", {{"MapID", "1"}}},
      {"TBL_Markers", {{"MapID", "2"}, {"TargetMapID", "1"}}},
      {"TBL_Markers", {{"MapID", "2"}}},
      {"TBL_Associations", {{"MarkerID", "1"}}},
      {"TBL_Associations", {{"MarkerID", "3"}}},
      {"TBL_GIS_Favorite", {{"MapID", "1"}}},
      {"TBL_GIS_Favorite", {{"MapID", "2"}}},
      {"TBL_UserPermissions", {{"MapID", "1"}}},
      {"TBL_UserPermissions", {{"MapID", "2"}}}},
     0,
     {{"TBL_Maps", "MapID = 1 AND IsDeleted = 1", 1},
      {"TBL_Markers", "MarkerID = 3", 1},
      {"TBL_Markers", "MarkerID IN (1, 2)", 0},
      {"TBL_Associations", "MarkerID = 1", 0},
      {"TBL_Associations", "MarkerID = 3", 1},
      {"TBL_GIS_Favorite", "MapID = 1", 0},
      {"TBL_GIS_Favorite", "MapID = 2", 1},
      {"TBL_UserPermissions", "MapID = 1", 0},
      {"TBL_UserPermissions", "MapID = 2", 1}}},
    {"MarkerResourceSetLeavesItsFacilityGroupsWithoutOne",
     {{"TBL_MarkerResources", {}},
      {"TBL_MarkerResources", {}},
      {"TBL_Facility_Group", {{"MarkerResourceID", "1"}}},
      {"TBL_Facility_Group", {{"MarkerResourceID", "2"}}}},
     0,
     {{"TBL_MarkerResources", "MarkerResourceID = 1", 0},
      {"TBL_Facility_Group", "no = 1 AND MarkerResourceID = 0", 1},
      {"TBL_Facility_Group", "no = 2 AND MarkerResourceID = 2", 1}}},
    {"SiteClearsItsCamerasDeletesItsMarkersAndIsMarkedDeleted",
     {{"TBL_Sites", {}},
      {"TBL_Sites", {}},
      {"TBL_Camera", {{"SiteID", "1"}}},
      {"TBL_Camera", {{"SiteID", "2"}}},
      {"TBL_Markers", {{"SiteID", "1"}}},
      {"TBL_Markers", {{"SiteID", "2"}}}},
     0,
     {{"TBL_Sites", "SiteID = 1 AND IsDeleted = 1", 1},
      {"TBL_Sites", "SiteID = 2 AND IsDeleted = 0", 1},
      {"TBL_Camera", "no = 1 AND SiteID = 0 AND IsDeleted = 0", 1},
      {"TBL_Camera", "no = 2 AND SiteID = 2", 1},
      {"TBL_Markers", "SiteID = 1", 0},
      {"TBL_Markers", "SiteID = 2", 1}}},
    {"NetworkFilterDeletesItsSchedules",
     {{"TBL_NetworkFilters", {}},
      {"TBL_NetworkFilters", {}},
      {"TBL_Schedules", {{"NetworkFilterID", "1"}}},
      {"TBL_Schedules", {{"NetworkFilterID", "2"}}},
      {"TBL_ScheduleWeeks", {{"ScheduleID", "1"}}}},
     0,
     {{"TBL_NetworkFilters", "NetworkFilterID = 1", 0},
      {"TBL_Schedules", "NetworkFilterID = 1", 0},
      {"TBL_Schedules", "NetworkFilterID = 2", 1},
      {"TBL_ScheduleWeeks", "ScheduleID = 1", 0}}},
    {"UserDeletesItsLayoutsWithTheirCellsMobilesAndFilters",
     {{"TBL_User", {{"id", "first"}}},
      {"TBL_User", {{"id", "second"}}},
      {"TBL_CustomLayouts", {{"UserID", "1"}}},
      {"TBL_CustomLayouts", {{"UserID", "2"}}},
      {"TBL_CustomLayoutCells", {{"CustomLayoutID", "1"}}},
      {"TBL_CustomLayoutCells", {{"CustomLayoutID", "1"}}},
      {"TBL_CustomLayoutCells", {{"CustomLayoutID", "2"}}},
      {"TBL_Mobiles", {{"UserID", "1"}}},
      {"TBL_Mobiles", {{"UserID", "2"}}},
      {"TBL_NetworkFilters", {{"UserID", "1"}}},
      {"TBL_NetworkFilters", {{"UserID", "2"}}},
      {"TBL_Schedules", {{"NetworkFilterID", "1"}}}},
     0,
     {{"TBL_User", "no = 1 AND IsDeleted = 1", 1},
      {"TBL_CustomLayouts", "UserID = 1", 0},
      {"TBL_CustomLayouts", "UserID = 2", 1},
      {"TBL_CustomLayoutCells", "CustomLayoutID = 1", 0},
      {"TBL_CustomLayoutCells", "CustomLayoutID = 2", 1},
      {"TBL_Mobiles", "UserID = 1 AND IsDeleted = 1", 1},
      {"TBL_Mobiles", "UserID = 2 AND IsDeleted = 0", 1},
      {"TBL_NetworkFilters", "UserID = 1", 0},
      {"TBL_NetworkFilters", "UserID = 2", 1},
      {"TBL_Schedules", "NetworkFilterID = 1", 0}}},
    {"FacilityGroupOnlyClearsItsCamerasAndMarkers",
     {{"TBL_Facility_Group", {}},
      {"TBL_Facility_Group", {}},
      {"TBL_Camera", {{"gis_facility_group", "1"}}},
      {"TBL_Camera", {{"gis_facility_group", "2"}}},
      {"TBL_Markers", {{"FacilityGroupID", "1"}}},
      {"TBL_Markers", {{"FacilityGroupID", "2"}}}},
     0,
     {{"TBL_Facility_Group", "no = 1", 0},
      {"TBL_Camera", "no = 1 AND gis_facility_group = 0 AND IsDeleted = 0", 1},
      {"TBL_Camera", "no = 2 AND gis_facility_group = 2", 1},
      {"TBL_Markers", "MarkerID = 1 AND FacilityGroupID = 0", 1},
      {"TBL_Markers", "MarkerID = 2 AND FacilityGroupID = 2", 1}}},
    {"CameraTakesItsTourPresetsMarkersNotesPasswordDevicesAndAssociations",
     {{"TBL_Camera", {}},
      {"TBL_Camera", {}},
      {"TBL_Tour", {{"camera_no", "1"}}},
      {"TBL_Tour", {{"camera_no", "2"}}},
      {"TBL_Presets", {{"DeviceID", "1"}}},
      {"TBL_Presets", {{"DeviceID", "2"}}},
      {"TBL_Markers", {{"CameraID", "1"}}},
      {"TBL_Markers", {{"CameraID", "2"}}},
      {"TBL_GIS_Camera_Histroy", {{"camera_no", "1"}}},
      {"TBL_GIS_Camera_Histroy", {{"camera_no", "2"}}},
      {"TBL_PwdDevice", {{"DeviceNo", "1"}}},
      {"TBL_PwdDevice", {{"DeviceNo", "2"}}},
      {"TBL_Associations", {{"DeviceID", "1"}}},
      {"TBL_Associations", {{"DeviceID", "2"}, {"AssociatedDeviceID", "1"}}},
      {"TBL_Associations", {{"DeviceID", "2"}, {"MarkerID", "1"}}},
      {"TBL_Associations", {{"DeviceID", "2"}, {"MarkerID", "2"}}}},
     0,
     {{"TBL_Camera", "no = 1 AND IsDeleted = 1", 1},
      {"TBL_Tour", "camera_no = 1", 0},
      {"TBL_Tour", "camera_no = 2", 1},
      {"TBL_Presets", "DeviceID = 1", 0},
      {"TBL_Presets", "DeviceID = 2", 1},
      {"TBL_Markers", "CameraID = 1", 0},
      {"TBL_Markers", "CameraID = 2", 1},
      {"TBL_GIS_Camera_Histroy", "camera_no = 1", 0},
      {"TBL_GIS_Camera_Histroy", "camera_no = 2", 1},
      {"TBL_PwdDevice", "DeviceNo = 1 AND IsDeleted = 1", 1},
      {"TBL_PwdDevice", "DeviceNo = 2 AND IsDeleted = 0", 1},
      {"TBL_Associations", "AssociationID IN (1, 2, 3)", 0},
      {"TBL_Associations", "AssociationID = 4", 1}}},
    {"TourDeletesNothingElse",
     {{"TBL_Camera", {}}, {"TBL_Tour", {{"camera_no", "1"}}}, {"TBL_Presets", {{"DeviceID", "1"}}}},
     1,
     {{"TBL_Tour", "camera_no = 1", 0}, {"TBL_Camera", "no = 1 AND IsDeleted = 0", 1}, {"TBL_Presets", "DeviceID = 1", 1}}},
    {"RuleLeavesItsDevicesWithoutOneAndIsMarkedDeleted",
     {{"TBL_PwdCreationRule", {}},
      {"TBL_PwdCreationRule", {}},
      {"TBL_PwdDevice", {{"CreationRuleNo", "1"}}},
      {"TBL_PwdDevice", {{"CreationRuleNo", "2"}}}},
     0,
     {{"TBL_PwdCreationRule", "No = 1 AND IsDeleted = 1", 1},
      {"TBL_PwdDevice", "No = 1 AND CreationRuleNo = 0 AND IsDeleted = 0", 1},
      {"TBL_PwdDevice", "No = 2 AND CreationRuleNo = 2", 1}}},
    {"SystemEventDeletesItsChanges",
     {{"TBL_SystemEvents", {}},
      {"TBL_SystemEvents", {}},
      {"TBL_SystemEventChanges", {{"SystemEventID", "1"}}},
      {"TBL_SystemEventChanges", {{"SystemEventID", "1"}}},
      {"TBL_SystemEventChanges", {{"SystemEventID", "2"}}}},
     0,
     {{"TBL_SystemEvents", "SystemEventID = 1", 0},
      {"TBL_SystemEventChanges", "SystemEventID = 1", 0},
      {"TBL_SystemEventChanges", "SystemEventID = 2", 1}}},
    {"WorkScheduleTemplateDeletesItsSchedulesWorkersAndMessages",
     {{"TBL_WorkScheduleTemplates", {}},
      {"TBL_WorkScheduleTemplates", {}},
      {"TBL_WorkSchedules", {{"WorkScheduleTemplateID", "1"}}},
      {"TBL_WorkSchedules", {{"WorkScheduleTemplateID", "2"}}},
      {"TBL_Workers", {{"WorkScheduleID", "1"}}},
      {"TBL_Workers", {{"WorkScheduleID", "1"}}},
      {"TBL_Workers", {{"WorkScheduleID", "2"}}},
      {"TBL_WorkScheduleMessages", {{"WorkScheduleID", "1"}}},
      {"TBL_WorkScheduleMessages", {{"WorkScheduleID", "2"}}}},
     0,
     {{"TBL_WorkScheduleTemplates", "WorkScheduleTemplateID = 1", 0},
      {"TBL_WorkSchedules", "WorkScheduleTemplateID = 1", 0},
      {"TBL_WorkSchedules", "WorkScheduleTemplateID = 2", 1},
      {"TBL_Workers", "WorkScheduleID = 1", 0},
      {"TBL_Workers", "WorkScheduleID = 2", 1},
      {"TBL_WorkScheduleMessages", "WorkScheduleID = 1", 0},
      {"TBL_WorkScheduleMessages", "WorkScheduleID = 2", 1}}},
    {"SmartPoliceEventLeavesItsChanges",
     {{"TBL_SmartPoliceEvents", {}}, {"TBL_SmartPoliceChanges", {{"SmartPoliceEventID", "1"}}}},
     0,
     {{"TBL_SmartPoliceEvents", "SmartPoliceEventID = 1", 0},
      {"TBL_SmartPoliceChanges", "SmartPoliceEventID = 1", 1}}},
    {"RURaveProductLeavesItsProcessesAndBarcodes",
     {{"TBL_RURaveProduct", {}},
      {"TBL_RURaveProcess", {{"ProductID", "1"}}},
      {"TBL_RURaveBarcode", {{"ProductID", "1"}}}},
     0,
     {{"TBL_RURaveProduct", "ProductID = 1", 0},
      {"TBL_RURaveProcess", "ProductID = 1", 1},
      {"TBL_RURaveBarcode", "ProductID = 1", 1}}},
};

INSTANTIATE_TEST_SUITE_P(OperationsTables, OperationsRelationTest, ::testing::ValuesIn(kDeleteCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A delete with relations inside a transaction that fails part-way (a
// trigger refuses the second marker of the map) leaves every table, in the
// database and in the store's cache, as it was once rolled back.
TEST_F(OperationsDeleteTest, FailedDeleteInATransactionRollsBackEveryTable) {
  std::vector<EntityPtr> rows = AddRows({{"TBL_Resources", {{"Kind", "1"}}},
                                         {"TBL_Maps", {{"ResourceID", "1"}}},
                                         {"TBL_Markers", {{"MapID", "1"}}},
                                         {"TBL_Markers", {{"MapID", "1"}}},
                                         {"TBL_Associations", {{"MarkerID", "1"}}},
                                         {"TBL_GIS_Favorite", {{"MapID", "1"}}}});
  ASSERT_EQ(rows.size(), 6u);
  std::string error;
  ASSERT_TRUE(RunSqlScript(db_, name_,
                           "CREATE TRIGGER `refuse_second_marker` BEFORE DELETE ON `TBL_Markers` FOR EACH ROW "
                           "BEGIN IF OLD.`MarkerID` = 2 THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'refused'; "
                           "END IF; END",
                           &error))
      << error;

  const int transaction = store_->BeginTransaction();
  ASSERT_GT(transaction, 0);
  EXPECT_FALSE(store_->DeleteEntity(rows[0].get(), transaction));
  EXPECT_TRUE(store_->RollbackTransaction(transaction));

  ExpectCounts({{"TBL_Resources", "IsDeleted = 0", 1},
                {"TBL_Maps", "IsDeleted = 0", 1},
                {"TBL_Markers", "MapID = 1", 2},
                {"TBL_Associations", "MarkerID = 1", 1},
                {"TBL_GIS_Favorite", "MapID = 1", 1}});
  EXPECT_EQ(store_->GetCachedEntityList("TBL_Markers").size(), 2u);
  EXPECT_EQ(store_->GetCachedEntityList("TBL_Associations").size(), 1u);
  EXPECT_EQ(store_->GetCachedEntityList("TBL_Maps").size(), 1u);
}

}  // namespace
