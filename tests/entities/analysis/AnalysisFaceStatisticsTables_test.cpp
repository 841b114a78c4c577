// The statistics, object-count, face-recognition and analysis-database
// tables: their facts, the per-class count map that rides beside the object
// count columns, and what the store does with persons and face groups in
// MariaDB.
#include <gtest/gtest.h>

#include <string>

#include "AnalysisStoreFixture.h"
#include "RowTestSupport.h"
#include "entities/analysis/FRImage.h"
#include "entities/analysis/FRPerson.h"
#include "entities/analysis/FRPersonDetail.h"
#include "entities/analysis/VasFRFaceGroup.h"
#include "entities/analysis/VasObjectCount.h"
#include "entities/analysis/VasStatistics.h"

namespace {

// The statistics columns after the key, as all three tables have them.
std::vector<ColumnFact> StatisticsColumns() {
  return {{1, "Category", kInt, "0"},          {2, "EventID", kInt, "0"},
          {3, "VasDeviceID", kInt, "0"},       {4, "UserID", kInt, "0"},
          {5, "StatisticsDateTime", kDateTime, ""}, {6, "TotalCount1", kInt, "0"},
          {13, "AutoBroadcastCount2", kInt, "0"}, {19, "ManualBroadcastResolvedCount2", kInt, "0"},
          {20, "OccurCountPerHour1", kStr, ""}, {21, "OccurCountPerHour2", kStr, ""}};
}

// table, column count, first, last, key, auto-increment, composite, memory-only, excluded, columns, relations
const TableFacts kFaceStatisticsTables[] = {
    {"TBL_VasStatistics", 22, "VasStatisticsID", "OccurCountPerHour2", "VasStatisticsID", true, false, false, false,
     StatisticsColumns(), {}},
    {"TBL_VasWeeklyStatistics", 22, "VasWeeklyStatisticsID", "OccurCountPerHour2", "VasWeeklyStatisticsID", true,
     false, false, false, StatisticsColumns(), {}},
    {"TBL_VasMonthlyStatistics", 22, "VasMonthlyStatisticsID", "OccurCountPerHour2", "VasMonthlyStatisticsID", true,
     false, false, false, StatisticsColumns(), {}},
    {"TBL_VasObjectCount", 9, "VasObjectCountID", "BackwardObjectCountPerClass", "VasObjectCountID", true, false,
     false, false,
     {{1, "VasDeviceID", kInt, "0"}, {3, "VasLineCrossNumber", kInt, "0"}, {4, "DateTimeUpdated", kDateTime, ""},
      {6, "TotalBackwardCount", kInt, "0"}, {7, "ForwardObjectCountPerClass", kStr, ""}},
     {}},
    {"TBL_FRPerson", 3, "PersonID", "FeatureMap", "PersonID", true, false, false, false,
     {{1, "Name", kStr, ""}, {2, "FeatureMap", kStr, ""}},
     {{"TBL_FRPersonDetail", "PersonID", kDelete}, {"TBL_FRImage", "PersonID", kDelete}}},
    {"TBL_FRPersonDetail", 13, "PersonDetailID", "Reserved4", "PersonDetailID", true, false, false, false,
     {{1, "PersonID", kInt, "0"}, {5, "Gender", kInt, "1"}, {6, "UnifiedNumber", kStr, ""}, {7, "Contact", kStr, ""},
      {8, "Description", kStr, ""}, {10, "Reserved2", kInt, "0"}, {11, "Reserved3", kStr, ""}},
     {}},
    {"TBL_FRImage", 3, "ImageID", "ImageData", "ImageID", true, false, false, false,
     {{1, "PersonID", kInt, "0"}, {2, "ImageData", kStr, ""}},
     {}},
    {"TBL_FRProperties", 4, "PersonPropertyID", "Name", "PersonPropertyID", true, false, false, false,
     {{1, "PropertyType", kInt, "0"}, {2, "DisplayOrder", kInt, "0"}},
     {}},
    {"TBL_VasFRFaceGroup", 4, "VasFRFaceGroupID", "FaceList", "VasFRFaceGroupID", true, false, false, false,
     {{1, "IsDeleted", kBool, "0"}, {2, "GroupName", kStr, ""}},
     {}},
    {"TBL_VasDatabase", 12, "VasDatabaseID", "ExternalPort", "VasDatabaseID", true, false, false, false,
     {{1, "DBName", kStr, ""}, {3, "Port", kInt, "4406"}, {5, "Password", kStr, ""}, {7, "RecordEnable", kBool, "1"},
      {8, "DateTimeAdded", kDateTime, ""}, {9, "UseExternalAddress", kBool, "0"}, {11, "ExternalPort", kInt, "0"}},
     {}},
};

class FaceStatisticsTableFactsTest : public ::testing::TestWithParam<const TableFacts*> {};

TEST_P(FaceStatisticsTableFactsTest, NewRowMatchesTheTable) { ExpectTableFacts(*GetParam()); }

INSTANTIATE_TEST_SUITE_P(FaceStatisticsTables, FaceStatisticsTableFactsTest,
                         ::testing::ValuesIn([] {
                           std::vector<const TableFacts*> tables;
                           for (const TableFacts& facts : kFaceStatisticsTables) tables.push_back(&facts);
                           return tables;
                         }()),
                         TableFactsParamName);

// A missing column keeps the default; an empty text gives 0.
TEST(FaceStatisticsTables, LoadingKeepsDefaultsOfMissingColumns) {
  const struct {
    const char* table;
    const char* column;
    const char* loaded;
    const char* expected;
  } cases[] = {
      {"TBL_FRPersonDetail", "gender", nullptr, "1"},   {"TBL_FRPersonDetail", "gender", "", "0"},
      {"TBL_VasDatabase", "port", nullptr, "4406"},     {"TBL_VasDatabase", "recordenable", nullptr, "1"},
      {"TBL_VasDatabase", "recordenable", "", "0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.table) + "." + c.column);
    std::unique_ptr<CDBEntity> row = NewRow(c.table);
    ASSERT_NE(row, nullptr);
    if (c.loaded) {
      LoadValues(*row, {{c.column, c.loaded}});
    } else {
      LoadValues(*row, {{"unrelated", "7"}});
    }
    std::string column;
    for (const CColumnValue& value : row->GetColumnValues()) {
      std::string lower = value.GetName();
      for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      if (lower == c.column) column = value.GetName();
    }
    EXPECT_EQ(ColumnValueText(*row, column), c.expected);
  }
}

// The class map answers what was set, adds nothing on a miss, and is neither
// loaded, copied by a clone, nor taken from the per-class texts.
TEST(FaceStatisticsTables, ObjectCountMapRidesBesideTheColumns) {
  auto row = std::make_unique<CTBLVasObjectCount>();
  EXPECT_EQ(row->GetObjectCountClassCount(), 0u);
  row->SetObjectCountPerClass(2, 5, 3);
  int forward = -1;
  int backward = -1;
  EXPECT_TRUE(row->GetObjectCountPerClass(2, &forward, &backward));
  EXPECT_EQ(forward, 5);
  EXPECT_EQ(backward, 3);
  EXPECT_FALSE(row->GetObjectCountPerClass(7, &forward, &backward));
  EXPECT_EQ(forward, 0);
  EXPECT_EQ(backward, 0);
  EXPECT_EQ(row->GetObjectCountClassCount(), 1u) << "a miss adds no entry";

  LoadValues(*row, {{"vasobjectcountid", "4"}, {"totalforwardcount", "9"}, {"forwardobjectcountperclass", "1:4,2:5"}});
  std::unique_ptr<CDBEntity> clone(row->Clone());
  auto* copy = dynamic_cast<CTBLVasObjectCount*>(clone.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetVasObjectCountID(), 4);
  EXPECT_EQ(copy->GetTotalForwardCount(), 9);
  EXPECT_EQ(copy->GetForwardObjectCountPerClass(), "1:4,2:5");
  EXPECT_EQ(copy->GetObjectCountClassCount(), 0u) << "a clone starts with an empty map";

  auto loaded = NewRow("TBL_VasObjectCount");
  LoadValues(*loaded, {{"forwardobjectcountperclass", "1:4"}, {"backwardobjectcountperclass", "1:2"}});
  EXPECT_EQ(dynamic_cast<CTBLVasObjectCount&>(*loaded).GetObjectCountClassCount(), 0u);
}

class FaceStoreTest : public AnalysisStoreTest {};

// A person's delete takes its detail rows and its images along (the relation
// list names the details first); other persons keep theirs.
TEST_F(FaceStoreTest, APersonTakesItsDetailsAndImagesAlong) {
  CTBLFRPerson person;
  person.SetName("kim");
  auto kim = Add(person);
  person.SetName("lee");
  auto lee = Add(person);
  ASSERT_TRUE(kim && lee);
  for (int i = 0; i < 2; ++i) {
    CTBLFRPersonDetail detail;
    detail.SetPersonID(kim->GetID());
    Add(detail);
  }
  for (int owner : {kim->GetID(), kim->GetID(), kim->GetID(), lee->GetID()}) {
    CTBLFRImage image;
    image.SetPersonID(owner);
    image.SetImageData("img");
    Add(image);
  }
  ASSERT_TRUE(store_->DeleteEntity(kim.get(), 0));
  EXPECT_EQ(Count("TBL_FRPerson"), 1u);
  EXPECT_EQ(Count("TBL_FRPersonDetail"), 0u);
  EXPECT_EQ(OnlyRowValue("TBL_FRImage", "PersonID"), std::to_string(lee->GetID()));
  EXPECT_TRUE(store_->GetCachedEntityList("TBL_FRPersonDetail").empty());
  EXPECT_EQ(store_->GetCachedEntityList("TBL_FRImage").size(), 1u);
}

// A face group is only marked deleted: lists leave it out, its row stays.
TEST_F(FaceStoreTest, AFaceGroupIsSoftDeleted) {
  CTBLVasFRFaceGroup group;
  group.SetGroupName("staff");
  group.SetFaceList("1,2");
  auto staff = Add(group);
  ASSERT_TRUE(staff);
  ASSERT_TRUE(store_->DeleteEntity(staff.get(), 0));
  EXPECT_EQ(OnlyRowValue("TBL_VasFRFaceGroup", "IsDeleted"), "1");
  EXPECT_EQ(OnlyRowValue("TBL_VasFRFaceGroup", "FaceList"), "1,2");
  store_->UnloadEntityList("TBL_VasFRFaceGroup");
  store_->HasEntityList("TBL_VasFRFaceGroup");  // loads the table again
  EXPECT_TRUE(store_->GetCachedEntityList("TBL_VasFRFaceGroup").empty());
  EntityPtr read = Find("TBL_VasFRFaceGroup", "VasFRFaceGroupID", staff->GetID());
  ASSERT_TRUE(read);
  EXPECT_EQ(ColumnValueText(*read, "IsDeleted"), "1");
}

}  // namespace
