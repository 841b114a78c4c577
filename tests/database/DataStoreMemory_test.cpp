// The cache store without a database service: a pure in-memory store.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "CacheTestRows.h"
#include "database/DataStore.h"

namespace {

template <typename Row>
std::unique_ptr<Row> NewMemoryRow(int id) {
  auto row = std::make_unique<Row>();
  row->SetID(id);
  return row;
}

std::unique_ptr<CTCSParent> MemoryParent(int id, const std::string& name) {
  auto row = NewMemoryRow<CTCSParent>(id);
  row->SetName(name);
  return row;
}

std::unique_ptr<CTCSChild> Child(int id, int parent) {
  auto row = NewMemoryRow<CTCSChild>(id);
  row->SetParentID(parent);
  return row;
}

std::unique_ptr<CTCSLink> Link(int id, int parent) {
  auto row = NewMemoryRow<CTCSLink>(id);
  row->SetParentID(parent);
  return row;
}

std::string MemoryNameOf(const EntityPtr& row) {
  auto* parent = dynamic_cast<CTCSParent*>(row.get());
  return parent ? parent->GetName() : "<none>";
}

TEST(DataStoreMemoryTest, EmptyStoreAnswersEmptyAndKeepsVersionsAtZero) {
  CDataStore store(nullptr);
  EXPECT_EQ(store.GetTypeName(), "DataStore");
  EXPECT_EQ(store.GetName(), "DataStore" + std::to_string(store.GetStoreId()));
  ASSERT_NE(store.GetDBSchema(), nullptr);
  EXPECT_EQ(store.FindCachedEntity("TCS_Parent", 1), nullptr);
  EXPECT_EQ(store.FindCachedEntity("", 1), nullptr);
  EXPECT_EQ(store.FindCachedEntity(nullptr, 1), nullptr);
  EXPECT_TRUE(store.GetCachedEntityList("TCS_Parent").empty());
  EXPECT_EQ(store.HasEntityList("TCS_Parent"), 0);
  EXPECT_EQ(store.GetTableVersion("TCS_Parent"), 0);
  EXPECT_EQ(store.FindEntity("TCS_Parent", "`ParentID` = 1"), nullptr);
  EXPECT_EQ(store.GetEntityCount("TCS_Parent", nullptr), 0);
  EXPECT_FALSE(store.DeleteEntity("TCS_Parent", "ParentID", 1));
  EXPECT_EQ(store.OpenConnection(), 0);
  EXPECT_EQ(store.BeginTransaction(), 0);
  EXPECT_EQ(store.GetStoreText(), "");
}

TEST(DataStoreMemoryTest, StoreNumbersAndTransactionIdsCountOn) {
  CDataStore first(nullptr);
  CDataStore second(nullptr);
  EXPECT_EQ(second.GetStoreId(), first.GetStoreId() + 1);
  EXPECT_GT(first.GetStoreId(), 0);
  const int a = first.NewTransactionId();
  const int b = second.NewTransactionId();
  EXPECT_LT(a, 0);
  EXPECT_EQ(b, a + 1);
}

TEST(DataStoreMemoryTest, AddKeepsAClonePerStoreAndHandsOutTheCachedObject) {
  CDataStore store(nullptr);
  auto row = MemoryParent(5, "five");
  ASSERT_TRUE(store.AddEntity(row.get(), 0));
  row->SetName("changed by the caller");
  EntityPtr cached = store.FindCachedEntity("TCS_Parent", 5);
  ASSERT_NE(cached, nullptr);
  EXPECT_NE(cached.get(), row.get());
  EXPECT_EQ(MemoryNameOf(cached), "five");
  EXPECT_EQ(cached->GetDataStore(), static_cast<IEntityOwnerStore*>(&store));
  EXPECT_EQ(cached->GetStoreNo(), store.GetStoreId());
  EXPECT_EQ(store.FindCachedEntity("TCS_Parent", 5).get(), cached.get());
  EXPECT_EQ(store.FindEntity("TCS_Parent", "no such column", 5).get(), cached.get());

  // GetEntityList with an EntityMap hands out clones nobody else holds.
  EntityMap clones;
  store.GetEntityList("TCS_Parent", "`ParentID` = 99", clones);
  ASSERT_EQ(clones.size(), 1u);
  EXPECT_NE(clones[5].get(), cached.get());
  static_cast<CTCSParent*>(clones[5].get())->SetName("clone");
  EXPECT_EQ(MemoryNameOf(cached), "five");
  EXPECT_EQ(store.GetTableVersion("TCS_Parent"), 0);  // no database service: versions stay
}

TEST(DataStoreMemoryTest, TableNamesAreCaseSensitive) {
  CDataStore store(nullptr);
  auto row = MemoryParent(1, "one");
  ASSERT_TRUE(store.AddEntity(row.get(), 0));
  EXPECT_NE(store.FindCachedEntity("TCS_Parent", 1), nullptr);
  EXPECT_EQ(store.FindCachedEntity("tcs_parent", 1), nullptr);
}

TEST(DataStoreMemoryTest, UpdateWithAColumnListCopiesOnlyThoseColumns) {
  CDataStore store(nullptr);
  auto row = MemoryParent(1, "one");
  row->SetSize(10);
  ASSERT_TRUE(store.AddEntity(row.get(), 0));
  row->SetName("renamed");
  row->SetSize(20);
  const ColumnList columns = {"Size", "name"};  // exact names: "name" matches nothing
  ASSERT_TRUE(store.UpdateEntity(row.get(), &columns, 0));
  auto* cached = static_cast<CTCSParent*>(store.FindCachedEntity("TCS_Parent", 1).get());
  EXPECT_EQ(cached->GetSize(), 20);
  EXPECT_EQ(cached->GetName(), "one");
  ASSERT_TRUE(store.UpdateEntity(row.get(), 0));
  EXPECT_EQ(cached->GetName(), "renamed");

  // A row that is not cached: update fails, delete succeeds.
  auto missing = MemoryParent(9, "nine");
  EXPECT_FALSE(store.UpdateEntity(missing.get(), 0));
  EXPECT_TRUE(store.DeleteEntity(missing.get(), 0));
  // A row without a key column: accepted, the cache untouched.
  auto pair = std::make_unique<CTCSPair>();
  EXPECT_TRUE(store.UpdateEntity(pair.get(), 0));
}

TEST(DataStoreMemoryTest, TransactionsReachTheCacheOnlyOnCommit) {
  CDataStore store(nullptr);
  auto kept = MemoryParent(1, "kept");
  ASSERT_TRUE(store.AddEntity(kept.get(), 0));

  const int tx = store.NewTransactionId();
  auto added = MemoryParent(2, "added");
  ASSERT_TRUE(store.AddEntity(added.get(), tx));
  kept->SetName("updated");
  ASSERT_TRUE(store.UpdateEntity(kept.get(), tx));
  EXPECT_EQ(store.FindCachedEntity("TCS_Parent", 2), nullptr);
  EXPECT_EQ(MemoryNameOf(store.FindCachedEntity("TCS_Parent", 1)), "kept");

  const int other = store.NewTransactionId();
  auto dropped = MemoryParent(3, "dropped");
  ASSERT_TRUE(store.AddEntity(dropped.get(), other));
  store.RollbackTransaction(other);
  store.CommitTransaction(other);  // nothing left to apply
  EXPECT_EQ(store.FindCachedEntity("TCS_Parent", 3), nullptr);

  store.CommitTransaction(tx);
  EXPECT_EQ(MemoryNameOf(store.FindCachedEntity("TCS_Parent", 2)), "added");
  EXPECT_EQ(MemoryNameOf(store.FindCachedEntity("TCS_Parent", 1)), "updated");

  // An add and a delete in one transaction cancel out.
  const int third = store.NewTransactionId();
  auto brief = MemoryParent(4, "brief");
  ASSERT_TRUE(store.AddEntity(brief.get(), third));
  ASSERT_TRUE(store.AddEntity(brief.get(), 0));  // now cached, so the delete is recorded
  ASSERT_TRUE(store.DeleteEntity(brief.get(), third));
  store.CommitTransaction(third);
  EXPECT_NE(store.FindCachedEntity("TCS_Parent", 4), nullptr);
}

TEST(DataStoreMemoryTest, DeleteFollowsRelationsDepthFirst) {
  CDataStore store(nullptr);
  auto parent = MemoryParent(1, "p");
  auto otherParent = MemoryParent(2, "q");
  ASSERT_TRUE(store.AddEntity(parent.get(), 0));
  ASSERT_TRUE(store.AddEntity(otherParent.get(), 0));
  for (auto& row : {Child(10, 1), Child(11, 1), Child(12, 2)}) ASSERT_TRUE(store.AddEntity(row.get(), 0));
  auto grandchild = NewMemoryRow<CTCSGrandchild>(100);
  grandchild->SetChildID(11);
  ASSERT_TRUE(store.AddEntity(grandchild.get(), 0));
  for (auto& row : {Link(20, 1), Link(21, 2)}) ASSERT_TRUE(store.AddEntity(row.get(), 0));
  auto note = NewMemoryRow<CTCSNote>(30);
  note->SetParentID(1);
  ASSERT_TRUE(store.AddEntity(note.get(), 0));

  ASSERT_TRUE(store.DeleteEntity(parent.get(), 0));
  EXPECT_EQ(store.FindCachedEntity("TCS_Parent", 1), nullptr);
  EXPECT_EQ(store.FindCachedEntity("TCS_Child", 10), nullptr);
  EXPECT_EQ(store.FindCachedEntity("TCS_Child", 11), nullptr);
  EXPECT_EQ(store.FindCachedEntity("TCS_Grandchild", 100), nullptr);
  EXPECT_NE(store.FindCachedEntity("TCS_Child", 12), nullptr);
  auto* link = static_cast<CTCSLink*>(store.FindCachedEntity("TCS_Link", 20).get());
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->GetParentID(), 0);
  EXPECT_EQ(static_cast<CTCSLink*>(store.FindCachedEntity("TCS_Link", 21).get())->GetParentID(), 2);
  EXPECT_NE(store.FindCachedEntity("TCS_Note", 30), nullptr);  // mode 0: left alone
}

