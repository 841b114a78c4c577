// Deletes through the store on one installation of analysis rows: each delete
// follows its row's relations into the database and the cache.
#include <gtest/gtest.h>
#include <mysql.h>

#include <cstdlib>

#include "AnalysisStoreFixture.h"
#include "entities/VasDeviceStatus.h"
#include "entities/VasGPUStatus.h"
#include "entities/VasStatus.h"
#include "entities/analysis/VasClassGroup.h"
#include "entities/analysis/VasCrowdDensity.h"
#include "entities/analysis/VasROIClassGroup.h"
#include "entities/analysis/VasROIPoints.h"
#include "entities/analysis/VasWaterLevel.h"

namespace {

class AnalysisDeleteTest : public AnalysisStoreTest {
 protected:
  void SetUp() override {
    AnalysisStoreTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    // Two tables the registry has no row class for, as installations have them.
    std::string error;
    ASSERT_TRUE(RunSqlScript(db_, name_,
                             "CREATE TABLE `TBL_VasEventAreaColor` (`VasEventAreaColorID` INT NOT NULL "
                             "AUTO_INCREMENT PRIMARY KEY, `VasIntelligentEventID` INT, `Color` INT)\r\n\r\n"
                             "CREATE TABLE `TBL_VasClassList` (`VasClassListID` INT NOT NULL AUTO_INCREMENT "
                             "PRIMARY KEY, `ScheduleTaskID` INT, `ClassList` VARCHAR(255))",
                             &error))
        << error;

    vas_ = AddVas("Lobby");
    ASSERT_TRUE(vas_);
    device_ = AddDevice(vas_->GetID(), 1);
    event_ = AddEvent("Intrusion");
    task_ = AddTaskCovering("Monday", "08:00:00", "18:00:00");
    ASSERT_TRUE(device_ && event_ && task_);
    region_ = AddRegion(device_->GetID(), 1, event_->GetID(), task_->GetID());
    line_ = AddLine(device_->GetID(), 1, event_->GetID(), task_->GetID());
    ASSERT_TRUE(region_ && line_);

    CLTBLVasStatus status;
    status.SetVasID(vas_->GetID());
    Add(status);
    CLTBLVasGPUStatus gpu;
    gpu.SetVasGPUStatusID(1);
    gpu.SetVasID(vas_->GetID());
    Add(gpu);
    CLTBLVasDeviceStatus deviceStatus;
    deviceStatus.SetVasDeviceID(device_->GetID());
    Add(deviceStatus);
    CTBLVasClassGroup classGroup;
    classGroup.SetVasDeviceID(device_->GetID());
    Add(classGroup);
    for (int i = 0; i < 2; ++i) {
      CTBLVasROIPoints point;
      point.SetVasROIID(region_->GetID());
      Add(point);
    }
    CTBLVasCrowdDensity crowd;
    crowd.SetVasROIID(region_->GetID());
    Add(crowd);
    CTBLVasWaterLevel water;
    water.SetVasROIID(region_->GetID());
    Add(water);
    CTBLVasROIClassGroup regionClasses;
    regionClasses.SetVasROIID(region_->GetID());
    Add(regionClasses);
    ASSERT_TRUE(RunSqlScript(db_, name_,
                             "INSERT INTO `TBL_VasEventAreaColor` (`VasIntelligentEventID`, `Color`) VALUES (" +
                                 std::to_string(event_->GetID()) + ", 255)\r\n\r\n" +
                                 "INSERT INTO `TBL_VasClassList` (`ScheduleTaskID`, `ClassList`) VALUES (" +
                                 std::to_string(task_->GetID()) + ", '1,2')",
                             &error))
        << error;
  }

