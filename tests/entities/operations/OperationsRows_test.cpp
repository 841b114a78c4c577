// The logic of the operations rows beyond their columns: file-store paths,
// the tree nodes of maps, markers, facility groups and work schedules with
// their name filter, the tour's row number, password rule lengths and log
// texts, system-event descriptions, event-log stamps, and 64-bit keys.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "DatabaseRowTest.h"
#include "RowTestSupport.h"
#include "StoreTest.h"
#include "entities/Camera.h"
#include "entities/operations/EventLog.h"
#include "entities/operations/GISFacility.h"
#include "entities/operations/Map.h"
#include "entities/operations/Marker.h"
#include "entities/operations/PwdCreationRule.h"
#include "entities/operations/PwdDevice.h"
#include "entities/operations/PwdLog.h"
#include "entities/operations/RURaveProcess.h"
#include "entities/operations/RURaveProduct.h"
#include "entities/operations/Resource.h"
#include "entities/operations/ResultCode.h"
#include "entities/operations/SmartPoliceEvent.h"
#include "entities/operations/SystemEvent.h"
#include "entities/operations/Tour.h"
#include "entities/operations/WorkSchedule.h"
#include "entities/operations/WorkScheduleTemplate.h"
#include "foundation/StringUtil.h"
#include "platform/Clock.h"
#include "platform/ProgramFolder.h"
#include "support/TempDir.h"

namespace {

// ---- File store ----

// Makes the program folder a temporary folder E for the life of the object.
class FileStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetProgramFolderOverride(program_.path()); }
  void TearDown() override { platform::SetProgramFolderOverride(""); }

  CTBLResource Resource(int kind, const std::string& storeName) {
    CTBLResource resource;
    resource.SetKind(kind);
    resource.SetStoreFileName(storeName);
    return resource;
  }

  TempDir program_;
};

TEST_F(FileStoreTest, PathsFollowTheKindAndTheBaseFolder) {
  const std::string e = program_.path();
  struct Case {
    int kind;
    std::string base;
    std::string name;
    std::string path;
  } cases[] = {
      {1, "", "N", e + "/FileStore/Map/N"},
      {2, "B", "N", "B/FileStore/Site/N"},
      {3, "B/", "N", "B/FileStore/App/N"},
      {4, "B//", "N", "B/FileStore/Marker/N"},
      {5, "B///", "N", "B//FileStore/User/N"},
      {6, "B", "N", "B/FileStore/Etc/N"},
      {7, "B", "N", "B/FileStore/Etc/N"},
      {10000, "B", "N", "B/FileStore/System/N"},
      {10001, "B", "N", "B/FileStore/System/N"},
      {8, "B", "N", "/N"},
      {0, "B", "N", "/N"},
      {-1, "B", "N", "/N"},
      {9999, "B", "N", "/N"},
      {10002, "B", "N", "/N"},
      {1, "B", "", "B/FileStore/Map"},
      {1, "", "", e + "/FileStore/Map"},
      {8, "B", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + " '" + c.base + "' '" + c.name + "'");
    EXPECT_EQ(Resource(c.kind, c.name).GetStoreFilePath(c.base), c.path);
  }
  EXPECT_EQ(CTBLResource::GetFileStoreFolder("B/"), "B/FileStore");
  EXPECT_EQ(CTBLResource::GetKindFolder(1, "B//", "N"), "B/FileStore/Map/N");
  EXPECT_EQ(CTBLResource::ResolveBaseFolder("B"), "B");
}

