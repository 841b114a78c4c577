#include "entities/base/RowClassCheck.h"

#include <gtest/gtest.h>

#include "TestRows.h"

namespace {

// A row class that breaks the rules: an accessor against the naming rule, a
// key name that is not its first column, and a column list it does not report.
#define TEST_BROKEN_COLUMNS(C)       \
  C(Int, "zav_no", ZavNumber, 0)     \
  C(String, "name", Name, "")

class CTestBroken : public CDBEntity {
  GATE_ENTITY_TABLE(CTestBroken, "TBL_TestBroken", TEST_BROKEN_COLUMNS, AutoIncrement, "OtherID", kEntityNoFlags)

  std::vector<CColumnValue> GetColumnValues() const override {
    std::vector<CColumnValue> values = CDBEntity::GetColumnValues();
    values.pop_back();
    return values;
  }
};

GATE_REGISTER_ENTITY(CTestBroken);

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(RowClassCheck, TheTestRowsKeepThePattern) {
  for (const char* table : {"TBL_TestStorage", "TBL_TestLink", "TBL_TestLog", "TBL_TestMeta", "TBL_TestClient",
                            "LTBL_TestStatus"}) {
    EXPECT_EQ(Joined(CheckRowClass(table)), "") << table;
  }
}

TEST(RowClassCheck, FindsWhatABrokenRowClassGetsWrong) {
  std::string problems = Joined(CheckRowClass("tbl_testbroken"));
  EXPECT_NE(problems.find("accessor GetZavNumber of column zav_no should be GetZavNo"), std::string::npos)
      << problems;
  EXPECT_NE(problems.find("key column \"OtherID\" is not the first column"), std::string::npos) << problems;
  EXPECT_NE(problems.find("reports 1 columns, declares 2"), std::string::npos) << problems;
  EXPECT_NE(Joined(CheckRowClass("TBL_NotThere")).find("not registered"), std::string::npos);
}

TEST(RowClassCheck, WalksEveryRegisteredTable) {
  std::vector<std::string> problems = CheckRegisteredRowClasses();
  bool brokenSeen = false;
  for (const std::string& problem : problems) {
    if (problem.rfind("tbl_testbroken:", 0) == 0) brokenSeen = true;
  }
  EXPECT_TRUE(brokenSeen) << Joined(problems);
}

}  // namespace
