// The cache store over the real database: loading, look-ups from memory,
// writes database-first, transactions, relation deletes and versions.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "CacheStoreFixture.h"
#include "CacheTestRows.h"
#include "database/MariaAdapter.h"

namespace {

template <typename Row>
std::unique_ptr<Row> NewRow() {
  return std::make_unique<Row>();
}

std::unique_ptr<CTCSParent> DbParent(const std::string& name) {
  auto row = NewRow<CTCSParent>();
  row->SetName(name);
  return row;
}

std::string DbNameOf(const EntityPtr& row) {
  auto* parent = dynamic_cast<CTCSParent*>(row.get());
  return parent ? parent->GetName() : "<none>";
}

TEST_F(CacheStoreTest, LoadsATableOnceAndAnswersLaterLookupsFromMemory) {
  ASSERT_TRUE(raw_.Run("INSERT INTO TCS_Parent (Name, Size) VALUES ('a', 1), ('b', 2), ('c', 3)"));
  LogCapture log;
  CaptureDefaultLevel(true);
  EntityPtr b = store_->FindCachedEntity("TCS_Parent", 2);
  CaptureDefaultLevel(false);
  EXPECT_EQ(DbNameOf(b), "b");
  EXPECT_EQ(b->GetDataStore(), static_cast<IEntityOwnerStore*>(store_.get()));
  EXPECT_TRUE(log.Contains("INFO - 'TCS_Parent' Start")) << log.Text();
  EXPECT_TRUE(log.Contains("INFO - Load 'TCS_Parent' Entity List.")) << log.Text();
  EXPECT_TRUE(log.Contains("INFO - 'TCS_Parent' Total Delay : ")) << log.Text();
  EXPECT_EQ(store_->GetTableVersion("TCS_Parent"), 1);

  const size_t sent = SentCount();
  EXPECT_EQ(store_->FindCachedEntity("TCS_Parent", 2).get(), b.get());
  EXPECT_EQ(store_->FindCachedEntity("TCS_Parent", 9), nullptr);
  EXPECT_EQ(store_->HasEntityList("TCS_Parent"), 3);
  EXPECT_EQ(store_->GetCachedEntityList("TCS_Parent").size(), 3u);
  EXPECT_EQ(SentCount(), sent);

  // A reload refills the table in place and counts the version up by one.
  ASSERT_TRUE(raw_.Run("DELETE FROM TCS_Parent WHERE ParentID = 3"));
  store_->LoadEntityList("TCS_Parent");
  EXPECT_EQ(store_->GetTableVersion("TCS_Parent"), 2);
  EXPECT_EQ(store_->HasEntityList("TCS_Parent"), 2);
  EXPECT_NE(store_->FindCachedEntity("TCS_Parent", 2).get(), b.get());

  // Another letter case is another table: its own entry and version.
  EXPECT_EQ(store_->GetTableVersion("tcs_parent"), 0);
  store_->HasEntityList("tcs_parent");
  EXPECT_EQ(store_->GetTableVersion("tcs_parent"), 1);
  EXPECT_EQ(store_->GetTableVersion("TCS_Parent"), 2);

  // Unloading keeps the version; the next look-up loads again.
  store_->UnloadEntityList("TCS_Parent");
  EXPECT_EQ(store_->GetTableVersion("TCS_Parent"), 2);
  EXPECT_EQ(store_->HasEntityList("TCS_Parent"), 2);
  EXPECT_EQ(store_->GetTableVersion("TCS_Parent"), 3);
  EXPECT_EQ(store_->HasEntityList("TCS_Empty"), 0);  // unknown to the registry: cached empty
}

TEST_F(CacheStoreTest, WritesReachTheDatabaseFirstThenTheCache) {
  auto row = DbParent("first");
  row->SetSize(5);
  ASSERT_TRUE(store_->AddEntity(row.get(), 0));
  const int id = row->GetID();
  ASSERT_GT(id, 0);
  EXPECT_EQ(raw_.Value("SELECT Name FROM TCS_Parent WHERE ParentID = " + std::to_string(id)), "first");
  EXPECT_EQ(DbNameOf(store_->FindCachedEntity("TCS_Parent", id)), "first");
  const int version = store_->GetTableVersion("TCS_Parent");

  row->SetName("second");
  row->SetSize(6);
  const ColumnList columns = {"Size"};
  ASSERT_TRUE(store_->UpdateEntity(row.get(), &columns, 0));
  // Only the listed column is written, so the database and the cache stay alike.
  EXPECT_EQ(raw_.Value("SELECT CONCAT(Name, ' ', Size) FROM TCS_Parent WHERE ParentID = " + std::to_string(id)),
            "first 6");
  auto* cached = static_cast<CTCSParent*>(store_->FindCachedEntity("TCS_Parent", id).get());
  EXPECT_EQ(cached->GetName(), "first");
  EXPECT_EQ(cached->GetSize(), 6);
  EXPECT_EQ(store_->GetTableVersion("TCS_Parent"), version + 1);

  ASSERT_TRUE(store_->DeleteEntity(row.get(), 0));
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TCS_Parent"), "0");
  EXPECT_EQ(store_->FindCachedEntity("TCS_Parent", id), nullptr);
  EXPECT_EQ(store_->GetTableVersion("TCS_Parent"), version + 2);

  // Deleting by table, key column and id leaves the cached copy in place.
  auto kept = DbParent("kept");
  ASSERT_TRUE(store_->AddEntity(kept.get(), 0));
  ASSERT_TRUE(store_->DeleteEntity("TCS_Parent", "ParentID", kept->GetID()));
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TCS_Parent"), "0");
  EXPECT_NE(store_->FindCachedEntity("TCS_Parent", kept->GetID()), nullptr);
}

TEST_F(CacheStoreTest, RefusedWritesLeaveTheCacheAlone) {
  auto row = DbParent("there");
  ASSERT_TRUE(store_->AddEntity(row.get(), 0));
  const int version = store_->GetTableVersion("TCS_Parent");
  ASSERT_TRUE(raw_.Run("DROP TABLE TCS_Parent"));
  LogCapture log;
  auto refused = DbParent("refused");
  EXPECT_FALSE(store_->AddEntity(refused.get(), 0));
  row->SetName("changed");
  EXPECT_EQ(store_->UpdateEntity(row.get(), 0).outcome(), DBWriteResult::kFailed);
  EXPECT_EQ(store_->DeleteEntity(row.get(), 0).outcome(), DBWriteResult::kFailed);
  EXPECT_TRUE(log.Contains("ERROR - Error riased when add 'TCS_Parent' entity.")) << log.Text();
  EXPECT_TRUE(log.Contains("ERROR - Error riased when update 'TCS_Parent:")) << log.Text();
  EXPECT_TRUE(log.Contains("ERROR - Error riased when delete 'TCS_Parent:")) << log.Text();
  EXPECT_EQ(DbNameOf(store_->FindCachedEntity("TCS_Parent", row->GetID())), "there");
  EXPECT_EQ(store_->HasEntityList("TCS_Parent"), 1);
  EXPECT_EQ(store_->GetTableVersion("TCS_Parent"), version);
}

TEST_F(CacheStoreTest, DatabaseTransactionsReachTheCacheOnlyOnCommit) {
  auto kept = DbParent("kept");
  ASSERT_TRUE(store_->AddEntity(kept.get(), 0));

  const int tx = store_->BeginTransaction();
  ASSERT_GT(tx, 0);
  auto added = DbParent("added");
  ASSERT_TRUE(store_->AddEntity(added.get(), tx));
  kept->SetName("renamed");
  ASSERT_TRUE(store_->UpdateEntity(kept.get(), tx));
  EXPECT_EQ(store_->FindCachedEntity("TCS_Parent", added->GetID()), nullptr);
  EXPECT_EQ(DbNameOf(store_->FindCachedEntity("TCS_Parent", kept->GetID())), "kept");
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TCS_Parent"), "1");  // not committed yet
  EXPECT_TRUE(store_->CommitTransaction(tx));
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TCS_Parent"), "2");
  EXPECT_EQ(DbNameOf(store_->FindCachedEntity("TCS_Parent", added->GetID())), "added");
  EXPECT_EQ(DbNameOf(store_->FindCachedEntity("TCS_Parent", kept->GetID())), "renamed");

  const int rolled = store_->BeginTransaction();
  auto dropped = DbParent("dropped");
  ASSERT_TRUE(store_->AddEntity(dropped.get(), rolled));
  ASSERT_TRUE(store_->DeleteEntity(kept.get(), rolled));
  store_->RollbackTransaction(rolled);
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TCS_Parent"), "2");
  EXPECT_EQ(store_->HasEntityList("TCS_Parent"), 2);
  EXPECT_NE(store_->FindCachedEntity("TCS_Parent", kept->GetID()), nullptr);

  // A commit reaches the database even when the store recorded nothing under the id.
  const int bare = store_->BeginTransaction();
  auto direct = DbParent("direct");
  ASSERT_TRUE(service_->AddEntity(direct.get(), bare));
  EXPECT_TRUE(store_->CommitTransaction(bare));
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TCS_Parent"), "3");
}

// Column-limited updates in one transaction each change only their columns,
// in the database and, at commit, in the cache.
TEST_F(CacheStoreTest, ColumnLimitedUpdatesInATransactionKeepTheOtherColumns) {
  auto row = DbParent("start");
  row->SetSize(1);
  ASSERT_TRUE(store_->AddEntity(row.get(), 0));
  const std::string id = std::to_string(row->GetID());
  auto sizeWriter = DbParent("stale name");
  sizeWriter->SetID(row->GetID());
  sizeWriter->SetSize(2);
  auto nameWriter = DbParent("new name");
  nameWriter->SetID(row->GetID());
  nameWriter->SetSize(99);  // stale: not listed
  const ColumnList sizeOnly = {"Size"}, nameOnly = {"Name"};

  const int tx = store_->BeginTransaction();
  ASSERT_GT(tx, 0);
  ASSERT_TRUE(store_->UpdateEntity(sizeWriter.get(), &sizeOnly, tx));
  ASSERT_TRUE(store_->UpdateEntity(nameWriter.get(), &nameOnly, tx));
  EXPECT_EQ(DbNameOf(store_->FindCachedEntity("TCS_Parent", row->GetID())), "start");
  ASSERT_TRUE(store_->CommitTransaction(tx));
  EXPECT_EQ(raw_.Value("SELECT CONCAT(Name, ' ', Size) FROM TCS_Parent WHERE ParentID = " + id), "new name 2");
  auto* cached = static_cast<CTCSParent*>(store_->FindCachedEntity("TCS_Parent", row->GetID()).get());
  ASSERT_NE(cached, nullptr);
  EXPECT_EQ(cached->GetName() + " " + std::to_string(cached->GetSize()), "new name 2");
}

TEST_F(CacheStoreTest, StoreOnlyTransactionsWriteAtOnceAndDeferTheCache) {
  const int tx = store_->NewTransactionId();
  ASSERT_LT(tx, 0);
  EXPECT_EQ(store_->HasEntityList("TCS_Parent"), 0);
  auto row = DbParent("soon");
  ASSERT_TRUE(store_->AddEntity(row.get(), tx));
  EXPECT_EQ(raw_.Value("SELECT Name FROM TCS_Parent"), "soon");
  EXPECT_EQ(store_->FindCachedEntity("TCS_Parent", row->GetID()), nullptr);
  store_->CommitTransaction(tx);
  EXPECT_EQ(DbNameOf(store_->FindCachedEntity("TCS_Parent", row->GetID())), "soon");

  const int other = store_->NewTransactionId();
  auto late = DbParent("late");
  ASSERT_TRUE(store_->AddEntity(late.get(), other));
  store_->RollbackTransaction(other);
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TCS_Parent"), "2");  // written, and stays written
  EXPECT_EQ(store_->FindCachedEntity("TCS_Parent", late->GetID()), nullptr);
}

TEST_F(CacheStoreTest, DeletesFollowRelationsInTheDatabaseAndTheCache) {
  ASSERT_TRUE(raw_.Run("INSERT INTO TCS_Parent (ParentID, Name) VALUES (1, 'p'), (2, 'q')"));
  ASSERT_TRUE(raw_.Run("INSERT INTO TCS_Child (ChildID, ParentID) VALUES (10, 1), (11, 1), (12, 2)"));
  ASSERT_TRUE(raw_.Run("INSERT INTO TCS_Grandchild (GrandchildID, ChildID) VALUES (100, 11), (101, 12)"));
  ASSERT_TRUE(raw_.Run("INSERT INTO TCS_Link (LinkID, ParentID) VALUES (20, 1), (21, 2)"));
  ASSERT_TRUE(raw_.Run("INSERT INTO TCS_Note (NoteID, ParentID) VALUES (30, 1)"));
  // A child added through the store after the relation index was first built is found too.
  EXPECT_EQ(store_->GetRelatedEntityList("TCS_Parent", 1, "TCS_Child", "ParentID").size(), 2u);
  auto late = NewRow<CTCSChild>();
  late->SetParentID(1);
  ASSERT_TRUE(store_->AddEntity(late.get(), 0));
  EXPECT_EQ(store_->GetRelatedEntityList("TCS_Parent", 1, "TCS_Child", "ParentID").size(), 3u);

  EntityPtr parent = store_->FindCachedEntity("TCS_Parent", 1);
  ASSERT_NE(parent, nullptr);
  ASSERT_TRUE(store_->DeleteEntity(parent.get(), 0));
  EXPECT_EQ(raw_.Value("SELECT GROUP_CONCAT(ChildID ORDER BY ChildID) FROM TCS_Child"), "12");
  EXPECT_EQ(raw_.Value("SELECT GROUP_CONCAT(GrandchildID) FROM TCS_Grandchild"), "101");
  EXPECT_EQ(raw_.Value("SELECT GROUP_CONCAT(ParentID ORDER BY LinkID) FROM TCS_Link"), "0,2");
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TCS_Note"), "1");
  EXPECT_EQ(store_->HasEntityList("TCS_Child"), 1);
  EXPECT_EQ(store_->FindCachedEntity("TCS_Grandchild", 100), nullptr);
  EXPECT_EQ(static_cast<CTCSLink*>(store_->FindCachedEntity("TCS_Link", 20).get())->GetParentID(), 0);
  EXPECT_EQ(store_->FindCachedEntity("TCS_Parent", 1), nullptr);
}

TEST_F(CacheStoreTest, ACycleOfDeletingRelationsEnds) {
  ASSERT_TRUE(raw_.Run("INSERT INTO TCS_CycleA (AID, PeerID) VALUES (1, 1), (2, 1)"));
  ASSERT_TRUE(raw_.Run("INSERT INTO TCS_CycleB (BID, PeerID) VALUES (1, 1), (2, 2)"));
  EntityPtr a = store_->FindCachedEntity("TCS_CycleA", 1);
  ASSERT_NE(a, nullptr);
  ASSERT_TRUE(store_->DeleteEntity(a.get(), 0));
  // A1 deletes B1 (PeerID 1), B1 deletes A2 (PeerID 1; A1 is already being deleted), A2 deletes B2.
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TCS_CycleA"), "0");
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TCS_CycleB"), "0");
  EXPECT_EQ(store_->HasEntityList("TCS_CycleA"), 0);
}

TEST_F(CacheStoreTest, ExcludedMemoryOnlyAndCacheOnlyWrites) {
  auto log = NewRow<CTCSLog>();
  log->SetText("line");
  ASSERT_TRUE(store_->AddEntity(log.get(), 0));
  EXPECT_EQ(raw_.Value("SELECT Text FROM TCS_Log"), "line");
  EXPECT_EQ(store_->GetTableVersion("TCS_Log"), 0);  // the write brought nothing into the cache

  auto status = NewRow<CTCSStatus>();
  status->SetDeviceID(7);
  ASSERT_TRUE(store_->AddEntity(status.get(), 0));
  EXPECT_NE(store_->FindCachedEntity("LTCS_Status", 7), nullptr);
  store_->LoadEntityList("LTCS_Status");
  EXPECT_EQ(store_->FindCachedEntity("LTCS_Status", 7), nullptr);

  store_->SetCacheOnly(true);
  auto memory = DbParent("memory");
  memory->SetID(50);
  EXPECT_EQ(store_->HasEntityList("TCS_Parent"), 0);
  const size_t sent = SentCount();
  ASSERT_TRUE(store_->AddEntity(memory.get(), 0));
  memory->SetName("changed");
  ASSERT_TRUE(store_->UpdateEntity(memory.get(), 0));
  EXPECT_EQ(DbNameOf(store_->FindCachedEntity("TCS_Parent", 50)), "changed");
  ASSERT_TRUE(store_->DeleteEntity(memory.get(), 0));
  EXPECT_EQ(store_->FindCachedEntity("TCS_Parent", 50), nullptr);
  store_->SetCacheOnly(false);
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TCS_Parent"), "0");
  // Reads still load tables (the delete's relations); no write reached the database.
  auto info = service_->GetConnection(0);
  auto all = StatementsOf(static_cast<CMariaAdapter*>(info->GetAdapter())->GetSessionId());
  for (size_t i = sent; i < all.size(); ++i) EXPECT_EQ(all[i].rfind("SELECT", 0), 0u) << all[i];
}

// A row without a single key is cached under an ID of its own; an add that
// first loads its table finds the row there already and must not cache it twice.
TEST_F(CacheStoreTest, AddingAKeylessRowToAnUnloadedTableCachesItOnce) {
  ASSERT_TRUE(raw_.Run("INSERT INTO TCS_Pair (`Left`, `Right`, Name) VALUES (1, 1, 'there')"));
  auto pair = [](int left, int right) {
    auto row = NewRow<CTCSPair>();
    row->SetLeft(left);
    row->SetRight(right);
    return row;
  };
  auto loading = pair(1, 2);
  ASSERT_TRUE(store_->AddEntity(loading.get(), 0));
  EXPECT_EQ(store_->HasEntityList("TCS_Pair"), 2);
  auto cached = pair(1, 3);
  ASSERT_TRUE(store_->AddEntity(cached.get(), 0));
  EXPECT_EQ(store_->HasEntityList("TCS_Pair"), 3);

  // The same through a transaction whose commit loads the table.
  store_->UnloadEntityList("TCS_Pair");
  const int tx = store_->BeginTransaction();
  ASSERT_GT(tx, 0);
  auto committed = pair(2, 1);
  ASSERT_TRUE(store_->AddEntity(committed.get(), tx));
  ASSERT_TRUE(store_->CommitTransaction(tx));
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TCS_Pair"), "4");
  EXPECT_EQ(store_->HasEntityList("TCS_Pair"), 4);
}

// Threads of their own connections write while others look rows up.
TEST_F(CacheStoreTest, ManyThreadsReadAndWriteThroughTheDatabase) {
  ASSERT_TRUE(raw_.Run("INSERT INTO TCS_Parent (ParentID, Name) VALUES (1, 'one')"));
  constexpr int kWriters = 4;
  constexpr int kReaders = 4;
  constexpr int kRows = 25;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kWriters; ++t) {
    threads.emplace_back([&] {
      store_->OpenConnection();
      for (int i = 0; i < kRows; ++i) {
        auto child = NewRow<CTCSChild>();
        child->SetParentID(1);
        if (!store_->AddEntity(child.get(), 0)) ++failures;
        if (i % 5 == 0 && !store_->DeleteEntity(child.get(), 0)) ++failures;
      }
      store_->CloseConnection(0);
    });
  }
  for (int t = 0; t < kReaders; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kRows * 4; ++i) {
        if (DbNameOf(store_->FindCachedEntity("TCS_Parent", 1)) != "one") ++failures;
        store_->GetRelatedEntityList("TCS_Parent", 1, "TCS_Child", "ParentID");
        store_->GetTableVersion("TCS_Child");
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  const int expected = kWriters * (kRows - kRows / 5);
  EXPECT_EQ(store_->HasEntityList("TCS_Child"), expected);
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TCS_Child"), std::to_string(expected));
  EXPECT_EQ(store_->GetRelatedEntityList("TCS_Parent", 1, "TCS_Child", "ParentID").size(),
            static_cast<size_t>(expected));
}

}  // namespace
