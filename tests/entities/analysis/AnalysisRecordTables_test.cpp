// The zone, metadata, intelligent-search, vehicle-plate and video-analysis
// setting tables: their facts (columns, kinds, defaults, keys, flags,
// relations), their 64-bit keys and wide numbers, and what the store does
// with them in MariaDB (whole keys, the cache, the deletes along their
// relations).
#include <gtest/gtest.h>

#include <string>

#include "AnalysisStoreFixture.h"
#include "RowTestSupport.h"
#include "entities/analysis/VasEventActionHistory.h"
#include "entities/analysis/VasMeta.h"
#include "entities/analysis/VasMetaAdditional.h"
#include "entities/analysis/VasMetaColor.h"
#include "entities/analysis/VasMetaObject.h"
#include "entities/analysis/VasMetaObjectEvent.h"
#include "entities/analysis/VehiclePlate.h"
#include "entities/analysis/VehiclePlateImage.h"
#include "entities/analysis/VideoAnalysisColor.h"
#include "entities/analysis/VideoAnalysisPoint.h"
#include "entities/analysis/VideoAnalysisSetting.h"
#include "entities/analysis/VideoAnalysisZone.h"
#include "entities/analysis/Zone.h"
#include "entities/analysis/ZonePoint.h"
#include "entities/analysis/ZoneSetting.h"
#include "entities/operations/Association.h"