TEST(DataStoreMemoryTest, ACycleOfDeletingRelationsEnds) {
  CDataStore store(nullptr);
  auto a = NewMemoryRow<CTCSCycleA>(1);
  a->SetPeerID(1);
  auto b = NewMemoryRow<CTCSCycleB>(1);
  b->SetPeerID(1);
  ASSERT_TRUE(store.AddEntity(a.get(), 0));
  ASSERT_TRUE(store.AddEntity(b.get(), 0));
  ASSERT_TRUE(store.DeleteEntity(a.get(), 0));
  EXPECT_EQ(store.FindCachedEntity("TCS_CycleA", 1), nullptr);
  EXPECT_EQ(store.FindCachedEntity("TCS_CycleB", 1), nullptr);
}

TEST(DataStoreMemoryTest, ExcludedRowsNeverEnterTheCache) {
  CDataStore store(nullptr);
  auto log = NewMemoryRow<CTCSLog>(1);
  EXPECT_TRUE(store.AddEntity(log.get(), 0));
  EXPECT_EQ(store.FindCachedEntity("TCS_Log", 1), nullptr);
  auto status = NewMemoryRow<CTCSStatus>(3);
  EXPECT_TRUE(store.AddEntity(status.get(), 0));
  EXPECT_NE(store.FindCachedEntity("LTCS_Status", 3), nullptr);
}