TEST_F(FileStoreTest, FileExistsAsksTheFileSystemOnEveryCall) {
  CTBLResource map = Resource(1, "plan.png");
  CTBLResource folder = Resource(1, "");
  EXPECT_FALSE(map.FileExists(""));
  EXPECT_FALSE(folder.FileExists(""));
  ASSERT_TRUE(std::filesystem::create_directories(program_.Join("FileStore/Map")));
  EXPECT_TRUE(folder.FileExists("")) << "an empty store name asks for the kind folder";
  ASSERT_TRUE(WriteTestFile(program_.Join("FileStore/Map/plan.png"), "png"));
  EXPECT_TRUE(map.FileExists(""));
  EXPECT_TRUE(map.FileExists(program_.path() + "/"));
  ASSERT_TRUE(std::filesystem::remove(program_.Join("FileStore/Map/plan.png")));
  EXPECT_FALSE(map.FileExists(""));
  // A kind without a folder names an entry of the root folder: never looked up.
  EXPECT_FALSE(Resource(8, "tmp").FileExists(""));
}

TEST(FileStore, ProgramFolderIsTheExecutablesWholeFolder) {
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
  EXPECT_EQ(CTBLResource::ResolveBaseFolder(""), exe.parent_path().string());
}

// ---- Tree nodes ----

class OperationsTreeTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    platform::SetProgramFolderOverride(program_.path());
  }
  void TearDown() override {
    platform::SetProgramFolderOverride("");
    StoreTest::TearDown();
  }
  std::shared_ptr<CTBLMap> AddMap(const std::string& name, int kind = 0, int resource = 0) {
    CTBLMap map;
    map.SetName(name);
    map.SetKind(kind);
    map.SetResourceID(resource);
    return Add(map);
  }
  std::shared_ptr<CTBLMarker> AddMarker(const std::function<void(CTBLMarker&)>& set) {
    CTBLMarker marker;
    set(marker);
    return Add(marker);
  }
  static IEntityTreeNode& Node(CDBEntity& row) {
    return *static_cast<IEntityTreeNode*>(row.GetInterface("IEntityTreeNode"));
  }

  TempDir program_;
};

TEST_F(OperationsTreeTest, MapTypeFollowsItsKindAndItsFile) {
  CTBLResource resource;
  resource.SetKind(1);
  resource.SetStoreFileName("plan.png");
  auto stored = Add(resource);
  auto other = AddMap("Campus", 3, stored->GetID());
  auto bare = AddMap("Bare");
  auto drawn = AddMap("Drawn", 0, stored->GetID());
  EXPECT_EQ(Node(*other).GetNodeType(), kNodeTypeMapOfOtherKind);
  EXPECT_EQ(Node(*bare).GetNodeType(), kNodeTypeMapWithoutResource);
  EXPECT_EQ(Node(*drawn).GetNodeType(), kNodeTypeMapWithoutResource);
  ASSERT_TRUE(std::filesystem::create_directories(program_.Join("FileStore/Map")));
  ASSERT_TRUE(WriteTestFile(program_.Join("FileStore/Map/plan.png"), "png"));
  EXPECT_EQ(Node(*drawn).GetNodeType(), kNodeTypeMap);
  EXPECT_EQ(Node(*other).GetNodeType(), kNodeTypeMapOfOtherKind);
  ASSERT_TRUE(std::filesystem::remove(program_.Join("FileStore/Map/plan.png")));
  EXPECT_EQ(Node(*drawn).GetNodeType(), kNodeTypeMapWithoutResource);
  EXPECT_EQ(drawn->GetDisplayText(), "Drawn");
  EXPECT_EQ(Node(*drawn).GetNodeRank(), 100);
  EXPECT_EQ(Node(*drawn).GetNodeOrder(55), drawn->GetID());
  EXPECT_EQ(drawn->GetInterface("ientitytreenode"), nullptr);
}