namespace {

constexpr int kNone = kRelationModeNone;

// table, column count, first, last, key, auto-increment, composite, memory-only, excluded, columns, relations
const TableFacts kRecordTables[] = {
    {"TBL_Zones", 16, "ZoneID", "Visibled", "ZoneID", true, false, false, false,
     {{1, "MapID", kInt, "0"}, {2, "Name", kStr, ""}, {5, "NormalColor", kU32, "0"}, {6, "AlarmColor", kU32, "0"},
      {13, "Enabled", kBool, "1"}, {14, "TargetZoneID", kInt, "0"}, {15, "Visibled", kBool, "1"}},
     {{"TBL_ZonePoints", "ZoneID", kDelete},
      {"TBL_ZoneSettings", "ZoneID", kDelete},
      {"TBL_Associations", "ZoneID", kDelete},
      {"TBL_Zones", "TargetZoneID", kDelete}}},
    {"TBL_ZonePoints", 7, "ZonePointID", "PointOrder", "ZonePointID", true, false, false, false,
     {{1, "ZoneID", kInt, "0"}, {2, "CoordinateX", kDouble, "0"}, {4, "CoordinateZ", kDouble, "0"},
      {5, "CoordinateType", kInt, "0"}},
     {}},
    {"TBL_ZoneSettings", 5, "ZoneSettingID", "Setting", "ZoneSettingID", true, false, false, false,
     {{1, "ZoneID", kInt, "0"}, {2, "Category", kInt, "0"}, {3, "Key", kStr, ""}},
     {}},
    {"TBL_VasMeta", 16, "VasMetaID", "IsAlarm", "VasMetaID", true, false, false, true,
     {{0, "VasMetaID", kU64, "0"}, {3, "VasThumbnailID", kU64, "0"}, {4, "DateTimeDetected", kDateTime, ""},
      {6, "DetectionTrigger", kBool, "0"}, {12, "ClassListEventFiltered", kStr, ""}},
     {{"TBL_VasMetaObject", "VasMetaID", kNone}, {"TBL_VasEventActionHistory", "VasMetaID", kNone}}},
    {"TBL_VasMetaObject", 11, "VasMetaID", "ColorID", "VasMetaID", false, false, false, true,
     {{0, "VasMetaID", kU64, "0"}, {5, "Rects", kStr, ""}, {9, "Top3Info", kStr, ""}},
     {}},
    {"TBL_VasMetaAdditional", 11, "VasMetaAdditionalID", "AdditionalDetail3", "VasMetaAdditionalID", true, false,
     false, false,
     {{0, "VasMetaAdditionalID", kU64, "0"}, {1, "VasMetaID", kU64, "0"}, {2, "VasThumbnailID", kU64, "0"},
      {7, "AdditionalInteger", kInt, "0"}},
     {}},
    {"TBL_VasMetaColor", 10, "VasMetaColorID", "BoundingBox", "VasMetaColorID", true, false, false, false,
     {{1, "VasMetaID", kU64, "0"}, {8, "ColorID2", kInt, "0"}},
     {}},
    {"TBL_VasMetaObjectCount", 11, "VasMetaObjectCountID", "BackwardIncCount", "VasMetaObjectCountID", true, false,
     false, false,
     {{1, "VasMetaID", kU64, "0"}, {4, "VasLineCrossNumber", kInt, "0"}, {6, "DateTimeDetected", kDateTime, ""}},
     {}},
    {"TBL_VasMetaObjectEvent", 9, "VasMetaObjectEventID", "BoundingBox", "VasMetaObjectEventID", true, false, false,
     true,
     {{1, "VasMetaID", kU64, "0"}, {2, "VasThumbnailID", kU64, "0"}, {5, "DeviceID", kInt, "0"}},
     {}},
    {"TBL_VasThumbnail", 4, "VasThumbnailID", "Data", "VasThumbnailID", true, false, false, true,
     {{0, "VasThumbnailID", kU64, "0"}, {2, "Size", kInt, "0"}, {3, "Data", kStr, ""}},
     {}},
    {"TBL_IntelligentSearchReason", 13, "IntelligentSearchID", "UserID", "IntelligentSearchID", true, false, false,
     false,
     {{1, "DepartmentID", kInt, "0"}, {4, "OfficialDocNum", kStr, ""}, {7, "DateTimeAdded", kDateTime, ""},
      {8, "Captured", kBool, "0"}, {11, "CameraList", kStr, ""}},
     {}},
    {"TBL_IntelligentSearchResultEvaluation", 7, "SearchResultEvaluationID", "IntelligentSearchID",
     "SearchResultEvaluationID", true, false, false, false,
     {{1, "Utilization", kBool, "0"}, {5, "IntelligentSearchUnuseReasonID", kInt, "0"}},
     {}},
    {"TBL_IntelligentSearchEventResult", 2, "SearchEventResultID", "Name", "SearchEventResultID", true, false, false,
     false, {{1, "Name", kStr, ""}}, {}},
    {"TBL_IntelligentSearchUnuseReason", 2, "IntelligentSearchUnuseReasonID", "UnuseReason",
     "IntelligentSearchUnuseReasonID", true, false, false, false, {{1, "UnuseReason", kStr, ""}}, {}},
    {"TBL_VehiclePlates", 6, "VehiclePlateID", "DateTimeDetected", "VehiclePlateID", true, false, false, true,
     {{4, "PlateNumber", kStr, ""}},
     {{"TBL_VehiclePlateImages", "VehiclePlateID", kDelete}}},
    {"TBL_VehiclePlateImages", 4, "VehiclePlateImageID", "DateTimeAdded", "VehiclePlateImageID", true, false, false,
     true, {{1, "VehiclePlateID", kInt, "0"}, {2, "FileName", kStr, ""}}, {}},
    {"TBL_VideoAnalysisSettings", 9, "VideoAnalysisSettingID", "PTZControlLatency", "VideoAnalysisSettingID", true,
     false, false, false,
     {{1, "DeviceID", kInt, "0"}, {5, "EventDWellTime", kInt, "0"}, {6, "Enabled", kBool, "1"},
      {7, "Threshold", kInt, "0"}},
     {{"TBL_VideoAnalysisZones", "VideoAnalysisSettingID", kDelete},
      {"TBL_VideoAnalysisColors", "VideoAnalysisSettingID", kDelete}}},
    {"TBL_VideoAnalysisZones", 3, "VideoAnalysisZoneID", "Sensitivity", "VideoAnalysisZoneID", true, false, false,
     false, {{1, "VideoAnalysisSettingID", kInt, "0"}},
     {{"TBL_VideoAnalysisPoints", "VideoAnalysisZoneID", kDelete}}},
    {"TBL_VideoAnalysisPoints", 5, "VideoAnalysisPointID", "PointOrder", "VideoAnalysisPointID", true, false, false,
     false, {{2, "PointX", kDouble, "0"}, {3, "PointY", kDouble, "0"}}, {}},
    {"TBL_VideoAnalysisColors", 7, "VideoAnalysisColorID", "Contained", "VideoAnalysisColorID", true, false, false,
     false,
     {{2, "Category", kInt, "0"}, {3, "Enabled", kBool, "1"}, {4, "Color1", kStr, ""}, {6, "Contained", kBool, "1"}},
     {}},
};

class AnalysisRecordTableFactsTest : public ::testing::TestWithParam<const TableFacts*> {};

TEST_P(AnalysisRecordTableFactsTest, NewRowMatchesTheTable) { ExpectTableFacts(*GetParam()); }

std::vector<const TableFacts*> AllTables() {
  std::vector<const TableFacts*> tables;
  for (const TableFacts& facts : kRecordTables) tables.push_back(&facts);
  return tables;
}

INSTANTIATE_TEST_SUITE_P(AnalysisRecordTables, AnalysisRecordTableFactsTest, ::testing::ValuesIn(AllTables()),
                         [](const auto& info) {
                           std::string name = info.param->table;
                           for (char& c : name) {
                             if (c == '_') c = 'x';
                           }
                           return name;
                         });

TEST(AnalysisRecordTables, SixtyFourBitKeysKeepTheWholeKey) {
  {
    auto meta = NewRow("TBL_VasMeta");
    meta->SetID64(4294967297ull);
    EXPECT_EQ(ColumnValueText(*meta, "VasMetaID"), "4294967297");
    EXPECT_EQ(meta->GetID64(), 4294967297ull);
    EXPECT_EQ(meta->GetID(), 1);
    EXPECT_TRUE(meta->HasInt64ID());
  }
  {
    auto thumbnail = NewRow("TBL_VasThumbnail");
    thumbnail->SetID(-1);
    EXPECT_EQ(ColumnValueText(*thumbnail, "VasThumbnailID"), "18446744073709551615");
  }
  {
    auto meta = NewRow("TBL_VasMeta");
    LoadValues(*meta, {{"vasmetaid", "5000000000"}, {"vasthumbnailid", "6000000000"}});
    EXPECT_EQ(meta->GetID64(), 5000000000ull);
    EXPECT_EQ(ColumnValueText(*meta, "VasThumbnailID"), "6000000000");
  }
  for (const char* table : {"TBL_VasMetaColor", "TBL_VasMetaObjectCount", "TBL_VasMetaObjectEvent"}) {
    EXPECT_FALSE(NewRow(table)->HasInt64ID()) << table;
  }
}

TEST(AnalysisRecordTables, WideNumbersRoundTripAsText) {
  struct Case {
    const char* table;
    const char* column;  // as the table spells it
    const char* loaded;  // the result row's text
    const char* written; // GetColumnValues' text after loading it
  } cases[] = {
      {"TBL_Zones", "NormalColor", "4294967295", "4294967295"},
      {"TBL_Zones", "AlarmColor", "4278190080", "4278190080"},
      {"TBL_VideoAnalysisPoints", "PointX", "12.5", "12.5"},
      {"TBL_VideoAnalysisPoints", "PointX", "0.1", "0.100000000000000006"},
      {"TBL_VideoAnalysisPoints", "PointY", "", "0"},
      {"TBL_ZonePoints", "CoordinateX", "0.123456789012345678", "0.123456789012345677"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.table) + "." + c.column + " = " + c.loaded);
    auto row = NewRow(c.table);
    std::string lower = c.column;
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    LoadValues(*row, {{lower, c.loaded}});
    EXPECT_EQ(ColumnValueText(*row, c.column), c.written);
    std::unique_ptr<CDBEntity> clone(row->Clone());
    EXPECT_EQ(ColumnValueText(*clone, c.column), c.written);
  }
  auto point = NewRow("TBL_VideoAnalysisPoints");
  LoadValues(*point, {{"pointx", "0.1"}});
  dynamic_cast<CTBLVideoAnalysisPoint&>(*point).SetPointX(2.0);
  EXPECT_EQ(point->GetOriginalValue("PointX"), "0.100000000000000006") << "the change record keeps %.18g";
}

