// The analysis rows' look-ups through the store that owns them: servers and
// their devices by channel, devices and their regions, lines and schedule
// checks, regions and their dependent rows, line groups; and the deletes that
// follow their relations.
#include <gtest/gtest.h>

#include "AnalysisStoreFixture.h"
#include "RowTestSupport.h"
#include "ScopedFaultClock.h"
#include "entities/VasDeviceStatus.h"
#include "entities/VasGPUStatus.h"
#include "entities/VasStatus.h"
#include "entities/analysis/VasClassGroup.h"
#include "entities/analysis/VasCrowdDensity.h"
#include "entities/analysis/VasROIClassGroup.h"
#include "entities/analysis/VasROIPoints.h"
#include "entities/analysis/VasWaterLevel.h"

namespace {

IEntityTreeNode* AnalysisNode(CDBEntity& row) { return static_cast<IEntityTreeNode*>(row.GetInterface("IEntityTreeNode")); }

// ---- Analysis server ----

TEST(AnalysisServerRow, KindPortAndDisplayName) {
  struct Case {
    int type;
    int useSecure;
    int kind;
    const char* displayName;
  } cases[] = {
      {1, 0, 1, "TorvaneVAS[Lobby_192.168.0.10:7080]"},
      {2, 0, 2, "OGQ Inference Server[Lobby_192.168.0.10:7080]"},
      {3, 1, 3, "ZAV AI Server[Lobby_192.168.0.10:7443]"},
      {4, 0, 4, "SKT AI Server[Lobby_192.168.0.10:7080]"},
      {5, 0, 5, "SKT AI Edge[Lobby_192.168.0.10:7080]"},
      {9, 0, 0, "Unknown VAS[Lobby_192.168.0.10:7080]"},
      {0, 0, 0, "Unknown VAS[Lobby_192.168.0.10:7080]"},
      {-1, 1, 0, "Unknown VAS[Lobby_192.168.0.10:7443]"},
  };
  for (const Case& c : cases) {
    CTBLVas vas;
    vas.SetName("Lobby");
    vas.SetAddr("192.168.0.10");
    vas.SetType(c.type);
    vas.SetUseSecure(c.useSecure);
    vas.SetUseExternalAddress(1);
    vas.SetExternalAddress("203.0.113.5");
    vas.SetExternalPort(9000);
    EXPECT_EQ(vas.GetVasKind(), c.kind) << c.type;
    EXPECT_EQ(vas.GetPort(), c.useSecure ? 7443 : 7080) << c.type;
    EXPECT_EQ(vas.GetDisplayName(), c.displayName) << c.type;
    EXPECT_EQ(vas.GetDisplayText(), "Lobby (192.168.0.10)");
  }
  CTBLVas local;
  local.SetName("Edge");
  local.SetAddr("LOCALHOST");
  local.SetSubstituteAddress("10.0.0.9");
  EXPECT_EQ(local.GetDisplayName(), "TorvaneVAS[Edge_10.0.0.9:7080]");
  EXPECT_EQ(local.GetDisplayText(), "Edge (LOCALHOST)") << "the display text keeps the stored address";
  std::vector<float> levels = GetDefaultCrowdDensityLevels();
  EXPECT_EQ(levels, (std::vector<float>{0.0f, 1.0f, 2.0f, 4.0f, 6.0f}));
}

TEST(AnalysisServerRow, FaultShowsAfterFiveSecondsOnTheInjectedClock) {
  ScopedFaultClock clock(1000);
  CTBLVas vas;
  ASSERT_NE(AnalysisNode(vas), nullptr);
  EXPECT_EQ(AnalysisNode(vas)->GetNodeStatus(), 0);
  vas.SetFaultFlag(1);
  EXPECT_EQ(vas.GetFaultTime(), 1000);
  clock.Set(1003);
  EXPECT_EQ(AnalysisNode(vas)->GetNodeStatus(), 0) << "raised 3 s ago";
  clock.Set(1006);
  EXPECT_EQ(AnalysisNode(vas)->GetNodeStatus(), 1) << "raised 6 s ago";
  vas.SetFaultFlag(1);
  EXPECT_EQ(vas.GetFaultTime(), 1000) << "a lasting fault keeps its time";
  clock.Set(999);
  EXPECT_EQ(AnalysisNode(vas)->GetNodeStatus(), 1) << "the clock went back";
  vas.SetFaultFlag(0);
  EXPECT_EQ(AnalysisNode(vas)->GetNodeStatus(), 0);
  EXPECT_EQ(vas.GetFaultTime(), 1000) << "clearing keeps the time";
}

TEST(AnalysisServerRow, CopyCarriesColumnsLoginAndFaultFlagOnly) {
  ScopedFaultClock clock(5000);
  CTBLVas vas;
  vas.SetName("Lobby");
  vas.SetType(3);
  vas.SetZavID(4);
  vas.SetLoginID("admin");
  vas.SetLoginPassword("pw");
  vas.SetSubstituteAddress("10.0.0.9");
  vas.SetFaultFlag(1);

  clock.Set(7000);
  CTBLVas target;
  target.SetSubstituteAddress("kept");
  vas.CopyFrom(&target);
  EXPECT_EQ(target.GetColumnValues(), vas.GetColumnValues());
  EXPECT_EQ(target.GetLoginID(), "admin");
  EXPECT_EQ(target.GetLoginPassword(), "pw");
  EXPECT_EQ(target.GetFaultFlag(), 1);
  EXPECT_EQ(target.GetFaultTime(), 0) << "the fault time is not copied";
  EXPECT_EQ(target.GetSubstituteAddress(), "kept");
  EXPECT_FALSE(target.HasChanges());

  std::unique_ptr<CDBEntity> clone(vas.Clone());
  auto& cloned = dynamic_cast<CTBLVas&>(*clone);
  EXPECT_EQ(cloned.GetLoginID(), "admin");
  EXPECT_EQ(cloned.GetFaultFlag(), 1);
  EXPECT_EQ(cloned.GetSubstituteAddress(), "");
  CTBLVas copy(vas);
  EXPECT_EQ(copy.GetSubstituteAddress(), "10.0.0.9");
  EXPECT_EQ(copy.GetFaultTime(), 5000);
}

TEST(AnalysisServerRow, FreeRowFindsNothing) {
  CTBLVas vas;
  vas.SetVasID(3);
  EXPECT_TRUE(vas.GetVasDevices().empty());
  EXPECT_EQ(vas.FindVasDeviceByChannel(1), nullptr);
  EXPECT_EQ(vas.GetChannelListText(), "");
  EXPECT_TRUE(AnalysisNode(vas)->GetChildNodes().empty());
  EXPECT_EQ(AnalysisNode(vas)->GetNodeType(), kNodeTypeAnalysisServer);
  EXPECT_EQ(AnalysisNode(vas)->GetNodeOrder(77), 3);
  EXPECT_EQ(AnalysisNode(vas)->GetNodeRank(), 100);
  vas.SetName("North Gate");
  vas.SetAddr("10.1.2.3");
  EXPECT_TRUE(AnalysisNode(vas)->MatchesFilter(0, "north"));
  EXPECT_FALSE(AnalysisNode(vas)->MatchesFilter(0, "North"));
  EXPECT_FALSE(AnalysisNode(vas)->MatchesFilter(0, "10.1"));
  EXPECT_TRUE(AnalysisNode(vas)->MatchesFilter(2, "10.1"));
}

class AnalysisServerStoreTest : public AnalysisStoreTest {};

TEST_F(AnalysisServerStoreTest, DevicesByChannelAndTheChannelList) {
  auto vas = AddVas("Lobby");
  auto other = AddVas("Other");
  ASSERT_TRUE(vas && other);
  auto second = AddDevice(vas->GetID(), 2);
  auto first = AddDevice(vas->GetID(), 1);
  auto low = AddDevice(vas->GetID(), 3);
  auto high = AddDevice(vas->GetID(), 3);
  AddDevice(other->GetID(), 9);
  ASSERT_TRUE(second && first && low && high);
  EXPECT_EQ(vas->GetChannelListText(), "2,1,3,3") << "in key order";
  EXPECT_EQ(vas->FindVasDeviceByChannel(1).get(), first.get());
  EXPECT_EQ(vas->FindVasDeviceByChannel(3).get(), high.get()) << "the higher key wins";
  EXPECT_EQ(vas->FindVasDeviceByChannel(9), nullptr);
  EXPECT_EQ(AnalysisNode(*vas)->GetChildNodes().size(), 4u);

  // The map is kept: a device added later is not found through this row...
  auto later = AddDevice(vas->GetID(), 5);
  ASSERT_TRUE(later);
  EXPECT_EQ(vas->FindVasDeviceByChannel(5), nullptr);
  EXPECT_EQ(vas->GetChannelListText(), "2,1,3,3,5") << "the list is read each time";
  // ...until the server row is updated through the store (a copy into the
  // cached row), which has it build the map again.
  auto edit = std::unique_ptr<CTBLVas>(static_cast<CTBLVas*>(vas->Clone()));
  edit->SetName("Lobby 2");
  ASSERT_TRUE(store_->UpdateEntity(edit.get(), 0));
  EXPECT_EQ(vas->GetName(), "Lobby 2");
  EXPECT_EQ(vas->FindVasDeviceByChannel(5).get(), later.get());
}

TEST_F(AnalysisServerStoreTest, KindThreeFindsDevicesByTheirCamerasChannel) {
  auto vas = AddVas("AI", 3);
  auto camera = AddCamera(14);
  ASSERT_TRUE(vas && camera);
  auto device = AddDevice(vas->GetID(), 1, camera->GetNo());
  auto cameraless = AddDevice(vas->GetID(), 2, camera->GetNo() + 1000);
  ASSERT_TRUE(device && cameraless);
  EXPECT_EQ(vas->FindVasDeviceByChannel(14).get(), device.get());
  EXPECT_EQ(vas->FindVasDeviceByChannel(1), nullptr) << "not by ChannelNo";
  EXPECT_EQ(vas->FindVasDeviceByChannel(2), nullptr);
  EXPECT_EQ(cameraless->GetCamera(), nullptr);
  EXPECT_EQ(device->GetCamera().get(), camera.get());
  EXPECT_EQ(device->GetVas().get(), vas.get());
}

TEST_F(AnalysisServerStoreTest, StatusAndGpuRows) {
  auto vas = AddVas("Lobby");
  ASSERT_TRUE(vas);
  CLTBLVasStatus status;
  status.SetVasID(vas->GetID());
  Add(status);
  for (int gpu = 1; gpu <= 2; ++gpu) {
    CLTBLVasGPUStatus row;
    row.SetVasGPUStatusID(gpu);
    row.SetVasID(vas->GetID());
    Add(row);
  }
  ASSERT_TRUE(vas->GetStatus());
  EXPECT_EQ(vas->GetStatus()->GetVasID(), vas->GetID());
  EXPECT_EQ(vas->GetGPUStatusRows().size(), 2u);
}

// ---- Analysis device: regions, lines and schedule checks ----

class AnalysisDeviceStoreTest : public AnalysisStoreTest {
 protected:
  void SetUp() override {
    AnalysisStoreTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    auto vas = AddVas("Lobby");
    ASSERT_TRUE(vas);
    device_ = AddDevice(vas->GetID(), 1);
    event_ = AddEvent("Intrusion");
    // Covered on Wednesdays 09:00-10:29 (slots 18 to 20 of the day).
    task_ = AddTaskCovering("Wednesday", "09:00:00", "10:00:00");
    ASSERT_TRUE(device_ && event_ && task_);
  }