TEST(DataStoreMemoryTest, UnloadDropsTheRelationIndexOfEveryTableNamedInside) {
  CDataStore store(nullptr);
  auto parent = MemoryParent(1, "p");
  ASSERT_TRUE(store.AddEntity(parent.get(), 0));
  ASSERT_TRUE(store.AddEntity(Child(10, 1).get(), 0));
  EXPECT_EQ(store.GetRelatedEntityList("TCS_Parent", 1, "TCS_Child", "parentid").size(), 1u);
  // Without a service versions never move, so the index stays as built...
  ASSERT_TRUE(store.AddEntity(Child(11, 1).get(), 0));
  EXPECT_EQ(store.GetRelatedEntityList("TCS_Parent", 1, "TCS_Child", "parentid").size(), 1u);
  // ...until a table whose name is inside the key is unloaded ("TCS_Par" is inside "TCS_Parent").
  store.UnloadEntityList("TCS_Par");
  EXPECT_EQ(store.GetRelatedEntityList("TCS_Parent", 1, "TCS_Child", "parentid").size(), 2u);
  store.Clear();
  EXPECT_EQ(store.HasEntityList("TCS_Child"), 0);
}

// Many threads adding, updating, deleting and looking up rows of several
// tables at once, with transactions, reloads and relation look-ups.
TEST(DataStoreMemoryTest, ManyThreadsReadAndWriteAtOnce) {
  CDataStore store(nullptr);
  constexpr int kThreads = 8;
  constexpr int kRounds = 300;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) {
        const int id = t * 1000 + i;
        auto parent = MemoryParent(id, "p");
        auto child = Child(id, id);
        if (!store.AddEntity(parent.get(), 0) || !store.AddEntity(child.get(), 0)) ++failures;
        parent->SetName("q");
        const int tx = store.NewTransactionId();
        if (!store.UpdateEntity(parent.get(), tx)) ++failures;
        store.CommitTransaction(tx);
        if (MemoryNameOf(store.FindCachedEntity("TCS_Parent", id)) != "q") ++failures;
        store.GetRelatedEntityList("TCS_Parent", id, "TCS_Child", "ParentID");
        store.GetCachedEntityList("TCS_Child");
        if (i % 3 == 0 && !store.DeleteEntity(parent.get(), 0)) ++failures;
        if (i % 50 == 0) store.LoadEntityList("TCS_Note");
        store.GetTableVersion("TCS_Parent");
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(store.HasEntityList("TCS_Parent"), kThreads * (kRounds - (kRounds + 2) / 3));
}

}  // namespace
