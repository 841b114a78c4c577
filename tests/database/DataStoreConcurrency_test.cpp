// The cache store under threads: deletes that enter a relation cycle from
// both ends at once always end, and look-ups of cached tables never wait for
// a load or a write that waits for the database.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "CacheStoreFixture.h"
#include "CacheTestRows.h"

namespace {

using std::chrono::seconds;

// Runs `body` and waits for it at most `limit`; a body that does not end in
// time is a deadlock, and the test program ends at once rather than hang.
template <typename Body>
void RunBounded(Body body, seconds limit) {
  auto run = std::async(std::launch::async, body);
  if (run.wait_for(limit) != std::future_status::ready) {
    ADD_FAILURE() << "still running after " << limit.count() << " s: the threads wait for each other";
    fprintf(stderr, "deadlock: ending the test program\n");
    fflush(stderr);
    std::_Exit(1);
  }
  run.get();
}

// Two threads delete pairs of rows that name each other through mode-1
// relations (A deletes its B, B deletes its A), one thread from the A end and
// the other from the B end, pair by pair. Against a database, a thread may
// find a row of its pair gone already (the other thread deleted it), and its
// delete then reports the failure; the other thread's delete took the row.
void DeleteAcrossTheCycleFromBothEnds(IDataStore& store, int pairs, bool own_connections) {
  auto deleteAll = [&](const char* table) {
    return [&store, table, pairs, own_connections] {
      if (own_connections) store.OpenConnection();
      for (int id = 1; id <= pairs; ++id) {
        if (EntityPtr row = store.FindCachedEntity(table, id)) {
          const bool deleted = store.DeleteEntity(row.get(), 0);
          EXPECT_TRUE(deleted || own_connections);
        }
      }
      if (own_connections) store.CloseConnection(0);
    };
  };
  RunBounded(
      [&] {
        std::thread fromA(deleteAll("TCS_CycleA"));
        std::thread fromB(deleteAll("TCS_CycleB"));
        fromA.join();
        fromB.join();
      },
      seconds(240));
  EXPECT_EQ(store.HasEntityList("TCS_CycleA"), 0);
  EXPECT_EQ(store.HasEntityList("TCS_CycleB"), 0);
}

TEST(DataStoreConcurrencyTest, DeletesEnteringARelationCycleFromBothEndsEnd) {
  constexpr int kPairs = 1000;
  CDataStore store(nullptr);
  for (int id = 1; id <= kPairs; ++id) {
    CTCSCycleA a;
    a.SetAID(id);
    a.SetPeerID(id);
    CTCSCycleB b;
    b.SetBID(id);
    b.SetPeerID(id);
    ASSERT_TRUE(store.AddEntity(&a, 0));
    ASSERT_TRUE(store.AddEntity(&b, 0));
  }
  DeleteAcrossTheCycleFromBothEnds(store, kPairs, false);
}

TEST_F(CacheStoreTest, DeletesEnteringARelationCycleFromBothEndsEnd) {
  constexpr int kPairs = 100;
  std::string a, b;
  for (int id = 1; id <= kPairs; ++id) {
    const std::string pair = "(" + std::to_string(id) + ", " + std::to_string(id) + ")";
    a += (a.empty() ? "" : ", ") + pair;
    b += (b.empty() ? "" : ", ") + pair;
  }
  ASSERT_TRUE(raw_.Run("INSERT INTO TCS_CycleA (AID, PeerID) VALUES " + a));
  ASSERT_TRUE(raw_.Run("INSERT INTO TCS_CycleB (BID, PeerID) VALUES " + b));
  ASSERT_EQ(store_->HasEntityList("TCS_CycleA"), kPairs);
  ASSERT_EQ(store_->HasEntityList("TCS_CycleB"), kPairs);
  DeleteAcrossTheCycleFromBothEnds(*store_, kPairs, true);
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TCS_CycleA"), "0");
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TCS_CycleB"), "0");
}

// A write and a reload of TCS_Parent wait on the server (the table is locked
// by another session); meanwhile look-ups of TCS_Child and of TCS_Parent's
// cached rows are answered at once.
TEST_F(CacheStoreTest, LookupsOfCachedTablesNeverWaitForTheDatabase) {
  ASSERT_TRUE(raw_.Run("INSERT INTO TCS_Parent (ParentID, Name) VALUES (1, 'one')"));
  ASSERT_TRUE(raw_.Run("INSERT INTO TCS_Child (ChildID, ParentID) VALUES (10, 1)"));
  ASSERT_EQ(store_->HasEntityList("TCS_Parent"), 1);
  ASSERT_EQ(store_->HasEntityList("TCS_Child"), 1);
  RawConnection watcher;
  std::string error;
  ASSERT_TRUE(watcher.Open(db_, database_, &error)) << error;
  auto waiting = [&](const std::string& statement_start) {
    return watcher.Value("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE INFO LIKE '" +
                         statement_start + "%'") != "0";
  };

  ASSERT_TRUE(raw_.Run("LOCK TABLES TCS_Parent WRITE"));
  auto added = std::make_unique<CTCSParent>();
  added->SetName("added");
  auto writer = std::async(std::launch::async, [&] {
    store_->OpenConnection();
    const bool ok = store_->AddEntity(added.get(), 0);
    store_->CloseConnection(0);
    return ok;
  });
  auto loader = std::async(std::launch::async, [&] {
    store_->OpenConnection();
    store_->LoadEntityList("TCS_Parent");
    store_->CloseConnection(0);
  });
  bool blocked = false;
  for (int i = 0; i < 300 && !blocked; ++i) {
    blocked = waiting("INSERT INTO TCS_Parent") && waiting("SELECT * FROM TCS_Parent");
    if (!blocked) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_TRUE(blocked) << "the write and the load never reached the server";

  auto lookups = std::async(std::launch::async, [&] {
    return store_->FindCachedEntity("TCS_Child", 10) != nullptr && store_->FindCachedEntity("TCS_Parent", 1) != nullptr &&
           store_->GetRelatedEntityList("TCS_Parent", 1, "TCS_Child", "ParentID").size() == 1 &&
           store_->GetTableVersion("TCS_Child") == 1;
  });
  // Generous: an answer from memory takes microseconds; a wait for the server lasts until the unlock.
  const bool prompt = lookups.wait_for(seconds(20)) == std::future_status::ready;
  EXPECT_TRUE(prompt) << "look-ups waited for the database";
  ASSERT_TRUE(raw_.Run("UNLOCK TABLES"));
  EXPECT_TRUE(lookups.get());
  EXPECT_TRUE(writer.get());
  loader.get();
  // Whichever of the load and the write the server ran first, the cache has the new row.
  EXPECT_NE(store_->FindCachedEntity("TCS_Parent", added->GetID()), nullptr);
  EXPECT_EQ(store_->HasEntityList("TCS_Parent"), 2);
}

}  // namespace
