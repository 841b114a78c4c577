// Proves the test harness: the throwaway server speaks EUC-KR end to end.
#include <gtest/gtest.h>
#include <mysql.h>

#include "support/TestDatabase.h"

namespace {

TEST(MariaDbHarness, StoresAndReadsKoreanTextInEucKr) {
  TestDatabase db;
  GATE_REQUIRE_DATABASE(db);
  std::string error;
  std::string name = CreateScratchDatabase(db, "harness", &error);
  ASSERT_FALSE(name.empty()) << error;

  MYSQL* conn = mysql_init(nullptr);
  ASSERT_NE(conn, nullptr);
  mysql_options(conn, MYSQL_SET_CHARSET_NAME, "euckr");
  ASSERT_NE(mysql_real_connect(conn, db.host.c_str(), db.user.c_str(), db.password.c_str(),
                               name.c_str(), db.port, nullptr, 0),
            nullptr)
      << mysql_error(conn);
  const std::string hangul = "\xC7\xD1\xB1\xDB";  // "한글" in EUC-KR
  ASSERT_EQ(mysql_query(conn, "CREATE TABLE t (id INT PRIMARY KEY, name VARCHAR(32))"), 0)
      << mysql_error(conn);
  std::string insert = "INSERT INTO t VALUES (1, '" + hangul + "')";
  ASSERT_EQ(mysql_real_query(conn, insert.data(), insert.size()), 0) << mysql_error(conn);
  ASSERT_EQ(mysql_query(conn, "SELECT name, HEX(CONVERT(name USING utf8mb4)) FROM t WHERE id = 1"), 0);
  MYSQL_RES* result = mysql_store_result(conn);
  ASSERT_NE(result, nullptr);
  MYSQL_ROW row = mysql_fetch_row(result);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(std::string(row[0]), hangul);
  EXPECT_EQ(std::string(row[1]), "ED959CEAB880");  // the server understood the bytes as Korean
  mysql_free_result(result);
  mysql_close(conn);
  EXPECT_TRUE(DropScratchDatabase(db, name));
}

}  // namespace
