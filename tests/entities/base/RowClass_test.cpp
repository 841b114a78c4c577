// Rows declared with the row-class pattern: columns, loading, keys and flags.
#include "entities/base/RowClass.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/IDCreater.h"

#include "TestRows.h"

namespace {

TEST(RowClassColumns, ReportEveryColumnInOrderWithItsKindAndInitialValue) {
  CTestStorage row;
  std::vector<CColumnValue> expected = {
      {"StorageID", "0", kColumnKindInt},   {"ZavID", "0", kColumnKindInt},
      {"StorageName", "", kColumnKindString}, {"IsDeleted", "0", kColumnKindBool},
      {"Capacity", "0", kColumnKindUInt32}, {"UsedBytes", "0", kColumnKindUInt64},
      {"Ratio", "0", kColumnKindFloat},     {"Latitude", "0", kColumnKindDouble},
      {"DateTimeAdded", "", kColumnKindDateTime}, {"day_of_use", "", kColumnKindDate},
      {"_start_time_", "", kColumnKindTime}, {"Memo", "", kColumnKindString},
      {"web_port", "554", kColumnKindInt},
  };
  EXPECT_EQ(row.GetColumnValues(), expected);
  EXPECT_EQ(row.GetWebPort(), 554);
}

TEST(RowClassColumns, AccessorsFollowTheNamingRule) {
  struct Case {
    const char* column;
    const char* suffix;
  } cases[] = {{"zav_no", "ZavNo"},           {"_order_", "Order"},
               {"UserMacAddressID", "UserMacAddressID"}, {"day_of_use", "DayOfUse"},
               {"web__port", "WebPort"},       {"", ""}};
  for (const Case& c : cases) EXPECT_EQ(AccessorSuffixFor(c.column), c.suffix) << c.column;
  // The generated accessors exist under those names.
  CTestStorage row;
  row.SetDayOfUse("2024-05-01");
  row.SetStartTime("08:00:00");
  EXPECT_EQ(row.GetDayOfUse(), "2024-05-01");
  EXPECT_EQ(row.GetOriginalValue("_start_time_"), "");
  EXPECT_TRUE(row.IsColumnChanged("_start_time_"));
}

TEST(RowClassLoad, ConvertsEachKindAndRecordsNothing) {
  CTestStorage row;
  CKeyValueData values = KeyValues({{"storageid", "12abc"},
                              {"storagename", "it's"},
                              {"isdeleted", "1"},
                              {"capacity", "4294967296"},
                              {"usedbytes", "18446744073709551615"},
                              {"ratio", "x"},
                              {"latitude", "37.5665"},
                              {"datetimeadded", "2024-01-02 03:04:05"},
                              {"day_of_use", "2024-01-02"},
                              {"_start_time_", "03:04:05"},
                              {"web_port", ""}});
  int notifications = 0;
  row.Subscribe("count", [](CDBEntity*, const char*, void* n) { ++*static_cast<int*>(n); }, &notifications);
  row.LoadFrom(values);
  EXPECT_EQ(row.GetStorageID(), 12);
  EXPECT_EQ(row.GetStorageName(), "it's");
  EXPECT_EQ(row.GetIsDeleted(), 1);
  EXPECT_EQ(row.GetCapacity(), 0u);  // low 32 bits
  EXPECT_EQ(row.GetUsedBytes(), 18446744073709551615ull);
  EXPECT_EQ(row.GetRatio(), 0.0f);
  EXPECT_DOUBLE_EQ(row.GetLatitude(), 37.5665);
  EXPECT_EQ(row.GetDateTimeAdded(), "2024-01-02 03:04:05");
  EXPECT_EQ(row.GetDayOfUse(), "2024-01-02");
  EXPECT_EQ(row.GetStartTime(), "03:04:05");
  EXPECT_EQ(row.GetWebPort(), 0);  // empty gives 0
  EXPECT_FALSE(row.HasChanges());
  EXPECT_EQ(notifications, 0);
}

TEST(RowClassLoad, MissingColumnsKeepTheirValuesAndNamesMustBeLowerCase) {
  CTestStorage row;
  row.SetStorageName("kept");
  CKeyValueData mixedCase = KeyValues({{"StorageName", "x"}, {"WEB_PORT", "1"}, {"ZavID", "3"}, {"zavid", "4"}});
  row.LoadFrom(mixedCase);
  EXPECT_EQ(row.GetStorageName(), "kept");
  EXPECT_EQ(row.GetWebPort(), 554);
  EXPECT_EQ(row.GetZavID(), 0);  // the column loads under "nrsid" only
  CKeyValueData renamed = KeyValues({{"nrsid", "9"}});
  row.LoadFrom(renamed);
  EXPECT_EQ(row.GetZavID(), 9);
}

TEST(RowClassLoad, ALegacyNameStandsInOnlyWhenTheOwnNameIsMissing) {
  struct Case {
    const char* what;
    CKeyValueData row;
    int videoLoss;
  } cases[] = {
      {"own name", KeyValues({{"videoloss", "3"}}), 3},
      {"legacy name", KeyValues({{"video_loss", "4"}}), 4},
      {"own name wins", KeyValues({{"video_loss", "4"}, {"videoloss", "5"}}), 5},
      {"own name wins even when empty", KeyValues({{"videoloss", ""}, {"video_loss", "4"}}), 0},
      {"empty legacy text gives 0", KeyValues({{"video_loss", ""}}), 0},
      {"neither keeps the value", KeyValues({{"deviceid", "2"}}), 7},
  };
  for (Case& c : cases) {
    CTestStatus row;
    row.SetVideoLoss(7);
    row.ClearChanges();
    row.LoadFrom(c.row);
    EXPECT_EQ(row.GetVideoLoss(), c.videoLoss) << c.what;
    EXPECT_FALSE(row.HasChanges()) << c.what;
  }
  // One result row read into several rows keeps its resolved names apart
  // from other tables'.
  CKeyValueData shared = KeyValues({{"video_loss", "6"}, {"zavid", "1"}});
  CTestStatus first;
  CTestStorage other;
  CTestStatus second;
  first.LoadFrom(shared);
  other.LoadFrom(shared);
  second.LoadFrom(shared);
  EXPECT_EQ(first.GetVideoLoss(), 6);
  EXPECT_EQ(second.GetVideoLoss(), 6);
}

// Cells read in place from the client library's row buffer carry no
// terminator: each loads exactly as the same text from a value list does,
// never reading into the bytes that follow it.
TEST(RowClassLoad, CellsReadInPlaceLoadAsTheSameTexts) {
  const std::vector<std::pair<std::string, std::string>> columns = {
      {"storageid", "12"},          {"zavid", "-7"},     {"storagename", "it's"},
      {"capacity", "4294967295"},   {"ratio", "0.5"},    {"latitude", "37.5665"},
      {"usedbytes", std::string(70, '0') + "5"},  // longer than any number's text
      {"web_port", ""}};
  // One buffer with digits after every cell: a reader that runs past a
  // cell's end reads them into its number.
  std::string buffer;
  std::vector<size_t> offsets;
  for (const auto& column : columns) {
    offsets.push_back(buffer.size());
    buffer += column.second + "99";
  }
  CKeyValueData::ColumnIndex index;
  CKeyValueData::Values values;
  std::vector<CKeyValueData::Cell> cells;
  for (size_t i = 0; i < columns.size(); ++i) {
    index[columns[i].first] = static_cast<int>(i);
    values.push_back(columns[i].second);
    cells.push_back({buffer.data() + offsets[i], columns[i].second.size()});
  }
  index["memo"] = static_cast<int>(cells.size());  // SQL NULL
  values.emplace_back();
  cells.push_back({nullptr, 0});

  CKeyValueData fromValues(&index, &values);
  CKeyValueData fromCells(&index, nullptr);
  fromCells.SetCells(cells.data(), cells.size());
  CTestStorage expected;
  CTestStorage loaded;
  expected.SetMemo("x");
  loaded.SetMemo("x");
  loaded.ClearChanges();
  expected.LoadFrom(fromValues);
  loaded.LoadFrom(fromCells);
  EXPECT_EQ(loaded.GetColumnValues(), expected.GetColumnValues());
  EXPECT_EQ(loaded.GetStorageID(), 12);
  EXPECT_EQ(loaded.GetZavID(), 0);  // loads under "nrsid" only
  EXPECT_EQ(loaded.GetUsedBytes(), 5u);
  EXPECT_EQ(loaded.GetWebPort(), 0);
  EXPECT_EQ(loaded.GetMemo(), "");
  EXPECT_FALSE(loaded.HasChanges());

  // Looked up by name, a cell gives its own text; a NULL cell an empty one.
  ASSERT_TRUE(fromCells.Find("storagename"));
  EXPECT_EQ(*fromCells.GetValue(), "it's");
  ASSERT_TRUE(fromCells.Find("memo"));
  EXPECT_EQ(*fromCells.GetValue(), "");
  // Positions outside the row give nothing, and the next row is another cell list.
  std::string_view text;
  EXPECT_FALSE(fromCells.GetText(cells.size(), &text));
  const CKeyValueData::Cell next[] = {{"3", 1}};
  fromCells.SetCells(next, 1);
  EXPECT_EQ(fromCells.GetValue(), nullptr);  // the current column is cleared for the next row
  ASSERT_TRUE(fromCells.Find("storageid"));
  EXPECT_EQ(*fromCells.GetValue(), "3");
  ASSERT_TRUE(fromCells.Find("zavid"));
  EXPECT_EQ(fromCells.GetValue(), nullptr);  // beyond this row's cells
}

TEST(RowClassLoad, WriteColumnsGivesEveryColumnUnderItsLowerCaseName) {
  CTestStorage row;
  row.SetStorageName("nas");
  CKeyValueData written;
  row.WriteColumns(written);
  EXPECT_EQ(written.GetValues().size(), row.GetColumnValues().size());
  ASSERT_TRUE(written.Find("storagename"));
  EXPECT_EQ(*written.GetValue(), "nas");
  ASSERT_TRUE(written.Find("datetimeadded"));
  EXPECT_EQ(*written.GetValue(), "");  // also the empty ones
  EXPECT_FALSE(written.Find("StorageName"));
}

TEST(RowClassKeys, AutoIncrementKeyIsTheFirstColumn) {
  CTestStorage row;
  EXPECT_STREQ(row.GetTableName(), "TBL_TestStorage");
  EXPECT_STREQ(row.GetKeyColumnName(), "StorageID");
  EXPECT_TRUE(row.HasKeyColumn());
  EXPECT_TRUE(row.IsAutoIncrementKey());
  EXPECT_FALSE(row.HasCompositeKey());
  EXPECT_FALSE(row.HasInt64ID());
  EXPECT_EQ(row.GetCompositeKeyPart1(), CColumnValue());
  row.SetID(-1);
  EXPECT_EQ(row.GetStorageID(), -1);
  EXPECT_TRUE(row.IsColumnChanged("StorageID"));  // through the column's setter
  EXPECT_EQ(row.GetID64(), static_cast<uint64_t>(-1));  // widened with its sign
  row.SetID64(0x100000007ull);
  EXPECT_EQ(row.GetID(), 7);  // low 32 bits
}

TEST(RowClassKeys, SixtyFourBitKeyKeepsItsWholeValue) {
  CTestMeta row;
  EXPECT_TRUE(row.HasInt64ID());
  EXPECT_TRUE(row.IsAutoIncrementKey());
  row.SetID64(0x80000000ull + 5);
  EXPECT_EQ(row.GetColumnValues()[0].GetValue(), "2147483653");
  EXPECT_EQ(row.GetID(), static_cast<int>(0x80000005u));  // low 32 bits
  row.SetID(-2);
  EXPECT_EQ(row.GetMetaID(), 18446744073709551614ull);  // widened with its sign
  EXPECT_EQ(row.GetID64(), 18446744073709551614ull);
}

TEST(RowClassKeys, TwoColumnKeyReportsBothPartsAndAHiddenRowId) {
  CTestLink row;
  EXPECT_STREQ(row.GetKeyColumnName(), "");
  EXPECT_FALSE(row.HasKeyColumn());
  EXPECT_TRUE(row.HasCompositeKey());
  EXPECT_FALSE(row.IsAutoIncrementKey());
  row.SetCameraGroupNo(4);
  row.SetCameraNo(-9);
  EXPECT_EQ(row.GetCompositeKeyPart1(), CColumnValue("camera_group_no", "4", kColumnKindInt));
  EXPECT_EQ(row.GetCompositeKeyPart2(), CColumnValue("camera_no", "-9", kColumnKindInt));
  row.ClearChanges();
  int hidden = row.GetID();
  EXPECT_GT(hidden, 0);
  row.SetID(hidden + 100);  // plain: no record
  EXPECT_EQ(row.GetID(), hidden + 100);
  EXPECT_FALSE(row.HasChanges());
  EXPECT_EQ(row.GetColumnValues().size(), 3u);  // the hidden id is no column
}

TEST(RowClassKeys, KeylessRowsTakeConsecutiveHiddenRowIds) {
  int before = CIDCreater::GetInstance()->NextID("TBL_TestLog");
  CTestLog first;
  EXPECT_EQ(first.GetID(), before + 1);  // the ID source's count under the table name
  CTestLog second;
  EXPECT_EQ(second.GetID(), first.GetID() + 1);
  CTestLink link;
  CTestLog third;
  EXPECT_EQ(third.GetID(), second.GetID() + 1);  // other tables count on their own
  CTestLog copy(first);
  EXPECT_EQ(copy.GetID(), first.GetID());  // a copy is the same row and takes no new id
  CTestLog fourth;
  EXPECT_EQ(fourth.GetID(), third.GetID() + 1);
}

TEST(RowClassKeys, CopyToCopiesTheHiddenRowIdUnlessTheTableKeepsIt) {
  CTestLink source;
  CTestLink target;
  source.CopyTo(&target);
  EXPECT_EQ(target.GetID(), source.GetID());
  CTestLog log;
  log.SetMessage("m");
  std::unique_ptr<CDBEntity> clone(log.Clone());
  EXPECT_EQ(clone->GetColumnValues(), log.GetColumnValues());
  EXPECT_NE(clone->GetID(), log.GetID());  // the clone keeps the id it was built with
}

TEST(RowClassKeys, AKeyMayTakeATemporaryIdFromTheIdSource) {
  CTestClient first;
  CTestClient second;
  EXPECT_LT(first.GetClientID(), 0);  // temporary IDs never meet a database key
  EXPECT_EQ(second.GetClientID(), first.GetClientID() + 1);
  EXPECT_STREQ(first.GetKeyColumnName(), "ClientID");
  EXPECT_EQ(first.GetColumnValues()[0].GetName(), "clientid");
  EXPECT_FALSE(first.HasChanges());
}

TEST(RowClassFlags, FollowTheTableDeclaration) {
  EXPECT_FALSE(CTestStorage().IsExcludedFromCache());
  EXPECT_FALSE(CTestStorage().IsMemoryOnly());
  EXPECT_TRUE(CTestLog().IsExcludedFromCache());
  EXPECT_TRUE(CTestStatus().IsMemoryOnly());
  EXPECT_FALSE(CTestStatus().IsAutoIncrementKey());
  EXPECT_EQ(CTestStorage().GetDisplayText(), "");
  CTestStorage named;
  named.SetStorageName("nas-1");
  EXPECT_EQ(named.GetDisplayText(), "nas-1");
}

TEST(RowClassRelations, AreListedInOrder) {
  std::vector<CRelationInfo> relations = CTestStorage().GetRelationInfos();
  ASSERT_EQ(relations.size(), 2u);
  EXPECT_EQ(relations[0].GetRelatedTable(), "TBL_TestLink");
  EXPECT_EQ(relations[0].GetRelationColumn(), "camera_group_no");
  EXPECT_EQ(relations[0].GetMode(), kRelationModeDelete);
  EXPECT_EQ(relations[1].GetMode(), kRelationModeSetZero);
  EXPECT_TRUE(CTestMeta().GetRelationInfos().empty());
}

}  // namespace