TEST(AnalysisRecordTables, ZoneSettingIsASettingEntityByCastOnly) {
  auto row = NewRow("TBL_ZoneSettings");
  EXPECT_EQ(row->GetInterface("ISettingEntity"), nullptr);
  auto* setting = dynamic_cast<ISettingEntity*>(row.get());
  ASSERT_NE(setting, nullptr);
  NotificationRecorder recorder(*row);
  setting->SetOwnerID(7);
  setting->SetCategory(3);
  setting->SetKey("Opacity");
  setting->SetValue("50");
  EXPECT_EQ(ColumnValueText(*row, "ZoneID"), "7");
  EXPECT_EQ(ColumnValueText(*row, "Setting"), "50");
  EXPECT_EQ(setting->GetKey(), "Opacity");
  EXPECT_EQ(recorder.Columns(), (std::vector<std::string>{"ZoneID", "Category", "Key", "Setting"}));
  EXPECT_TRUE(row->IsColumnChanged("Setting"));
}

// ---------------------------------------------------------------- in MariaDB

class AnalysisRecordStoreTest : public AnalysisStoreTest {
 protected:
  void Sql(const std::string& statements) {
    std::string error;
    ASSERT_TRUE(RunSqlScript(db_, name_, statements, &error)) << error;
  }
  std::shared_ptr<CTBLZone> AddZone(int target = 0) {
    CTBLZone zone;
    zone.SetTargetZoneID(target);
    auto added = Add(zone);
    CTBLZonePoint point;
    point.SetZoneID(added->GetID());
    Add(point);
    CTBLZoneSetting setting;
    setting.SetZoneID(added->GetID());
    Add(setting);
    CTBLAssociation association;
    association.SetZoneID(added->GetID());
    Add(association);
    return added;
  }
  long ZoneRows() {
    return RawCount("TBL_Zones") + RawCount("TBL_ZonePoints") + RawCount("TBL_ZoneSettings") +
           RawCount("TBL_Associations");
  }
};