  std::shared_ptr<CTBLVas> vas_;
  std::shared_ptr<CTBLVasDevice> device_;
  std::shared_ptr<CTBLVasIntelligentEvent> event_;
  std::shared_ptr<CTBLScheduleTask> task_;
  std::shared_ptr<CTBLVasROI> region_;
  std::shared_ptr<CTBLVasLineCross> line_;
};

TEST_F(AnalysisDeleteTest, AServerLeavesItsDevicesWithoutAServerAndDropsItsStatusRows) {
  ASSERT_TRUE(store_->DeleteEntity(vas_.get(), 0));
  EXPECT_EQ(OnlyRowValue("TBL_Vas", "IsDeleted"), "1");
  EXPECT_EQ(OnlyRowValue("TBL_VasDevice", "VasID"), "0");
  EXPECT_EQ(OnlyRowValue("TBL_VasDevice", "IsDeleted"), "0");
  EXPECT_EQ(device_->GetVasID(), 0) << "the cached device follows";
  EXPECT_TRUE(store_->GetCachedEntityList("LTBL_VasStatus").empty());
  EXPECT_TRUE(store_->GetCachedEntityList("LTBL_VasGPUStatus").empty());
  EXPECT_EQ(store_->GetCachedEntityList("LTBL_VasDeviceStatus").size(), 1u);
  EXPECT_EQ(Count("TBL_VasROI"), 1u);
}

TEST_F(AnalysisDeleteTest, ADeviceTakesItsRegionsLinesGroupsAndStatusAlong) {
  ASSERT_TRUE(store_->DeleteEntity(device_.get(), 0));
  EXPECT_EQ(OnlyRowValue("TBL_VasDevice", "IsDeleted"), "1");
  for (const char* table : {"TBL_VasClassGroup", "TBL_VasROI", "TBL_VasROIPoints", "TBL_VasCrowdDensity",
                            "TBL_VasWaterLevel", "TBL_VasLineCross"}) {
    EXPECT_EQ(Count(table), 0u) << table;
  }
  EXPECT_EQ(Count("TBL_VasROIClassGroup"), 1u) << "no relation names the region's class groups";
  EXPECT_TRUE(store_->GetCachedEntityList("LTBL_VasDeviceStatus").empty());
  EXPECT_EQ(store_->GetCachedEntityList("LTBL_VasStatus").size(), 1u);
  EXPECT_EQ(Count("TBL_ScheduleTasks"), 1u);
}

TEST_F(AnalysisDeleteTest, AnEventLeavesItsRegionsWithoutAnEventAndItsLinesAsTheyAre) {
  ASSERT_TRUE(store_->DeleteEntity(event_.get(), 0));
  EXPECT_EQ(OnlyRowValue("TBL_VasIntelligentEvent", "IsDeleted"), "1");
  EXPECT_EQ(OnlyRowValue("TBL_VasROI", "VasIntelligentEventID"), "0");
  EXPECT_EQ(region_->GetVasIntelligentEventID(), 0);
  EXPECT_EQ(OnlyRowValue("TBL_VasLineCross", "VasIntelligentEventID"), std::to_string(event_->GetID()));
  EXPECT_EQ(line_->GetVasIntelligentEventID(), event_->GetID());
  EXPECT_EQ(Count("TBL_VasROIPoints"), 2u);
  // The area colours have no row class: the delete succeeds and leaves them.
  EXPECT_EQ(RawCount("TBL_VasEventAreaColor", "`VasIntelligentEventID` = " + std::to_string(event_->GetID())), 1);
}

TEST_F(AnalysisDeleteTest, ATaskTakesItsSchedulesAlongAndFreesItsRegions) {
  ASSERT_TRUE(store_->DeleteEntity(task_.get(), 0));
  for (const char* table : {"TBL_ScheduleTasks", "TBL_Schedules", "TBL_ScheduleWeeks", "TBL_TimeCoverages"}) {
    EXPECT_EQ(Count(table), 0u) << table;
  }
  EXPECT_EQ(OnlyRowValue("TBL_VasROI", "ScheduleTaskID"), "0");
  EXPECT_EQ(region_->GetScheduleTaskID(), 0);
  EXPECT_EQ(OnlyRowValue("TBL_VasLineCross", "ScheduleTaskID"), std::to_string(task_->GetID()))
      << "no relation of the task names the lines";
  EXPECT_EQ(Count("TBL_VasClassGroup"), 1u);
  // The class lists have no row class: the delete succeeds and leaves them.
  EXPECT_EQ(RawCount("TBL_VasClassList", "`ScheduleTaskID` = " + std::to_string(task_->GetID())), 1);
}

}  // namespace