TEST_F(OperationsTreeTest, MarkersTakeNameFromTheTargetMapAndTypeFromTheCamera) {
  CTBLCamera camera;
  camera.SetName("Gate cam");
  camera.SetDeviceType("PTZ");
  camera.SetEnable(0);
  auto cam = Add(camera);
  auto plan = AddMap("Floor 2", 5);
  auto home = AddMap("Home");
  const int camId = cam->GetID();
  const int planId = plan->GetID();
  const int homeId = home->GetID();
  auto both = AddMarker([&](CTBLMarker& m) {
    m.SetMapID(homeId);
    m.SetTargetMapID(planId);
    m.SetCameraID(camId);
  });
  auto onlyCamera = AddMarker([&](CTBLMarker& m) {
    m.SetMapID(homeId);
    m.SetCameraID(camId);
  });
  auto missingCamera = AddMarker([&](CTBLMarker& m) {
    m.SetMapID(homeId);
    m.SetCameraID(999);
    m.SetTargetMapID(planId);
    m.SetFacilityGroupID(4);
  });
  auto facility = AddMarker([&](CTBLMarker& m) {
    m.SetMapID(homeId);
    m.SetFacilityGroupID(4);
    m.SetName("Pump");
  });
  auto named = AddMarker([&](CTBLMarker& m) {
    m.SetMapID(987);
    m.SetTargetMapID(planId);
    m.SetName("Own");
  });
  auto nothing = AddMarker([&](CTBLMarker& m) { m.SetMapID(homeId); });

  struct Case {
    std::shared_ptr<CTBLMarker> marker;
    const char* name;
    int type;
    int status;
    size_t parents;
  } cases[] = {
      {both, "Floor 2", kNodeTypePtzCamera, kNodeStatusDisabled, 1},
      {onlyCamera, "Gate cam", kNodeTypePtzCamera, kNodeStatusDisabled, 1},
      {missingCamera, "Floor 2", kNodeTypeOther, kNodeStatusNormal, 1},
      {facility, "Pump", kNodeTypeFacilityMarker, kNodeStatusNormal, 1},
      {named, "Own", kNodeTypeMapOfOtherKind, kNodeStatusNormal, 0},
      {nothing, "", kNodeTypeOther, kNodeStatusNormal, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.marker->GetID());
    IEntityTreeNode& node = Node(*c.marker);
    EXPECT_EQ(node.GetNodeName(), c.name);
    EXPECT_EQ(c.marker->GetDisplayText(), c.name);
    EXPECT_EQ(node.GetNodeType(), c.type);
    EXPECT_EQ(node.GetNodeStatus(), c.status);
    EXPECT_EQ(node.GetNodeRank(), 200);
    EntityMap parents = node.GetParentNodes();
    ASSERT_EQ(parents.size(), c.parents);
    if (c.parents) EXPECT_EQ(parents.begin()->second, home);
  }
  // The map's children: its markers that lead to a camera or a map it has.
  EntityMap children = Node(*home).GetChildNodes();
  std::vector<int> ids;
  for (auto& [id, row] : children) ids.push_back(id);
  EXPECT_EQ(ids, (std::vector<int>{both->GetID(), onlyCamera->GetID(), missingCamera->GetID()}));
  EXPECT_EQ(children[both->GetID()], both) << "the marker, not what it links to";
  EXPECT_TRUE(Node(*plan).GetChildNodes().empty());
}

TEST_F(OperationsTreeTest, FacilityGroupsAndWorkSchedulesAreNodesOfTheirOwnTypes) {
  CTBLGISFacility group;
  group.SetName("Pumps");
  auto facility = Add(group);
  EXPECT_EQ(Node(*facility).GetNodeType(), kNodeTypeFacilityGroup);
  EXPECT_EQ(Node(*facility).GetNodeStatus(), kNodeStatusNormal);
  EXPECT_EQ(Node(*facility).GetNodeName(), "Pumps");
  EXPECT_TRUE(Node(*facility).GetParentNodes().empty());

  CTBLWorkScheduleTemplate shape;
  shape.SetName("Night");
  auto templ = Add(shape);
  CTBLWorkSchedule day;
  day.SetWorkScheduleTemplateID(templ->GetID());
  day.SetWorkScheduleDate("2024-03-05");
  auto schedule = Add(day);
  CTBLWorkSchedule orphan;
  orphan.SetWorkScheduleTemplateID(77);
  auto lost = Add(orphan);
  CTBLWorkSchedule unset;
  auto free = Add(unset);

  EXPECT_EQ(Node(*templ).GetNodeType(), kNodeTypeWorkScheduleTemplate);
  EXPECT_EQ(Node(*schedule).GetNodeType(), kNodeTypeWorkSchedule);
  EXPECT_EQ(Node(*schedule).GetNodeName(), "2024-03-05");
  EXPECT_EQ(Node(*schedule).GetNodeOrder(9), schedule->GetID());
  EntityMap parents = Node(*schedule).GetParentNodes();
  ASSERT_EQ(parents.size(), 1u);
  EXPECT_EQ(parents.begin()->second, templ);
  EXPECT_TRUE(Node(*lost).GetParentNodes().empty());
  EXPECT_TRUE(Node(*free).GetParentNodes().empty());
  EntityMap children = Node(*templ).GetChildNodes();
  ASSERT_EQ(children.size(), 1u);
  EXPECT_EQ(children.begin()->second, schedule);
  EXPECT_EQ(templ->GetInterface("IEntityTreeNodes"), nullptr);
}