  std::shared_ptr<CTBLVasDevice> device_;
  std::shared_ptr<CTBLVasIntelligentEvent> event_;
  std::shared_ptr<CTBLScheduleTask> task_;
};

// 2024-03-06 is a Wednesday.
const SystemTime kWednesdayNineThirty = LocalTime(2024, 3, 6, 9, 30);
const SystemTime kWednesdayNoon = LocalTime(2024, 3, 6, 12, 0);

TEST_F(AnalysisDeviceStoreTest, RegionScheduleChecks) {
  ScopedTimeZone zone("UTC");
  const int event = event_->GetID();
  const int task = task_->GetID();
  auto doomed = AddTaskCovering("Wednesday", "00:00:00", "23:59:59");
  AddRegion(device_->GetID(), 3, event, 0);                      // no schedule
  AddRegion(device_->GetID(), 4, event, task);                   // follows the task
  AddRegion(device_->GetID(), 5, event, doomed->GetID());        // its task goes away
  AddRegion(device_->GetID(), 6, event, task, 1, 0);             // disabled
  AddRegion(device_->GetID(), 7, 0, task);                       // raises no event
  AddRegion(device_->GetID(), 8, event, task, 2);                // ignore region
  AddRegion(device_->GetID(), 9, event, task + 1000);            // task never cached
  struct Case {
    int number;
    int atNineThirty;
    int atNoon;
  } cases[] = {{3, 1, 1}, {4, 1, 0}, {6, 1, 1}, {7, 1, 1}, {8, 1, 1}, {9, 1, 1}, {0, 0, 0}, {65, 0, 0}, {64, 1, 1}};
  for (const Case& c : cases) {
    EXPECT_EQ(device_->IsROIScheduleActive(c.number, kWednesdayNineThirty), c.atNineThirty) << c.number;
    EXPECT_EQ(device_->IsROIScheduleActive(c.number, kWednesdayNoon), c.atNoon) << c.number;
  }
  EXPECT_EQ(device_->GetROIScheduleTask(4).get(), task_.get());
  EXPECT_EQ(device_->GetROIScheduleTask(3), nullptr);
  EXPECT_EQ(device_->GetROIScheduleTask(0), nullptr);
  EXPECT_EQ(device_->IsROIScheduleActive(5, kWednesdayNoon), 1);
  // The task of region 5 was in the cache when the table was built; gone now.
  ASSERT_TRUE(store_->DeleteEntity(doomed.get(), 0));
  EXPECT_EQ(device_->GetROIScheduleTask(5), nullptr);
  EXPECT_EQ(device_->IsROIScheduleActive(5, kWednesdayNoon), 0);
  // The table is built once: a region added later is not seen.
  AddRegion(device_->GetID(), 10, event, task);
  EXPECT_EQ(device_->IsROIScheduleActive(10, kWednesdayNoon), 1);
  // A time with a field out of range has no slot: inactive, no exception.
  EXPECT_EQ(device_->IsROIScheduleActive(4, LocalTime(2024, 13, 6, 9, 30)), 0);
}

TEST_F(AnalysisDeviceStoreTest, LineScheduleChecks) {
  ScopedTimeZone zone("UTC");
  const int event = event_->GetID();
  const int task = task_->GetID();
  AddLine(device_->GetID(), 2, event, task);
  AddLine(device_->GetID(), 4, event, task, 0);   // UseEvent 0
  AddLine(device_->GetID(), 12, event, task);     // beyond the ten entries
  AddLine(device_->GetID(), 6, event, task, 1, 0);  // disabled
  struct Case {
    int number;
    int atNoon;
  } cases[] = {{2, 0}, {4, 1}, {6, 1}, {12, 1}, {11, 1}, {64, 1}, {65, 0}, {0, 0}, {-3, 0}};
  for (const Case& c : cases) EXPECT_EQ(device_->IsLineCrossScheduleActive(c.number, kWednesdayNoon), c.atNoon) << c.number;
  EXPECT_EQ(device_->IsLineCrossScheduleActive(2, kWednesdayNineThirty), 1);
  EXPECT_EQ(device_->GetLineCrossScheduleTask(2).get(), task_.get());
  EXPECT_EQ(device_->GetLineCrossScheduleTask(12), nullptr);
  EXPECT_EQ(device_->GetLineCrossScheduleTask(65), nullptr);
}

TEST(AnalysisDeviceRow, AFreeDeviceCountsEveryRegionAsUnscheduled) {
  CTBLVasDevice device;
  const SystemTime time = LocalTime(2024, 3, 6, 9, 30);
  for (int number = 1; number <= 64; ++number) {
    EXPECT_EQ(device.IsROIScheduleActive(number, time), 1) << number;
    EXPECT_EQ(device.GetROIScheduleTask(number), nullptr) << number;
  }
  EXPECT_EQ(device.IsROIScheduleActive(0, time), 0);
  EXPECT_EQ(device.IsROIScheduleActive(65, time), 0);
  EXPECT_EQ(device.IsLineCrossScheduleActive(11, time), 1);
  EXPECT_EQ(device.GetVas(), nullptr);
  EXPECT_EQ(device.GetCamera(), nullptr);
  EXPECT_TRUE(device.GetROIs().empty());
  EXPECT_EQ(device.FindLineCross(1), nullptr);
}

TEST_F(AnalysisDeviceStoreTest, RegionsAndLinesBySelection) {
  auto normal = AddRegion(device_->GetID(), 1, 0, 0);
  auto ignored = AddRegion(device_->GetID(), 2, 0, 0, 2);
  auto twinLow = AddRegion(device_->GetID(), 3, 0, 0);
  auto twinHigh = AddRegion(device_->GetID(), 3, 0, 0);
  ASSERT_TRUE(normal && ignored && twinLow && twinHigh);
  EXPECT_EQ(device_->GetROIRows(true).size(), 4u);
  EntityMap withoutIgnored = device_->GetROIRows(false);
  EXPECT_EQ(withoutIgnored.size(), 3u);
  EXPECT_EQ(withoutIgnored.count(ignored->GetID()), 0u);
  auto byNumber = device_->GetROIs();
  ASSERT_EQ(byNumber.size(), 3u);
  EXPECT_EQ(byNumber[2].get(), ignored.get()) << "GetROIs keeps ignore regions";
  EXPECT_EQ(byNumber[3].get(), twinHigh.get()) << "the higher key wins";

  auto five = AddLine(device_->GetID(), 2, 0, 0);
  auto nine = AddLine(device_->GetID(), 2, 0, 0);
  auto off = AddLine(device_->GetID(), 7, 0, 0, 1, 0);
  ASSERT_TRUE(five && nine && off);
  EXPECT_EQ(device_->GetLineCrosses().size(), 3u);
  EXPECT_EQ(device_->GetEnabledLineCrosses().size(), 2u);
  EXPECT_EQ(device_->FindLineCross(2).get(), five.get()) << "the lower key";
  EXPECT_EQ(device_->GetLineCrossesByNumber()[2].get(), nine.get()) << "the higher key";
  EXPECT_EQ(device_->FindLineCross(7), nullptr) << "disabled";
  EXPECT_EQ(device_->GetLineCrossesByNumber().count(7), 0u);
}

// ---- Regions, lines and events ----

TEST_F(AnalysisDeviceStoreTest, RegionPointsAndSettingsRows) {
  auto region = AddRegion(device_->GetID(), 1, 0, 0, 3);
  auto bare = AddRegion(device_->GetID(), 2, 0, 0, 4);
  ASSERT_TRUE(region && bare);
  for (int order : {3, 1, 2}) {
    CTBLVasROIPoints point;
    point.SetVasROIID(region->GetID());
    point.SetPointOrder(order);
    point.SetROIPointX(order * 10);
    Add(point);
  }
  std::vector<int> orders;
  for (auto& [id, row] : region->GetPoints()) orders.push_back(dynamic_cast<CTBLVasROIPoints&>(*row).GetPointOrder());
  EXPECT_EQ(orders, (std::vector<int>{3, 1, 2})) << "points come in key order";

  CTBLVasCrowdDensity crowd;
  crowd.SetVasROIID(region->GetID());
  crowd.SetArea(11);
  auto firstCrowd = Add(crowd);
  crowd.SetArea(22);
  Add(crowd);
  CTBLVasWaterLevel water;
  water.SetVasROIID(region->GetID());
  auto firstWater = Add(water);
  Add(water);
  ASSERT_TRUE(firstCrowd && firstWater);
  EXPECT_EQ(region->GetCrowdDensity().get(), firstCrowd.get()) << "the lowest key";
  EXPECT_EQ(region->GetWaterLevel().get(), firstWater.get());
  EXPECT_EQ(bare->GetCrowdDensity(), nullptr);
  EXPECT_EQ(bare->GetWaterLevel(), nullptr);
  EXPECT_TRUE(bare->GetPoints().empty());
  CTBLVasROI free;
  EXPECT_TRUE(free.GetPoints().empty());
  EXPECT_EQ(free.GetCrowdDensity(), nullptr);
}

TEST_F(AnalysisDeviceStoreTest, LineGroupsInTheirOrder) {
  auto otherDevice = AddDevice(device_->GetVasID(), 2);
  ASSERT_TRUE(otherDevice);
  // Lines numbered 1, 2 and 3 at places 2, 3 and 1 of group 7.
  auto addGrouped = [&](int device, int number, int place, int grouping = 1) {
    CTBLVasLineCross line;
    line.SetVasDeviceID(device);
    line.SetNumber(number);
    line.SetGroupNumber(7);
    line.SetOrderInGroup(place);
    line.SetIsLineGrouping(grouping);
    return Add(line);
  };
  auto one = addGrouped(device_->GetID(), 1, 2);
  auto two = addGrouped(device_->GetID(), 2, 3);
  auto three = addGrouped(device_->GetID(), 3, 1);
  auto loose = addGrouped(device_->GetID(), 5, 4, 0);
  addGrouped(otherDevice->GetID(), 6, 5);
  ASSERT_TRUE(one && two && three && loose);
  EXPECT_EQ(one->GetGroupLineNumbers(), (std::vector<int>{3, 1, 2}));
  EXPECT_EQ(two->GetGroupLineNumbersText(""), "3,1,2");
  EXPECT_EQ(three->GetGroupLineNumbersText(";"), "3;1;2");
  EXPECT_TRUE(loose->GetLineGroup().empty()) << "a line outside any group";
  EXPECT_EQ(loose->GetGroupLineNumbersText(";"), "");

  auto later = addGrouped(device_->GetID(), 9, 3);  // the same place as line 2, a higher key
  ASSERT_TRUE(later);
  EXPECT_EQ(one->GetGroupLineNumbersText(""), "3,1,9");
  three->SetOrderInGroup(8);  // the group is read again on every call
  EXPECT_EQ(one->GetGroupLineNumbersText(""), "1,9,3");
  CTBLVasLineCross free;
  free.SetIsLineGrouping(1);
  EXPECT_TRUE(free.GetLineGroup().empty());
}

TEST(IntelligentEventRow, NumberListsAndTexts) {
  struct Case {
    const char* classList;
    std::vector<int> classes;
  } cases[] = {{"1,,3", {1, 3}}, {"2,x", {2, 0}}, {"", {}}, {",,", {}}, {" 4, 5", {4, 5}}, {"7", {7}}};
  for (const Case& c : cases) {
    CTBLVasIntelligentEvent event;
    event.SetClassList(c.classList);
    std::vector<int> list = {99};
    event.GetClassIDList(&list);
    EXPECT_EQ(list, c.classes) << c.classList;
  }
  CTBLVasIntelligentEvent event;
  event.SetClassList("1,2");
  std::vector<int> list;
  event.GetClassIDList(&list);
  EXPECT_EQ(list, (std::vector<int>{1, 2}));
  event.SetClassList("5");
  event.GetClassIDList(&list);
  EXPECT_EQ(list, (std::vector<int>{5})) << "read again after a change";
  CKeyValueData loaded = KeyValues({{"classlist", "6,7"}});
  event.LoadFrom(loaded);
  event.GetClassIDList(&list);
  EXPECT_EQ(list, (std::vector<int>{6, 7})) << "also after a load";
  event.GetClassIDList(nullptr);

  struct FaceCase {
    const char* faceGroups;
    int first;
  } faces[] = {{",7,8", 7}, {"", 0}, {"12", 12}, {"x,3", 0}, {",,", 0}};
  for (const FaceCase& c : faces) {
    event.SetFaceGroupList(c.faceGroups);
    EXPECT_EQ(event.GetFirstFaceGroupID(), c.first) << c.faceGroups;
  }
  const char* crops[] = {"Whole", "Top", "Bottom", "Left", "Right"};
  for (int criteria = -1; criteria <= 5; ++criteria) {
    event.SetObjectCropCriteria(criteria);
    EXPECT_EQ(event.GetCropCriteriaText(), criteria >= 0 && criteria <= 4 ? crops[criteria] : "") << criteria;
  }
}

TEST(CrowdDensityRow, LevelsInTenths) {
  CTBLVasCrowdDensity crowd;
  crowd.SetDensityLevel1(7);
  crowd.SetDensityLevel2(15);
  crowd.SetDensityLevel3(0);
  crowd.SetDensityLevel4(-5);
  EXPECT_FLOAT_EQ(crowd.GetDensityLevel(0), 0.7f);
  EXPECT_FLOAT_EQ(crowd.GetDensityLevel(1), 1.5f);
  EXPECT_FLOAT_EQ(crowd.GetDensityLevel(2), 0.0f);
  EXPECT_FLOAT_EQ(crowd.GetDensityLevel(3), -0.5f);
  EXPECT_FLOAT_EQ(crowd.GetDensityLevel(4), 0.0f);
  EXPECT_FLOAT_EQ(crowd.GetDensityLevel(-1), 0.0f);
}

}  // namespace