TEST_F(AnalysisRecordStoreTest, GeneratedKeysAboveThirtyTwoBitsArriveWhole) {
  Sql("ALTER TABLE `TBL_VasMeta` AUTO_INCREMENT = 5000000000\r\n\r\n"
      "ALTER TABLE `TBL_VasMetaAdditional` AUTO_INCREMENT = 4294967297");
  CTBLVasMeta meta;
  meta.SetVasDeviceID(3);
  ASSERT_TRUE(store_->AddEntity(&meta, 0));
  EXPECT_EQ(meta.GetID64(), 5000000000ull);
  EXPECT_EQ(RawCount("TBL_VasMeta", "VasMetaID = 5000000000 AND VasDeviceID = 3"), 1);

  // The object row goes in with the key its caller gave it and keeps it.
  CTBLVasMetaObject object;
  object.SetID64(meta.GetID64());
  object.SetObjectCount(2);
  ASSERT_TRUE(store_->AddEntity(&object, 0));
  EXPECT_EQ(object.GetID64(), 5000000000ull);
  EXPECT_EQ(RawCount("TBL_VasMetaObject", "VasMetaID = 5000000000 AND ObjectCount = 2"), 1);

  // The cached 64-bit table: rows whose keys share their low 32 bits stay apart.
  store_->HasEntityList("TBL_VasMetaAdditional");
  Sql("INSERT INTO `TBL_VasMetaAdditional` (`VasMetaAdditionalID`, `AdditionalString`) VALUES (1, 'low')");
  store_->UnloadEntityList("TBL_VasMetaAdditional");
  CTBLVasMetaAdditional additional;
  additional.SetAdditionalString("high");
  ASSERT_TRUE(store_->AddEntity(&additional, 0));
  EXPECT_EQ(additional.GetID64(), 4294967297ull);
  auto low = std::dynamic_pointer_cast<CTBLVasMetaAdditional>(store_->FindCachedEntity64("TBL_VasMetaAdditional", 1));
  auto high = std::dynamic_pointer_cast<CTBLVasMetaAdditional>(
      store_->FindCachedEntity64("TBL_VasMetaAdditional", 4294967297ull));
  ASSERT_TRUE(low && high);
  EXPECT_EQ(low->GetAdditionalString(), "low");
  EXPECT_EQ(high->GetAdditionalString(), "high");
}

