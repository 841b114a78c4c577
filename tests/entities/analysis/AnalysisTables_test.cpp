// The facts of every analysis and schedule table: column count and order,
// kinds, the values of a new row, key, flags and relations; loading and
// cloning; and the tables as the creation script makes them in MariaDB.
#include <gtest/gtest.h>
#include <mysql.h>

#include "DatabaseRowTest.h"
#include "RowTestSupport.h"

namespace {

const TableFacts kClassGroup{
    "TBL_VasClassGroup", 4, "VasClassGroupID", "ScheduleTaskID", "VasClassGroupID", true, false, false, false,
    {{1, "VasDeviceID", kInt, "0"}, {2, "ClassList", kStr, ""}, {3, "ScheduleTaskID", kInt, "0"}},
    {}};

const TableFacts kCrowdDensity{
    "TBL_VasCrowdDensity", 11, "VasCrowdDensityID", "DensityLevel4", "VasCrowdDensityID", true, false, false, false,
    {{1, "VasROIID", kInt, "0"}, {2, "Area", kInt, "0"}, {5, "GuidanceText", kStr, ""},
     {6, "DensityLevelType", kInt, "0"}, {7, "DensityLevel1", kInt, "0"}},
    {}};

const TableFacts kWaterLevel{
    "TBL_VasWaterLevel", 12, "VasWaterLevelID", "WaterLevel4", "VasWaterLevelID", true, false, false, false,
    {{1, "VasROIID", kInt, "0"}, {4, "SkewAngleX", kInt, "0"}, {6, "HighLevelMeter", kInt, "0"},
     {7, "LowLevelMeter", kInt, "100"}, {8, "WaterLevel1", kInt, "20"}, {9, "WaterLevel2", kInt, "40"},
     {10, "WaterLevel3", kInt, "60"}, {11, "WaterLevel4", kInt, "80"}},
    {}};

const TableFacts kObjectCounts{
    "TBL_ObjectCounts", 12, "ObjectCountID", "DateTimeUpdated", "ObjectCountID", true, false, false, false,
    {{1, "DeviceID", kInt, "0"}, {9, "RecordedOutCount", kInt, "0"}, {10, "DateTimeRecorded", kDateTime, ""}},
    {}};

const TableFacts kObjectCountHistories{
    "TBL_ObjectCountHistories", 8, "ObjectCountHistoryID", "DateTimeAdded", "ObjectCountHistoryID", true, false,
    false, true,
    {{2, "PeriodType", kInt, "0"}, {7, "DateTimeAdded", kDateTime, ""}},
    {}};

const TableFacts kRegion{
    "TBL_VasROI", 25, "VasROIID", "MovingObjectDistancePercent", "VasROIID", true, false, false, false,
    {{1, "VasDeviceID", kInt, "0"},
     {2, "Enable", kBool, "0"},
     {3, "ROINumber", kInt, "0"},
     {4, "Name", kStr, ""},
     {5, "Type", kInt, "1"},
     {9, "ObjectCropPercent", kInt, "100"},
     {10, "ObjectOverlapPercent", kInt, "30"},
     {11, "VasIntelligentEventID", kInt, "0"},
     {12, "ScheduleTaskID", kInt, "0"},
     {13, "Priority", kInt, "1"},
     {14, "IsAlarm", kBool, "1"},
     {16, "DwellTime", kInt, "3"},
     {18, "PTZPresetLatency", kInt, "1000"},
     {20, "Sensitivity", kInt, "5"},
     {21, "Detail1", kStr, ""},
     {22, "ObjectDwellTime", kInt, "3"},
     {23, "NewEventInterval", kInt, "600"},
     {24, "MovingObjectDistancePercent", kInt, "1"}},
    {{"TBL_VasROIPoints", "VasROIID", kDelete},
     {"TBL_VasCrowdDensity", "VasROIID", kDelete},
     {"TBL_VasWaterLevel", "VasROIID", kDelete}}};

const TableFacts kRegionPoints{
    "TBL_VasROIPoints", 5, "VasROIPointID", "PointOrder", "VasROIPointID", true, false, false, false,
    {{1, "VasROIID", kInt, "0"}, {2, "ROIPointX", kInt, "0"}, {3, "ROIPointY", kInt, "0"}},
    {}};

const TableFacts kRegionClassGroup{
    "TBL_VasROIClassGroup", 3, "VasROIClassGroupID", "ClassList", "VasROIClassGroupID", true, false, false, false,
    {{1, "VasROIID", kInt, "0"}, {2, "ClassList", kStr, ""}},
    {}};

const TableFacts kLineCross{
    "TBL_VasLineCross", 25, "VasLineCrossID", "AutoCountingResetMode", "VasLineCrossID", true, false, false, false,
    {{1, "VasDeviceID", kInt, "0"},
     {2, "Number", kInt, "0"},
     {6, "Type", kInt, "0"},
     {8, "IsAlarm", kBool, "1"},
     {14, "Enable", kBool, "1"},
     {15, "DateTimeReset", kDateTime, ""},
     {18, "UseEvent", kBool, "1"},
     {19, "UseObjectCounting", kBool, "0"},
     {20, "IsLineGrouping", kBool, "0"},
     {23, "OrderInGroup", kInt, "0"}},
    {}};

const TableFacts kIntelligentEvent{
    "TBL_VasIntelligentEvent", 25, "VasIntelligentEventID", "AutoCloseTime", "VasIntelligentEventID", true, false,
    false, false,
    {{1, "Name", kStr, ""},
     {2, "ClassList", kStr, ""},
     {4, "Type", kInt, "1"},
     {6, "ObjectCropPercent", kInt, "100"},
     {7, "ObjectOverlapPercent", kInt, "100"},
     {8, "IsDeleted", kBool, "0"},
     {12, "EventType", kInt, "1"},
     {13, "ClassOverlapSize", kInt, "30"},
     {14, "ClassOverlapMethod", kInt, "1"},
     {17, "FaceDetectionMethod", kInt, "0"},
     {18, "IllegalDumpingType", kInt, "2"},
     {19, "ClusterSize", kInt, "2"},
     {23, "ClassesToShowTogether", kStr, ""}},
    {{"TBL_VasROI", "VasIntelligentEventID", kSetZero}, {"TBL_VasEventAreaColor", "VasIntelligentEventID", kDelete}}};

const TableFacts kEventActionHistory{
    "TBL_VasEventActionHistory", 23, "VasEventActionHistoryID", "IsProcessed", "VasEventActionHistoryID", true,
    false, false, false,
    {{1, "VasMetaID", kU64, "0"},
     {8, "DateTimeAdded", kDateTime, ""},
     {14, "IsRightEvent", kBool, "1"},
     {15, "Description", kStr, ""},
     {17, "VasThumbnailID", kU64, "0"},
     {21, "IsAlarm", kBool, "1"},
     {22, "IsProcessed", kBool, "1"}},
    {}};

const TableFacts kAnalysisScheduleTasks{
    "TBL_ScheduleTasks", 9, "ScheduleTaskID", "DateTimeUpdated", "ScheduleTaskID", true, false, false, false,
    {{3, "Name", kStr, ""}, {4, "Enabled", kBool, "0"}, {8, "DateTimeUpdated", kDateTime, ""}},
    {{"TBL_Schedules", "ScheduleTaskID", kDelete},
     {"TBL_VasROI", "ScheduleTaskID", kSetZero},
     {"TBL_VasClassList", "ScheduleTaskID", kSetZero}}};

const TableFacts kAnalysisSchedules{
    "TBL_Schedules", 9, "ScheduleID", "AllDay", "ScheduleID", true, false, false, false,
    {{1, "NetworkFilterID", kInt, "0"},
     {2, "ScheduleTaskID", kInt, "0"},
     {4, "StartDate", kDate, ""},
     {5, "StartTime", kTime, ""},
     {6, "EndDate", kDate, ""},
     {7, "EndTime", kTime, ""},
     {8, "AllDay", kBool, "0"}},
    {{"TBL_ScheduleWeeks", "ScheduleID", kDelete}, {"TBL_TimeCoverages", "ScheduleID", kDelete}}};

const TableFacts kAnalysisScheduleWeeks{
    "TBL_ScheduleWeeks", 9, "ScheduleWeekID", "Sunday", "ScheduleWeekID", true, false, false, false,
    {{1, "ScheduleID", kInt, "0"}, {2, "Monday", kBool, "0"}, {8, "Sunday", kBool, "0"}},
    {{"TBL_TimeCoverages", "ScheduleWeekID", kDelete}}};

const TableFacts kAnalysisTimeCoverages{
    "TBL_TimeCoverages", 5, "TimeCoverageID", "EndTime", "TimeCoverageID", true, false, false, false,
    {{2, "ScheduleWeekID", kInt, "0"}, {3, "StartTime", kTime, ""}, {4, "EndTime", kTime, ""}},
    {}};

const TableFacts* const kAnalysisTables[] = {&kClassGroup,        &kCrowdDensity,     &kWaterLevel,      &kObjectCounts,
                                     &kObjectCountHistories, &kRegion,         &kRegionPoints,    &kRegionClassGroup,
                                     &kLineCross,         &kIntelligentEvent, &kEventActionHistory,
                                     &kAnalysisScheduleTasks,     &kAnalysisSchedules,        &kAnalysisScheduleWeeks,   &kAnalysisTimeCoverages};

class AnalysisTableFactsTest : public ::testing::TestWithParam<const TableFacts*> {};

TEST_P(AnalysisTableFactsTest, NewRowMatchesTheTable) { ExpectTableFacts(*GetParam()); }

INSTANTIATE_TEST_SUITE_P(AnalysisTables, AnalysisTableFactsTest, ::testing::ValuesIn(kAnalysisTables),
                         [](const auto& info) {
                           std::string name = info.param->table;
                           for (char& c : name) {
                             if (c == '_') c = 'x';
                           }
                           return name;
                         });

// A column the result row lacks keeps its default; an empty text gives 0;
// a clone carries what was loaded.
TEST(AnalysisTables, LoadingKeepsMissingColumnsAndReadsEmptyAsZero) {
  struct Case {
    const char* table;
    const char* column;  // as the table spells it
    const char* initial;
  } cases[] = {
      {"TBL_VasWaterLevel", "WaterLevel2", "40"},  {"TBL_VasWaterLevel", "LowLevelMeter", "100"},
      {"TBL_VasROI", "PTZPresetLatency", "1000"},  {"TBL_VasROI", "IsAlarm", "1"},
      {"TBL_VasLineCross", "UseEvent", "1"},       {"TBL_VasIntelligentEvent", "IllegalDumpingType", "2"},
      {"TBL_VasEventActionHistory", "IsProcessed", "1"}, {"TBL_Vas", "ControlPort", "28999"},
      {"TBL_VasDevice", "AnalysisFps", "5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.table) + "." + c.column);
    std::unique_ptr<CDBEntity> row = NewRow(c.table);
    ASSERT_NE(row, nullptr);
    CKeyValueData other = KeyValues({{"unrelated", "7"}});
    row->LoadFrom(other);
    EXPECT_EQ(ColumnValueText(*row, c.column), c.initial);
    std::string lower = c.column;
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    CKeyValueData empty = KeyValues({{lower, ""}});
    row->LoadFrom(empty);
    EXPECT_EQ(ColumnValueText(*row, c.column), "0");
    CKeyValueData seven = KeyValues({{lower, "7"}});
    row->LoadFrom(seven);
    std::unique_ptr<CDBEntity> clone(row->Clone());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(ColumnValueText(*clone, c.column), "7");
    EXPECT_FALSE(row->HasChanges());
  }
}

// The creation script's tables in MariaDB: every analysis and schedule table
// with its columns in the row class's order and of the types its kinds give.
class AnalysisSchema : public DatabaseRowTest {
 protected:
  void SetUp() override {
    DatabaseRowTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    conn_ = mysql_init(nullptr);
    ASSERT_NE(mysql_real_connect(conn_, db_.host.c_str(), db_.user.c_str(), db_.password.c_str(), name_.c_str(),
                                 db_.port, nullptr, 0),
              nullptr)
        << mysql_error(conn_);
  }
  void TearDown() override {
    if (conn_) mysql_close(conn_);
    DatabaseRowTest::TearDown();
  }
  // "<column> <data type>" of every column of `table`, in the table's order.
  std::vector<std::string> Columns(const std::string& table) {
    std::vector<std::string> columns;
    std::string sql = "SELECT COLUMN_NAME, DATA_TYPE FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = '" +
                      name_ + "' AND TABLE_NAME = '" + table + "' ORDER BY ORDINAL_POSITION";
    EXPECT_EQ(mysql_query(conn_, sql.c_str()), 0) << mysql_error(conn_);
    MYSQL_RES* result = mysql_store_result(conn_);
    if (!result) return columns;
    while (MYSQL_ROW row = mysql_fetch_row(result)) columns.push_back(std::string(row[0]) + " " + row[1]);
    mysql_free_result(result);
    return columns;
  }

  MYSQL* conn_ = nullptr;
};

const char* DataTypeOf(int kind) {
  switch (kind) {
    case kColumnKindInt:
      return "int";
    case kColumnKindBool:
      return "tinyint";
    case kColumnKindUInt64:
      return "bigint";
    case kColumnKindDateTime:
      return "datetime";
    case kColumnKindDate:
      return "date";
    case kColumnKindTime:
      return "time";
    case kColumnKindString:
      return "varchar";
    default:
      return "?";
  }
}

TEST_F(AnalysisSchema, TablesHaveTheRowClassesColumnsAndKinds) {
  std::vector<const char*> tables = {"TBL_Vas", "TBL_VasDevice"};
  for (const TableFacts* facts : kAnalysisTables) tables.push_back(facts->table);
  for (const char* table : tables) {
    std::unique_ptr<CDBEntity> row = NewRow(table);
    ASSERT_NE(row, nullptr) << table;
    std::vector<std::string> expected;
    for (const CColumnValue& value : row->GetColumnValues()) {
      expected.push_back(value.GetName() + " " + DataTypeOf(value.GetKind()));
    }
    EXPECT_EQ(Columns(table), expected) << table;
  }
}

}  // namespace
