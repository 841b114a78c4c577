// The core tables in the database creation script: a scratch database made
// from the script holds every stored core table with its columns in the
// order of the row classes, and no live-status table.
#include <gtest/gtest.h>
#include <mysql.h>

#include "RowTestSupport.h"
#include "entities/base/EntitySchema.h"
#include "support/TestDatabase.h"

namespace {

const char* const kStoredTables[] = {"TBL_Camera",       "TBL_Zav",          "TBL_NasStorage",
                                     "TBL_Camera_Group", "TBL_Camera_Group_Camera_List",
                                     "TBL_Client",       "TBL_Record",       "TBL_Record_Schedule",
                                     "TBL_UserLog",      "TBL_UserMacAddress", "TBL_UserResources",
                                     "TBL_Permissions",  "TBL_UserPermissions"};
const char* const kLiveStatusTables[] = {"LTBL_DeviceStatus",    "LTBL_ZavStatus",     "LTBL_StorageStatus",
                                         "LTBL_VasStatus",       "LTBL_VasDeviceStatus", "LTBL_VasGPUStatus"};

class CoreSchema : public ::testing::Test {
 protected:
  void SetUp() override {
    GATE_REQUIRE_DATABASE(db_);
    std::string error;
    name_ = CreateScratchDatabase(db_, "entities_schema", &error);
    ASSERT_FALSE(name_.empty()) << error;
    ASSERT_TRUE(RunSqlScript(db_, name_, GetDatabaseCreationScript(), &error)) << error;
    conn_ = mysql_init(nullptr);
    ASSERT_NE(mysql_real_connect(conn_, db_.host.c_str(), db_.user.c_str(), db_.password.c_str(), name_.c_str(),
                                 db_.port, nullptr, 0),
              nullptr)
        << mysql_error(conn_);
  }
  void TearDown() override {
    if (conn_) mysql_close(conn_);
    if (!name_.empty()) DropScratchDatabase(db_, name_);
  }

  // The first cell of every row of `sql`.
  std::vector<std::string> Column(const std::string& sql) {
    std::vector<std::string> cells;
    EXPECT_EQ(mysql_query(conn_, sql.c_str()), 0) << mysql_error(conn_);
    MYSQL_RES* result = mysql_store_result(conn_);
    if (!result) return cells;
    while (MYSQL_ROW row = mysql_fetch_row(result)) cells.emplace_back(row[0] ? row[0] : "");
    mysql_free_result(result);
    return cells;
  }

  TestDatabase db_;
  std::string name_;
  MYSQL* conn_ = nullptr;
};

TEST_F(CoreSchema, StoredTablesHaveTheirColumnsInOrder) {
  for (const char* table : kStoredTables) {
    std::unique_ptr<CDBEntity> row = NewRow(table);
    ASSERT_NE(row, nullptr) << table;
    std::vector<std::string> expected;
    for (const CColumnValue& value : row->GetColumnValues()) expected.push_back(value.GetName());
    std::vector<std::string> actual =
        Column("SELECT COLUMN_NAME FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = '" + name_ +
               "' AND TABLE_NAME = '" + table + "' ORDER BY ORDINAL_POSITION");
    EXPECT_EQ(actual, expected) << table;
  }
}

TEST_F(CoreSchema, LiveStatusTablesAreNotInTheDatabase) {
  for (const char* table : kLiveStatusTables) {
    EXPECT_TRUE(Column("SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA = '" + name_ +
                       "' AND TABLE_NAME = '" + table + "'")
                    .empty())
        << table;
  }
}

}  // namespace