// Every node filter: the node name lower-cased (a CP949 trail byte that reads
// as an ASCII letter is no letter and stays), the filter taken as given.
TEST(OperationsTreeNodes, FiltersLowerTheNameButNotTheFilter) {
  const std::string hangul = "\x81\x41";  // a CP949 character whose trail byte is 'A'
  struct Filter {
    std::string name;
    std::string filter;
    bool matches;
  } filters[] = {
      {"Gate WEST", "west", true}, {"Gate WEST", "WEST", false}, {"Gate WEST", "", true},
      {"gate west", "West", false}, {hangul + "B", hangul + "b", true}, {hangul + "B", "a", false},
      {hangul + "B", "\x81" "a", false},
  };
  std::vector<std::pair<const char*, std::function<std::unique_ptr<CDBEntity>(const std::string&)>>> nodes = {
      {"map", [](const std::string& n) { auto r = std::make_unique<CTBLMap>(); r->SetName(n); return r; }},
      {"marker", [](const std::string& n) { auto r = std::make_unique<CTBLMarker>(); r->SetName(n); return r; }},
      {"facility", [](const std::string& n) { auto r = std::make_unique<CTBLGISFacility>(); r->SetName(n); return r; }},
      {"template",
       [](const std::string& n) { auto r = std::make_unique<CTBLWorkScheduleTemplate>(); r->SetName(n); return r; }},
      {"schedule",
       [](const std::string& n) { auto r = std::make_unique<CTBLWorkSchedule>(); r->SetWorkScheduleDate(n); return r; }},
  };
  for (auto& [kind, make] : nodes) {
    for (const Filter& f : filters) {
      SCOPED_TRACE(std::string(kind) + " '" + f.name + "' '" + f.filter + "'");
      std::unique_ptr<CDBEntity> row = make(f.name);
      auto* node = static_cast<IEntityTreeNode*>(row->GetInterface("IEntityTreeNode"));
      ASSERT_NE(node, nullptr);
      EXPECT_EQ(node->MatchesFilter(0, f.filter), f.matches);
      EXPECT_EQ(node->MatchesFilter(6, f.filter), f.matches) << "flags are ignored";
    }
  }
}

// ---- Row logic without a store ----

TEST(OperationsRows, TourRowNumberStandsInForTheKeyUntilCleared) {
  CTBLTour tour;
  EXPECT_EQ(tour.GetID(), -1);
  tour.SetCameraNo(12);
  tour.SetID(7);
  EXPECT_EQ(tour.GetID(), 7);
  EXPECT_EQ(tour.GetCameraNo(), 12);
  EXPECT_EQ(ColumnValueText(tour, "camera_no"), "12");
  std::unique_ptr<CDBEntity> clone(tour.Clone());
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(clone->GetID(), 12) << "the row number is not copied";
  CTBLTour copy(tour);
  EXPECT_EQ(copy.GetID(), 12);
  tour.SetID(0);
  EXPECT_EQ(tour.GetID(), 12);
}