TEST_F(AnalysisRecordStoreTest, ExcludedTablesLeaveTheCacheAlone) {
  // With the table loaded into the cache first, an add reaches the cached
  // copy only for a table that is cached; the database gets the row either way.
  struct Case {
    const char* table;
    bool cached;
  } cases[] = {{"TBL_VasMetaObjectEvent", false}, {"TBL_VehiclePlates", false}, {"TBL_VasMetaColor", true},
               {"TBL_VideoAnalysisColors", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.table);
    store_->HasEntityList(c.table);
    auto row = NewRow(c.table);
    ASSERT_TRUE(store_->AddEntity(row.get(), 0));
    EXPECT_EQ(RawCount(c.table), 1);
    EXPECT_EQ(store_->GetCachedEntityList(c.table).size(), c.cached ? 1u : 0u);
  }
}

TEST_F(AnalysisRecordStoreTest, DeletingAMetadataRecordTouchesNothingElse) {
  CTBLVasMeta meta;
  ASSERT_TRUE(store_->AddEntity(&meta, 0));
  CTBLVasMetaObject object;
  object.SetID64(meta.GetID64());
  ASSERT_TRUE(store_->AddEntity(&object, 0));
  CTBLVasEventActionHistory history;
  history.SetVasMetaID(meta.GetID64());
  Add(history);
  ASSERT_TRUE(store_->DeleteEntity(&meta, 0));
  EXPECT_EQ(RawCount("TBL_VasMeta"), 0);
  std::string key = std::to_string(meta.GetID64());
  EXPECT_EQ(RawCount("TBL_VasMetaObject", "VasMetaID = " + key), 1);
  EXPECT_EQ(RawCount("TBL_VasEventActionHistory", "VasMetaID = " + key), 1);
}

TEST_F(AnalysisRecordStoreTest, WideColumnsRoundTripThroughTheDatabase) {
  CTBLZone zone;
  zone.SetNormalColor(4294967295u);
  auto added = Add(zone);
  CTBLVideoAnalysisPoint point;
  point.SetPointX(0.1);
  point.SetPointY(12.5);
  Add(point);
  store_->Clear();
  EXPECT_EQ(OnlyRowValue("TBL_Zones", "NormalColor"), "4294967295");
  EXPECT_EQ(OnlyRowValue("TBL_VideoAnalysisPoints", "PointX"), "0.100000000000000006");
  EXPECT_EQ(OnlyRowValue("TBL_VideoAnalysisPoints", "PointY"), "12.5");
}

TEST_F(AnalysisRecordStoreTest, AVideoAnalysisSetUpGoesWithItsZonesPointsAndColours) {
  auto camera = AddCamera(1);
  CTBLVideoAnalysisSetting setting;
  setting.SetDeviceID(camera->GetID());
  auto setUp = Add(setting);
  std::vector<std::shared_ptr<CTBLVideoAnalysisZone>> zones;
  for (int z = 0; z < 2; ++z) {
    CTBLVideoAnalysisZone zone;
    zone.SetVideoAnalysisSettingID(setUp->GetID());
    zones.push_back(Add(zone));
    for (int p = 0; p < 4; ++p) {
      CTBLVideoAnalysisPoint point;
      point.SetVideoAnalysisZoneID(zones.back()->GetID());
      point.SetPointOrder(p);
      Add(point);
    }
  }
  CTBLVideoAnalysisColor color;
  color.SetVideoAnalysisSettingID(setUp->GetID());
  auto colorRow = Add(color);
  auto rows = [&] {
    return RawCount("TBL_VideoAnalysisSettings") + RawCount("TBL_VideoAnalysisZones") +
           RawCount("TBL_VideoAnalysisPoints") + RawCount("TBL_VideoAnalysisColors");
  };
  ASSERT_EQ(rows(), 12);

  // A colour or a zone alone takes nothing else along.
  ASSERT_TRUE(store_->DeleteEntity(colorRow.get(), 0));
  EXPECT_EQ(rows(), 11);
  ASSERT_TRUE(store_->DeleteEntity(zones[0].get(), 0));
  EXPECT_EQ(rows(), 6) << "the zone and its four points";
  EXPECT_EQ(RawCount("TBL_VideoAnalysisSettings"), 1);

  // The camera takes its set-up and what is left under it.
  ASSERT_TRUE(store_->DeleteEntity(camera.get(), 0));
  EXPECT_EQ(rows(), 0);
}

