// The schema text of the row classes, checked on the test MariaDB server.
#include "entities/base/EntitySchema.h"

#include <gtest/gtest.h>
#include <mysql.h>

#include <memory>

#include "TestRows.h"
#include "support/TempDir.h"
#include "foundation/StringUtil.h"
#include "support/TestDatabase.h"

namespace {

TEST(EntitySchema, CreateTableTextFollowsTheColumnList) {
  EXPECT_EQ(GetCreateTableText(CTestStorage::Descriptor()),
            "CREATE TABLE IF NOT EXISTS `TBL_TestStorage` (\r\n"
            "  `StorageID` INT NOT NULL AUTO_INCREMENT,\r\n"
            "  `ZavID` INT,\r\n"
            "  `StorageName` VARCHAR(64),\r\n"
            "  `IsDeleted` TINYINT,\r\n"
            "  `Capacity` INT UNSIGNED,\r\n"
            "  `UsedBytes` BIGINT UNSIGNED,\r\n"
            "  `Ratio` FLOAT,\r\n"
            "  `Latitude` DOUBLE,\r\n"
            "  `DateTimeAdded` DATETIME,\r\n"
            "  `day_of_use` DATE,\r\n"
            "  `_start_time_` TIME,\r\n"
            "  `Memo` TEXT,\r\n"
            "  `web_port` INT,\r\n"
            "  PRIMARY KEY (`StorageID`)\r\n"
            ")");
  EXPECT_EQ(GetCreateTableText(CTestLink::Descriptor()),
            "CREATE TABLE IF NOT EXISTS `TBL_TestLink` (\r\n"
            "  `camera_group_no` INT NOT NULL,\r\n"
            "  `camera_no` INT NOT NULL,\r\n"
            "  `_order_` INT,\r\n"
            "  PRIMARY KEY (`camera_group_no`, `camera_no`)\r\n"
            ")");
  EXPECT_EQ(GetCreateTableText(CTestLog::Descriptor()),
            "CREATE TABLE IF NOT EXISTS `TBL_TestLog` (\r\n"
            "  `StorageID` INT,\r\n"
            "  `Message` VARCHAR(255)\r\n"
            ")");
  EXPECT_NE(GetCreateTableText(CTestMeta::Descriptor()).find("`MetaID` BIGINT UNSIGNED NOT NULL AUTO_INCREMENT"),
            std::string::npos);
  EXPECT_NE(GetCreateTableText(CTestClient::Descriptor()).find("`clientid` INT NOT NULL,"), std::string::npos);
}

// 120 text columns of the default length pass the row limit in a 4-byte character set.
#define WIDE_COLUMNS_10(C, n)                                                                        \
  C(String, "T" #n "0", T##n##0, "") C(String, "T" #n "1", T##n##1, "") C(String, "T" #n "2", T##n##2, "") \
  C(String, "T" #n "3", T##n##3, "") C(String, "T" #n "4", T##n##4, "") C(String, "T" #n "5", T##n##5, "") \
  C(String, "T" #n "6", T##n##6, "") C(String, "T" #n "7", T##n##7, "") C(String, "T" #n "8", T##n##8, "") \
  C(String, "T" #n "9", T##n##9, "")
#define WIDE_COLUMNS(C)                                                                             \
  C(Int, "WideID", WideID, 0)                                                                      \
  C(String, "Short", Short, "", column::VarChar(16))                                               \
  WIDE_COLUMNS_10(C, 0) WIDE_COLUMNS_10(C, 1) WIDE_COLUMNS_10(C, 2) WIDE_COLUMNS_10(C, 3)          \
  WIDE_COLUMNS_10(C, 4) WIDE_COLUMNS_10(C, 5) WIDE_COLUMNS_10(C, 6) WIDE_COLUMNS_10(C, 7)          \
  WIDE_COLUMNS_10(C, 8) WIDE_COLUMNS_10(C, 9) WIDE_COLUMNS_10(C, A) WIDE_COLUMNS_10(C, B)

class CTestWide : public CDBEntity {
  GATE_ENTITY_TABLE(CTestWide, "TBL_TestWide", WIDE_COLUMNS, AutoIncrement, "WideID", kEntityNoFlags)
};

GATE_REGISTER_ENTITY(CTestWide);

TEST(EntitySchema, AWideTableWritesItsDefaultLengthTextsAsText) {
  std::string text = GetCreateTableText(CTestWide::Descriptor());
  EXPECT_NE(text.find("`T00` TEXT"), std::string::npos);
  EXPECT_NE(text.find("`Short` VARCHAR(16)"), std::string::npos);  // an explicit length stays
  EXPECT_EQ(text.find("VARCHAR(255)"), std::string::npos);
}

TEST(EntitySchema, TheScriptHoldsEveryTableThatReachesTheDatabase) {
  std::string script = GetDatabaseCreationScript();
  EXPECT_NE(script.find("`TBL_TestStorage`"), std::string::npos);
  EXPECT_NE(script.find("`TBL_TestLog`"), std::string::npos);
  EXPECT_EQ(script.find("LTBL_TestStatus"), std::string::npos);  // memory-only
  // One statement per block: every block starts a CREATE TABLE.
  size_t blocks = 0;
  for (size_t at = 0; at != std::string::npos; at = script.find("\r\n\r\n", at + 1)) {
    size_t start = at == 0 ? 0 : at + 4;
    EXPECT_EQ(script.compare(start, 12, "CREATE TABLE"), 0) << script.substr(start, 40);
    ++blocks;
  }
  size_t databaseTables = 0;
  for (const std::string& name : CDBEntityFactory::GetTableNames()) {
    const CTableDescriptor* table = CDBEntityFactory::GetTableDescriptor(name);
    if (table && !table->HasFlag(kEntityMemoryOnly)) ++databaseTables;
  }
  EXPECT_EQ(blocks, databaseTables);

  TempDir dir;
  std::string path = dir.Join("create.sql");
  ASSERT_TRUE(WriteDatabaseCreationScript(path));
  EXPECT_EQ(ReadTestFile(path), script);
  EXPECT_FALSE(WriteDatabaseCreationScript(dir.Join("missing/create.sql")));
}

// A connection to a scratch database made from the creation script.
class SchemaOnServer : public ::testing::Test {
 protected:
  void SetUp() override {
    GATE_REQUIRE_DATABASE(db_);
    std::string error;
    name_ = CreateScratchDatabase(db_, "entities_base", &error);
    ASSERT_FALSE(name_.empty()) << error;
    ASSERT_TRUE(RunSqlScript(db_, name_, GetDatabaseCreationScript(), &error)) << error;
    conn_ = mysql_init(nullptr);
    mysql_options(conn_, MYSQL_SET_CHARSET_NAME, "euckr");
    ASSERT_NE(mysql_real_connect(conn_, db_.host.c_str(), db_.user.c_str(), db_.password.c_str(), name_.c_str(),
                                 db_.port, nullptr, 0),
              nullptr)
        << mysql_error(conn_);
  }
  void TearDown() override {
    if (conn_) mysql_close(conn_);
    if (!name_.empty()) DropScratchDatabase(db_, name_);
  }

  // Inserts the row as the database layer builds its INSERT: the columns of
  // GetColumnValues as SQL literals, without an auto-increment key and without
  // empty date and time texts. Returns the new key.
  uint64_t Insert(const CDBEntity& row) {
    std::string names, literals;
    for (const CColumnValue& value : row.GetColumnValues()) {
      if (row.IsAutoIncrementKey() && value.GetName() == row.GetKeyColumnName()) continue;
      bool dateOrTime = value.GetKind() == kColumnKindDateTime || value.GetKind() == kColumnKindDate ||
                        value.GetKind() == kColumnKindTime;
      if (dateOrTime && value.GetValue().empty()) continue;
      names += (names.empty() ? "`" : ", `") + value.GetName() + "`";
      literals += (literals.empty() ? "" : ", ") + value.GetSqlValueText();
    }
    std::string sql = std::string("INSERT INTO ") + row.GetTableName() + " (" + names + ") VALUES (" + literals + ")";
    EXPECT_EQ(mysql_real_query(conn_, sql.data(), sql.size()), 0) << sql << ": " << mysql_error(conn_);
    return mysql_insert_id(conn_);
  }

  // Every row of the table, read as the database layer reads them: lower-case
  // names, NULL as an empty text, each row loaded into a new row object.
  std::vector<std::unique_ptr<CDBEntity>> SelectAll(const std::string& table) {
    std::vector<std::unique_ptr<CDBEntity>> rows;
    std::string sql = "SELECT * FROM " + table;
    EXPECT_EQ(mysql_query(conn_, sql.c_str()), 0) << mysql_error(conn_);
    MYSQL_RES* result = mysql_store_result(conn_);
    if (!result) return rows;
    CKeyValueData::ColumnIndex index;
    MYSQL_FIELD* fields = mysql_fetch_fields(result);
    unsigned count = mysql_num_fields(result);
    for (unsigned i = 0; i < count; ++i) index[StrToLower(fields[i].name)] = static_cast<int>(i);
    while (MYSQL_ROW cells = mysql_fetch_row(result)) {
      unsigned long* lengths = mysql_fetch_lengths(result);
      CKeyValueData::Values values;
      for (unsigned i = 0; i < count; ++i) values.emplace_back(cells[i] ? std::string(cells[i], lengths[i]) : "");
      CKeyValueData view(&index, &values);
      rows.emplace_back(CDBEntityFactory::CreateEntity(table));
      if (rows.back()) rows.back()->LoadFrom(view);
    }
    mysql_free_result(result);
    return rows;
  }

  TestDatabase db_;
  std::string name_;
  MYSQL* conn_ = nullptr;
};

TEST_F(SchemaOnServer, RowsSurviveTheTripThroughTheDatabase) {
  CTestStorage row;
  CKeyValueData values = KeyValues({{"storagename", "it's C:\\dir \xC7\xD1\xB1\xDB"},  // quotes, backslash, EUC-KR
                                    {"nrsid", "-2147483648"},
                                    {"isdeleted", "1"},
                                    {"capacity", "4294967295"},
                                    {"usedbytes", "18446744073709551615"},
                                    {"ratio", "2.5"},
                                    {"latitude", "0.1"},
                                    {"datetimeadded", "2024-02-29 23:59:58"},
                                    {"day_of_use", "2024-02-29"},
                                    {"_start_time_", "23:59:58"},
                                    {"memo", std::string(1000, 'm')}});
  row.LoadFrom(values);
  row.SetID(static_cast<int>(Insert(row)));
  EXPECT_GT(row.GetID(), 0);

  std::vector<std::unique_ptr<CDBEntity>> read = SelectAll("TBL_TestStorage");
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0]->GetColumnValues()[1].GetValue(), "0");  // "ZavID" loads under "nrsid" only
  std::vector<CColumnValue> expected = row.GetColumnValues();
  expected[1] = CColumnValue("ZavID", "0", kColumnKindInt);
  EXPECT_EQ(read[0]->GetColumnValues(), expected);
}

TEST_F(SchemaOnServer, KeysOfEveryKindWorkOnTheServer) {
  CTestMeta meta;
  meta.SetLabel("first");
  meta.SetID64(Insert(meta));
  EXPECT_EQ(meta.GetID64(), 1u);
  CTestLink link;
  link.SetCameraGroupNo(1);
  link.SetCameraNo(2);
  Insert(link);
  std::string duplicate = "INSERT INTO TBL_TestLink (`camera_group_no`, `camera_no`) VALUES (1, 2)";
  EXPECT_NE(mysql_query(conn_, duplicate.c_str()), 0);  // the two-column key is the primary key
  CTestLog log;
  log.SetMessage("keyless");
  Insert(log);
  Insert(log);
  EXPECT_EQ(SelectAll("TBL_TestLog").size(), 2u);
  CTestWide wide;
  wide.SetT00(std::string(3000, 'w'));
  Insert(wide);
  std::vector<std::unique_ptr<CDBEntity>> wideRows = SelectAll("TBL_TestWide");
  ASSERT_EQ(wideRows.size(), 1u);
  EXPECT_EQ(static_cast<CTestWide*>(wideRows[0].get())->GetT00().size(), 3000u);
}

}  // namespace