TEST(OperationsRows, PasswordRuleLengthAndLogTexts) {
  struct Case {
    const char* prefix;
    const char* suffix;
    int upper, lower, number, special;
    int length;
  } cases[] = {
      {"ab", "c", 2, 3, 2, 1, 11},
      {"", "", 0, 0, 0, 0, 0},
      {"\xb0\xa1", "", -3, 0, 0, 0, -1},  // a double-byte character counts two bytes
  };
  for (const Case& c : cases) {
    CTBLPwdCreationRule rule;
    rule.SetPrefixString(c.prefix);
    rule.SetSuffixString(c.suffix);
    rule.SetUppercaseLength(c.upper);
    rule.SetLowercaseLength(c.lower);
    rule.SetNumberLength(c.number);
    rule.SetSpecialcharLength(c.special);
    rule.SetSpecialcharList("!@#$%");
    EXPECT_EQ(rule.GetPasswordLength(), c.length) << c.prefix << "/" << c.suffix;
    EXPECT_EQ(rule.GetDisplayText(), "");
  }
  CTBLPwdLog log;
  log.SetUserLoginID("viewer");
  log.SetPwdDeviceNo(7);
  log.SetFunctionType(2);
  log.SetResult(0);
  EXPECT_EQ(log.GetDisplayText(), "UserLoginID: viewer, PwdDeviceNo: 7, FunctionType: 2, Result: 0");
  EXPECT_EQ(CTBLPwdDevice().GetDisplayText(), "");
  CTBLResultCode code;
  code.SetName("Timeout");
  EXPECT_EQ(code.GetDisplayText(), "Timeout");
  EXPECT_EQ(CTBLSystemEvent().GetDisplayText(), "");
}

TEST(OperationsRows, SystemEventDescriptionComesOnlyFromALoadedRow) {
  CTBLSystemEvent event;
  event.SetDetail1("d1");
  event.SetDetail2("d2");
  event.SetDetail3("d3");
  const ILogDetails& details = event;
  EXPECT_EQ(details.GetDetail1() + details.GetDetail2() + details.GetDetail3(), "d1d2d3");
  EXPECT_EQ(event.GetInterface("ILogDetails"), nullptr);

  LoadValues(event, {{"description", "late shift"}, {"detail1", "x"}});
  EXPECT_EQ(event.GetDescription(), "late shift");
  EXPECT_EQ(event.GetDetail1(), "x");
  LoadValues(event, {{"detail2", "y"}});
  EXPECT_EQ(event.GetDescription(), "late shift") << "no description column: kept";
  std::unique_ptr<CDBEntity> clone(event.Clone());
  EXPECT_EQ(dynamic_cast<CTBLSystemEvent&>(*clone).GetDescription(), "");
  CTBLSystemEvent target;
  LoadValues(target, {{"description", "kept"}});
  event.CopyTo(&target);
  EXPECT_EQ(target.GetDescription(), "kept");
  EXPECT_EQ(target.GetDetail2(), "y");
  EXPECT_EQ(CTBLSystemEvent(event).GetDescription(), "");
  LoadValues(event, {{"description", ""}});
  EXPECT_EQ(event.GetDescription(), "");
  EXPECT_FALSE(event.IsColumnChanged("Description"));
  EXPECT_EQ(ColumnValueText(event, "Description"), "<missing>");
}

TEST(OperationsRows, EventLogRowsAreStampedWithTheClockAndNumbered) {
  platform::ManualClock clock;
  clock.SetLocal(2024, 3, 5, 7, 8, 9);
  CTBLEventLog::SetClock(&clock);
  CTBLEventLog first;
  CTBLEventLog second;
  CTBLEventLog::SetClock(nullptr);
  EXPECT_EQ(first.GetDate(), "2024-03-05 07:08:09");
  EXPECT_EQ(first.GetEventType(), 0);
  EXPECT_FALSE(first.HasChanges());
  EXPECT_EQ(second.GetID(), first.GetID() + 1);
  first.SetMemo("door");
  std::unique_ptr<CDBEntity> clone(first.Clone());
  EXPECT_GT(clone->GetID(), second.GetID()) << "a clone keeps the id it was made with";
  EXPECT_EQ(ColumnValueText(*clone, "memo"), "door");
  EXPECT_EQ(ColumnValueText(*clone, "date"), "2024-03-05 07:08:09");
  second.CopyTo(clone.get());
  EXPECT_GT(clone->GetID(), second.GetID());
}

