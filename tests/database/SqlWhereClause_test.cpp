#include "database/SqlWhereClause.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ClauseCase {
  std::vector<CSqlWhereClause::Condition> conditions;
  std::string expected;
};

TEST(SqlWhereClauseTest, RendersConnectorsAndParentheses) {
  const std::vector<ClauseCase> cases = {
      {{}, ""},
      {{{0, 0, "a = 1"}, {0, 0, "b = 2"}}, "a = 1 AND b = 2"},
      {{{0, 0, "a = 1"}, {1, 1, "b = 2"}, {0, 1, "c = 3"}}, "a = 1 OR  ( b = 2 AND c = 3 ) "},
      {{{0, 1, "a = 1"}, {1, 0, "b = 2"}}, " ( a = 1 )  OR b = 2"},
      {{{0, 0, ""}, {0, 0, "b = 2"}}, "b = 2"},
      {{{0, 2, "x"}}, " (  ( x )  ) "},  // one " ) " per level, spaces kept
      {{{1, 0, "first"}}, "first"},  // the first connector is never written
      {{{0, 2, "a"}, {1, 1, "b"}, {0, 0, "c"}}, " (  ( a )  OR b )  AND c"},
      // A depth below 0 counts as 0: the parentheses stay balanced.
      {{{0, 1, "a"}, {0, -3, "b"}}, " ( a )  AND b"},
  };
  for (const ClauseCase& c : cases) {
    CSqlWhereClause clause;
    for (const auto& condition : c.conditions) clause.Add(condition);
    EXPECT_EQ(clause.ToString(), c.expected);
  }
}

TEST(SqlWhereClauseTest, EmptyAfterConstructionAndClear) {
  CSqlWhereClause clause;
  EXPECT_TRUE(clause.IsEmpty());
  clause.Add({0, 0, "a = 1"});
  EXPECT_FALSE(clause.IsEmpty());
  clause.Clear();
  EXPECT_TRUE(clause.IsEmpty());
  EXPECT_EQ(clause.ToString(), "");
}

TEST(SqlWhereClauseTest, PercentSignsAreFormatsOnlyInAddFormat) {
  CSqlWhereClause clause;
  clause.AddFormat(0, 0, "`Category` = %d", 1);
  clause.AddFormat(0, 0, "`Key` = '%s'", "PasswordEncrypted");
  clause.Add({1, 0, "name LIKE 'a%d'"});
  EXPECT_EQ(clause.ToString(), "`Category` = 1 AND `Key` = 'PasswordEncrypted' OR name LIKE 'a%d'");
}

}  // namespace
