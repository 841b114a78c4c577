#include "database/TransactionChanges.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "CacheTestRows.h"

namespace {

constexpr int A = CTransactionChanges::kAdd;
constexpr int U = CTransactionChanges::kUpdate;
constexpr int D = CTransactionChanges::kDelete;

template <typename Row>
std::shared_ptr<CDBEntity> MakeRow(int id, const std::string& name) {
  auto row = std::make_shared<Row>();
  row->SetID(id);
  row->SetName(name);
  return row;
}

std::string ChangedNameOf(const CDBEntity& row) {
  for (const CColumnValue& value : row.GetColumnValues()) {
    if (value.GetName() == "Name") return value.GetValue();
  }
  return "";
}

std::string Describe(const CTransactionChanges::ChangeList& list) {
  std::string out;
  for (const auto& change : list) {
    if (!out.empty()) out += " ";
    out += std::to_string(change.kind) + ":" + change.row->GetTableName() + "/" +
           std::to_string(change.row->GetID()) + "/" + ChangedNameOf(*change.row);
  }
  return out;
}

struct Step {
  int kind;
  int id;
  std::string name;  // also the row's value
};
struct MergeCase {
  const char* title;
  std::vector<Step> steps;
  std::string expected;
};

TEST(TransactionChangesTest, MergesChangesOfOneRow) {
  const std::vector<MergeCase> cases = {
      {"add", {{A, 1, "a"}}, "0:TCS_Parent/1/a"},
      {"add, update", {{A, 1, "a"}, {U, 1, "b"}}, "0:TCS_Parent/1/b"},
      {"add, update, delete", {{A, 1, "a"}, {U, 1, "b"}, {D, 1, "c"}}, ""},
      {"update", {{U, 1, "a"}}, "1:TCS_Parent/1/a"},
      {"update, update", {{U, 1, "a"}, {U, 1, "b"}}, "1:TCS_Parent/1/b"},
      {"update, delete", {{U, 1, "a"}, {D, 1, "d"}}, "2:TCS_Parent/1/d"},
      {"update twice, delete", {{U, 1, "a"}, {U, 1, "b"}, {D, 1, "d"}}, "2:TCS_Parent/1/d"},
      {"delete, update", {{D, 1, "d"}, {U, 1, "u"}}, "2:TCS_Parent/1/d"},
      {"delete, add", {{D, 1, "d"}, {A, 1, "a"}}, "2:TCS_Parent/1/d 0:TCS_Parent/1/a"},
      {"add, add", {{A, 1, "a"}, {A, 1, "b"}}, "0:TCS_Parent/1/a 0:TCS_Parent/1/b"},
      {"other rows keep their order",
       {{U, 2, "x"}, {A, 1, "a"}, {A, 3, "y"}, {U, 1, "b"}, {D, 1, "c"}},
       "1:TCS_Parent/2/x 0:TCS_Parent/3/y"},
  };
  for (const MergeCase& c : cases) {
    CTransactionChanges changes;
    for (const Step& step : c.steps) changes.AddChange(-5, step.kind, MakeRow<CTCSParent>(step.id, step.name));
    EXPECT_EQ(Describe(changes.GetChanges(-5)), c.expected) << c.title;
  }
}

TEST(TransactionChangesTest, UpdateFoldsIntoTheRecordedRowNotTheCallers) {
  CTransactionChanges changes;
  auto added = MakeRow<CTCSParent>(1, "a");
  auto update = MakeRow<CTCSParent>(1, "b");
  changes.AddChange(7, A, added);
  changes.AddChange(7, U, update);
  auto list = changes.GetChanges(7);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].row.get(), added.get());
  EXPECT_EQ(static_cast<CTCSParent*>(added.get())->GetName(), "b");
  EXPECT_EQ(update.use_count(), 1);  // the update's row was not kept
}

TEST(TransactionChangesTest, RowsOfOtherTablesAndTransactionsNeverMerge) {
  CTransactionChanges changes;
  changes.AddChange(1, A, MakeRow<CTCSParent>(4, "p"));
  changes.AddChange(1, D, MakeRow<CTCSChild>(4, "c"));  // same id, other table
  changes.AddChange(2, D, MakeRow<CTCSParent>(4, "q"));
  EXPECT_EQ(Describe(changes.GetChanges(1)), "0:TCS_Parent/4/p 2:TCS_Child/4/c");
  EXPECT_EQ(Describe(changes.GetChanges(2)), "2:TCS_Parent/4/q");
  // The recorded row of an add or update is found by table and id; a delete's is not.
  auto recorded = changes.FindRecordedRow(1, *MakeRow<CTCSParent>(4, "x"));
  ASSERT_NE(recorded, nullptr);
  EXPECT_EQ(ChangedNameOf(*recorded), "p");
  EXPECT_EQ(changes.FindRecordedRow(1, *MakeRow<CTCSChild>(4, "x")), nullptr);
  EXPECT_EQ(changes.FindRecordedRow(2, *MakeRow<CTCSParent>(4, "x")), nullptr);
  EXPECT_EQ(changes.FindRecordedRow(3, *MakeRow<CTCSParent>(4, "x")), nullptr);

  EXPECT_TRUE(changes.GetChanges(3).empty());
  changes.RemoveTransaction(3);
  changes.RemoveTransaction(1);
  EXPECT_TRUE(changes.GetChanges(1).empty());
  EXPECT_EQ(changes.GetChanges(2).size(), 1u);
  changes.Clear();
  EXPECT_TRUE(changes.GetChanges(2).empty());
}

TEST(TransactionChangesTest, ReadingCopiesTheListAndSharesTheRows) {
  CTransactionChanges changes;
  auto row = MakeRow<CTCSParent>(1, "a");
  changes.AddChange(1, U, row);
  auto copy = changes.GetChanges(1);
  changes.RemoveTransaction(1);
  ASSERT_EQ(copy.size(), 1u);
  EXPECT_EQ(copy[0].row.get(), row.get());
}

}  // namespace