// In a process of its own, the first event-log row is row 1 and the next 2.
TEST(OperationsRowsDeathTest, EventLogRowIdsStartAtOnePerProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        CTBLEventLog first;
        CTBLEventLog second;
        std::exit(first.GetID() == 1 && second.GetID() == 2 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(OperationsRows, SixtyFourBitKeysAndColumns) {
  CTBLRURaveProduct product;
  LoadValues(product, {{"productid", "18446744073709551615"}});
  EXPECT_EQ(product.GetID64(), UINT64_MAX) << "read unsigned, not clipped";
  LoadValues(product, {{"productid", "5000000000"}});
  EXPECT_TRUE(product.HasInt64ID());
  EXPECT_EQ(product.GetID64(), 5000000000u);
  EXPECT_EQ(product.GetID(), static_cast<int>(5000000000u & 0xffffffffu));
  EXPECT_EQ(ColumnValueText(product, "ProductID"), "5000000000");
  product.SetID(-1);
  EXPECT_EQ(product.GetID64(), UINT64_MAX);
  EXPECT_EQ(ColumnValueText(product, "ProductID"), "18446744073709551615");
  product.ClearChanges();

  CTBLRURaveProcess process;
  NotificationRecorder recorder(process);
  process.SetProductID(0);
  EXPECT_FALSE(process.HasChanges()) << "an equal value records nothing";
  process.SetProcessOrder(3);
  process.SetProductID(9223372036854775809u);
  EXPECT_EQ(process.GetChangedColumns(), (std::vector<std::string>{"ProcessOrder", "ProductID"}));
  EXPECT_EQ(recorder.Columns(), (std::vector<std::string>{"ProcessOrder", "ProductID"}));
  EXPECT_EQ(ColumnValueText(process, "ProductID"), "9223372036854775809");

  CTBLSmartPoliceEvent event;
  NotificationRecorder eventRecorder(event);
  event.SetMessage("help");
  EXPECT_EQ(eventRecorder.Columns(), std::vector<std::string>{"Message"});
  EXPECT_TRUE(event.IsColumnChanged("Message"));
}

// ---- Through the database ----

class OperationsRowsInDatabase : public DatabaseRowTest {
 protected:
  int Count(const char* table, const std::string& where) {
    return service_->GetEntityCount(table, ("WHERE " + where).c_str());
  }
  void Sql(const std::string& statement) {
    std::string error;
    ASSERT_TRUE(RunSqlScript(db_, name_, statement, &error)) << error;
  }
};

// An empty text column is written as an empty text; empty date and time
// columns are left out of the statement and stay NULL.
TEST_F(OperationsRowsInDatabase, EmptyDatesAreLeftOutAndEmptyTextsWritten) {
  CTBLPwdDevice device;
  device.SetDeviceNo(3);
  ASSERT_TRUE(service_->AddEntity(&device, 0));
  EXPECT_EQ(Count("TBL_PwdDevice",
                  "LastViewDateTime = '' AND LastChangeDate IS NULL AND DateTimeAdded IS NULL AND DeviceNo = 3"),
            1);
}

TEST_F(OperationsRowsInDatabase, SystemEventDescriptionFromTheQuery) {
  CTBLSystemEvent event;
  ASSERT_TRUE(service_->AddEntity(&event, 0));
  auto described = std::dynamic_pointer_cast<CTBLSystemEvent>(
      service_->FindEntityEx("TBL_SystemEvents", "SELECT *, 'late shift' AS description FROM TBL_SystemEvents"));
  ASSERT_NE(described, nullptr);
  EXPECT_EQ(described->GetDescription(), "late shift");
  auto nulled = std::dynamic_pointer_cast<CTBLSystemEvent>(
      service_->FindEntityEx("TBL_SystemEvents", "SELECT *, NULL AS description FROM TBL_SystemEvents"));
  ASSERT_NE(nulled, nullptr);
  EXPECT_EQ(nulled->GetDescription(), "");
}

// Keyless event-log rows: deleted by their values, so of two identical rows
// both go; a different row stays.
TEST_F(OperationsRowsInDatabase, EventLogRowsAreDeletedByTheirValues) {
  CTBLEventLog first;
  first.SetCameraName("Gate");
  CTBLEventLog twin;
  LoadValues(twin, {{"date", first.GetDate()}, {"camera_name", "Gate"}});
  CTBLEventLog other;
  other.SetCameraName("Lobby");
  for (CTBLEventLog* row : {&first, &twin, &other}) ASSERT_TRUE(service_->AddEntity(row, 0));
  EXPECT_FALSE(service_->UpdateEntity(&first, 0));
  ASSERT_TRUE(service_->DeleteEntityEx(&first, false, 0));
  EXPECT_EQ(Count("TBL_Event_Log", "camera_name = 'Gate'"), 0);
  EXPECT_EQ(Count("TBL_Event_Log", "camera_name = 'Lobby'"), 1);
}

// 64-bit keys above 2^32 and 2^63 are inserted, loaded, found, updated and
// deleted by their whole value: a row whose key is the low 32 bits of another
// row's key is never hit.
TEST_F(OperationsRowsInDatabase, SixtyFourBitKeysAddressTheirOwnRows) {
  const uint64_t kBig = 5000000000u;
  const uint64_t kHuge = 9223372036854775900u;
  const uint64_t kLow = kBig & 0xffffffffu;
  CTBLRURaveProduct low;
  CTBLRURaveProduct big;
  CTBLRURaveProduct huge;
  struct Keyed {
    CTBLRURaveProduct* row;
    uint64_t key;
  } keyed[] = {{&low, kLow}, {&big, kBig}, {&huge, kHuge}};
  for (auto [row, key] : keyed) {
    Sql("ALTER TABLE `TBL_RURaveProduct` AUTO_INCREMENT = " + std::to_string(key));
    row->SetProcessCount(1);
    ASSERT_TRUE(service_->AddEntity(row, 0));
    EXPECT_EQ(row->GetID64(), key);
  }
  EXPECT_EQ(big.GetID(), static_cast<int>(kLow));

  for (CTBLRURaveProduct* row : {&big, &huge}) {
    SCOPED_TRACE(row->GetID64());
    const std::string key = std::to_string(row->GetID64());
    EntityPtr found = service_->FindEntity("TBL_RURaveProduct", ("`ProductID` = " + key).c_str());
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->GetID64(), row->GetID64());
    EXPECT_EQ(ColumnValueText(*found, "ProductID"), key);
    EntityMap64 listed;
    service_->GetDBEntityList("TBL_RURaveProduct", nullptr, listed);
    ASSERT_EQ(listed.count(row->GetID64()), 1u);
    EXPECT_EQ(listed[row->GetID64()]->GetColumnValues(), row->GetColumnValues());

    row->SetProcessCount(7);
    ASSERT_TRUE(service_->UpdateEntity(row, 0));
    EXPECT_EQ(Count("TBL_RURaveProduct", "ProductID = " + key + " AND ProcessCount = 7"), 1);
  }
  EXPECT_EQ(Count("TBL_RURaveProduct", "ProcessCount = 1"), 1) << "the low row is untouched";

  ASSERT_TRUE(service_->DeleteEntityEx(&big, false, 0));
  ASSERT_TRUE(service_->DeleteEntityEx(&huge, false, 0));
  EXPECT_EQ(Count("TBL_RURaveProduct", "ProductID = " + std::to_string(kLow)), 1);
  EXPECT_EQ(Count("TBL_RURaveProduct", "ProductID <> " + std::to_string(kLow)), 0);
}

}  // namespace