TEST_F(AnalysisRecordStoreTest, ASetUpWithTwoZonesOfFourPointsAndAColourDeletesElevenRowsBesidesItself) {
  CTBLVideoAnalysisSetting setting;
  auto setUp = Add(setting);
  for (int z = 0; z < 2; ++z) {
    CTBLVideoAnalysisZone zone;
    zone.SetVideoAnalysisSettingID(setUp->GetID());
    auto zoneRow = Add(zone);
    for (int p = 0; p < 4; ++p) {
      CTBLVideoAnalysisPoint point;
      point.SetVideoAnalysisZoneID(zoneRow->GetID());
      Add(point);
    }
  }
  CTBLVideoAnalysisColor color;
  color.SetVideoAnalysisSettingID(setUp->GetID());
  Add(color);
  CTBLVideoAnalysisSetting other;
  auto otherSetUp = Add(other);
  CTBLVideoAnalysisZone otherZone;
  otherZone.SetVideoAnalysisSettingID(otherSetUp->GetID());
  Add(otherZone);
  long before = RawCount("TBL_VideoAnalysisZones") + RawCount("TBL_VideoAnalysisPoints") +
                RawCount("TBL_VideoAnalysisColors");
  ASSERT_TRUE(store_->DeleteEntity(setUp.get(), 0));
  long after = RawCount("TBL_VideoAnalysisZones") + RawCount("TBL_VideoAnalysisPoints") +
               RawCount("TBL_VideoAnalysisColors");
  EXPECT_EQ(before - after, 11);
  EXPECT_EQ(RawCount("TBL_VideoAnalysisSettings"), 1);
  EXPECT_EQ(RawCount("TBL_VideoAnalysisZones"), 1) << "the other set-up's zone stays";
}

TEST_F(AnalysisRecordStoreTest, AZoneTakesTheZonesThatTargetItChainSelfAndRing) {
  // A <- B <- C, with an unrelated zone D.
  auto a = AddZone();
  auto b = AddZone(a->GetID());
  auto c = AddZone(b->GetID());
  auto d = AddZone();
  ASSERT_EQ(ZoneRows(), 16);
  ASSERT_TRUE(store_->DeleteEntity(a.get(), 0));
  EXPECT_EQ(ZoneRows(), 4) << "only D with its point, setting and association";
  EXPECT_EQ(RawCount("TBL_Zones", "ZoneID = " + std::to_string(d->GetID())), 1);

  // A zone that targets itself, and two zones that target each other.
  auto self = AddZone();
  self->SetTargetZoneID(self->GetID());
  ASSERT_TRUE(store_->UpdateEntity(self.get(), 0));
  auto x = AddZone();
  auto y = AddZone(x->GetID());
  x->SetTargetZoneID(y->GetID());
  ASSERT_TRUE(store_->UpdateEntity(x.get(), 0));
  ASSERT_TRUE(store_->DeleteEntity(self.get(), 0));
  ASSERT_TRUE(store_->DeleteEntity(x.get(), 0));
  EXPECT_EQ(ZoneRows(), 4) << "the ring went whole, D stays";
}

TEST_F(AnalysisRecordStoreTest, APlateTakesItsImagesAndAnImageNothingElse) {
  CTBLVehiclePlate plate;
  plate.SetPlateNumber("12GA3456");
  ASSERT_TRUE(store_->AddEntity(&plate, 0));
  std::vector<int> images;
  for (int i = 0; i < 3; ++i) {
    CTBLVehiclePlateImage image;
    image.SetVehiclePlateID(plate.GetID());
    image.SetFileName("plate" + std::to_string(i) + ".jpg");
    ASSERT_TRUE(store_->AddEntity(&image, 0));
    images.push_back(image.GetID());
  }
  CTBLVehiclePlate other;
  ASSERT_TRUE(store_->AddEntity(&other, 0));
  CTBLVehiclePlateImage otherImage;
  otherImage.SetVehiclePlateID(other.GetID());
  ASSERT_TRUE(store_->AddEntity(&otherImage, 0));

  ASSERT_TRUE(store_->DeleteEntity(&otherImage, 0));
  EXPECT_EQ(RawCount("TBL_VehiclePlates"), 2) << "an image leaves its detection";
  ASSERT_TRUE(store_->DeleteEntity(&plate, 0));
  EXPECT_EQ(RawCount("TBL_VehiclePlateImages"), 0);
  EXPECT_EQ(RawCount("TBL_VehiclePlates"), 1);
}

}  // namespace
