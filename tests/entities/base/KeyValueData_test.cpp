#include "entities/base/KeyValueData.h"

#include <gtest/gtest.h>

namespace {

TEST(KeyValueData, FindsNamesExactlyAndForgetsAFailedFind) {
  CKeyValueData row;
  row.SetValue("zav_no", "5");
  EXPECT_EQ(row.GetValue(), nullptr);  // nothing found yet
  ASSERT_TRUE(row.Find("zav_no"));
  ASSERT_NE(row.GetValue(), nullptr);
  EXPECT_EQ(*row.GetValue(), "5");
  EXPECT_FALSE(row.Find("ZAV_NO"));  // letter case counts
  EXPECT_EQ(row.GetValue(), nullptr);
  ASSERT_TRUE(row.Find("zav_no"));
  EXPECT_FALSE(row.Find("missing"));
  EXPECT_EQ(row.GetValue(), nullptr);  // not the earlier value
}

TEST(KeyValueData, ALaterValueUnderTheSameNameWins) {
  CKeyValueData row;
  row.SetValue("name", "first");
  row.SetValue("name", "second");
  ASSERT_TRUE(row.Find("name"));
  EXPECT_EQ(*row.GetValue(), "second");
  EXPECT_EQ(row.GetValues().size(), 2u);
}

TEST(KeyValueData, AViewWalksTheRowsOfOneResult) {
  CKeyValueData::ColumnIndex index{{"id", 0}, {"name", 1}};
  CKeyValueData::Values first{"1", "one"};
  CKeyValueData::Values second{"2", "two"};
  CKeyValueData view(&index, &first);
  ASSERT_TRUE(view.Find("name"));
  EXPECT_EQ(*view.GetValue(), "one");
  view.SetValues(&second);
  EXPECT_EQ(view.GetValue(), nullptr);  // the current column is cleared for the next row
  ASSERT_TRUE(view.Find("name"));
  EXPECT_EQ(*view.GetValue(), "two");
}

TEST(KeyValueData, ACopyOfAnOwningRowOwnsItsOwnValues) {
  CKeyValueData row;
  row.SetValue("a", "1");
  CKeyValueData copy(row);
  copy.SetValue("a", "2");
  ASSERT_TRUE(row.Find("a"));
  EXPECT_EQ(*row.GetValue(), "1");
  ASSERT_TRUE(copy.Find("a"));
  EXPECT_EQ(*copy.GetValue(), "2");
  CKeyValueData assigned;
  assigned = copy;
  copy.SetValue("a", "3");
  ASSERT_TRUE(assigned.Find("a"));
  EXPECT_EQ(*assigned.GetValue(), "2");
}

// Rows of one result are read by the positions their names resolved to once;
// a changed index resolves them again.
TEST(KeyValueData, ResolvedPositionsFollowTheIndex) {
  const std::vector<std::string> names{"name", "id", "missing"};
  auto nameAt = [&](size_t i) -> const std::string& { return names[i]; };
  const int key = 0, otherKey = 0;
  CKeyValueData::ColumnIndex index{{"id", 0}, {"name", 1}};
  CKeyValueData::Values first{"1", "one"};
  CKeyValueData view(&index, &first);
  EXPECT_EQ(view.ResolveNames(&key, names.size(), nameAt), (std::vector<int>{1, 0, -1}));
  index["missing"] = 2;  // the index grew: looked up again
  EXPECT_EQ(view.ResolveNames(&key, names.size(), nameAt), (std::vector<int>{1, 0, 2}));
  EXPECT_EQ(view.ResolveNames(&otherKey, 1, nameAt), (std::vector<int>{1}));

  CKeyValueData row;
  row.SetValue("name", "first");
  EXPECT_EQ(row.ResolveNames(&key, 1, nameAt), (std::vector<int>{0}));
  row.SetValue("name", "second");  // same size, other position
  EXPECT_EQ(row.ResolveNames(&key, 1, nameAt), (std::vector<int>{1}));
}

}  // namespace
