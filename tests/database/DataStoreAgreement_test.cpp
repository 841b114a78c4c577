// The cache store and the database agree: a commit that failed, a table that
// could not be read, a row added and changed in one transaction, rows of
// two-column keys and of 64-bit keys.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "CacheStoreFixture.h"
#include "CacheTestRows.h"
#include "database/MariaAdapter.h"

namespace {

std::unique_ptr<CTCSParent> Parent(const std::string& name) {
  auto row = std::make_unique<CTCSParent>();
  row->SetName(name);
  return row;
}

template <typename Row>
std::string NameOf(const EntityPtr& row) {
  auto* typed = dynamic_cast<Row*>(row.get());
  return typed ? typed->GetName() : "<none>";
}

std::unique_ptr<CTCSPair> Pair(int left, int right, const std::string& name) {
  auto row = std::make_unique<CTCSPair>();
  row->SetLeft(left);
  row->SetRight(right);
  row->SetName(name);
  return row;
}

class StoreAgreementTest : public CacheStoreTest {
 protected:
  unsigned long SessionOf(int connection) {
    auto info = service_->GetConnection(connection);
    return info ? static_cast<CMariaAdapter*>(info->GetAdapter())->GetSessionId() : 0;
  }
  std::string DatabaseName(int id) {
    return raw_.Value("SELECT Name FROM TCS_Parent WHERE ParentID = " + std::to_string(id));
  }
};

TEST_F(StoreAgreementTest, AFailedCommitBringsNothingToTheCache) {
  auto kept = Parent("kept");
  ASSERT_TRUE(store_->AddEntity(kept.get(), 0));
  auto gone = Parent("gone");
  ASSERT_TRUE(store_->AddEntity(gone.get(), 0));

  const int tx = store_->BeginTransaction();
  ASSERT_GT(tx, 0);
  auto added = Parent("added");
  ASSERT_TRUE(store_->AddEntity(added.get(), tx));
  kept->SetName("renamed");
  ASSERT_TRUE(store_->UpdateEntity(kept.get(), tx));
  ASSERT_TRUE(store_->DeleteEntity(gone.get(), tx));
  // The transaction's session ends before its COMMIT: the server rolls it back.
  ASSERT_TRUE(KillSession(SessionOf(tx)));
  LogCapture log;
  EXPECT_FALSE(store_->CommitTransaction(tx));
  EXPECT_TRUE(log.Contains("was not committed")) << log.Text();

  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TCS_Parent"), "2");
  EXPECT_EQ(DatabaseName(kept->GetID()), "kept");
  EXPECT_EQ(store_->FindCachedEntity("TCS_Parent", added->GetID()), nullptr);
  EXPECT_EQ(NameOf<CTCSParent>(store_->FindCachedEntity("TCS_Parent", kept->GetID())), "kept");
  EXPECT_NE(store_->FindCachedEntity("TCS_Parent", gone->GetID()), nullptr);
  EXPECT_EQ(store_->HasEntityList("TCS_Parent"), 2);
}

TEST_F(StoreAgreementTest, ATableThatCannotBeReadStaysNotCached) {
  ASSERT_TRUE(raw_.Run("INSERT INTO TCS_Parent (ParentID, Name) VALUES (1, 'one')"));
  EXPECT_EQ(store_->HasEntityList("TCS_Child"), 0);  // the service has read the schema
  ASSERT_TRUE(raw_.Run("RENAME TABLE TCS_Parent TO TCS_Parent_Away"));
  LogCapture log;
  EXPECT_EQ(store_->FindCachedEntity("TCS_Parent", 1), nullptr);
  EXPECT_EQ(store_->HasEntityList("TCS_Parent"), 0);
  EXPECT_EQ(store_->GetTableVersion("TCS_Parent"), 0);
  EXPECT_TRUE(log.Contains("Can't load 'TCS_Parent' entity list")) << log.Text();

  // Once the table can be read, the next look-up loads it.
  ASSERT_TRUE(raw_.Run("RENAME TABLE TCS_Parent_Away TO TCS_Parent"));
  EXPECT_EQ(NameOf<CTCSParent>(store_->FindCachedEntity("TCS_Parent", 1)), "one");
  EXPECT_EQ(store_->GetTableVersion("TCS_Parent"), 1);

  // A reload that fails drops the cached rows rather than keep them as if read.
  ASSERT_TRUE(raw_.Run("RENAME TABLE TCS_Parent TO TCS_Parent_Away"));
  store_->LoadEntityList("TCS_Parent");
  ASSERT_TRUE(raw_.Run("RENAME TABLE TCS_Parent_Away TO TCS_Parent"));
  ASSERT_TRUE(raw_.Run("UPDATE TCS_Parent SET Name = 'changed meanwhile'"));
  EXPECT_EQ(NameOf<CTCSParent>(store_->FindCachedEntity("TCS_Parent", 1)), "changed meanwhile");
}

// A row added, then changed (or deleted) in the same transaction: after the
// commit the cache holds what the database holds.
TEST_F(StoreAgreementTest, ARowAddedAndChangedInOneTransactionMatchesTheDatabase) {
  struct Case {
    const char* name;
    bool database_transaction;
  };
  for (const Case& c : {Case{"database transaction", true}, Case{"store-only transaction", false}}) {
    SCOPED_TRACE(c.name);
    const int tx = c.database_transaction ? store_->BeginTransaction() : store_->NewTransactionId();
    ASSERT_NE(tx, 0);
    auto row = Parent("first");
    ASSERT_TRUE(store_->AddEntity(row.get(), tx));
    row->SetName("second");
    EXPECT_TRUE(store_->UpdateEntity(row.get(), tx));
    row->SetSize(7);
    const ColumnList sizeOnly = {"Size"};
    EXPECT_TRUE(store_->UpdateEntity(row.get(), &sizeOnly, tx));
    auto dropped = Parent("dropped");
    ASSERT_TRUE(store_->AddEntity(dropped.get(), tx));
    EXPECT_TRUE(store_->DeleteEntity(dropped.get(), tx));
    ASSERT_TRUE(store_->CommitTransaction(tx));

    EXPECT_EQ(raw_.Value("SELECT CONCAT(Name, ' ', Size) FROM TCS_Parent WHERE ParentID = " +
                         std::to_string(row->GetID())),
              "second 7");
    auto* cached = dynamic_cast<CTCSParent*>(store_->FindCachedEntity("TCS_Parent", row->GetID()).get());
    ASSERT_NE(cached, nullptr);
    EXPECT_EQ(cached->GetName() + " " + std::to_string(cached->GetSize()), "second 7");
    EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TCS_Parent WHERE ParentID = " + std::to_string(dropped->GetID())),
              "0");
    EXPECT_EQ(store_->FindCachedEntity("TCS_Parent", dropped->GetID()), nullptr);
  }
}

// A row of a two-column key written through a row object of its own: the
// cached row follows, so a later delete of the cached row matches the
// database's row.
TEST_F(StoreAgreementTest, RowsOfTwoColumnKeysAreUpdatedInTheCache) {
  auto first = Pair(1, 2, "a");
  ASSERT_TRUE(store_->AddEntity(first.get(), 0));
  auto other = Pair(1, 3, "other");
  ASSERT_TRUE(store_->AddEntity(other.get(), 0));
  ASSERT_EQ(store_->HasEntityList("TCS_Pair"), 2);

  auto rename = Pair(1, 2, "b");
  ASSERT_TRUE(store_->UpdateEntity(rename.get(), 0));
  auto cachedName = [&](int right) {
    for (const auto& [id, row] : store_->GetCachedEntityList("TCS_Pair")) {
      auto* pair = dynamic_cast<CTCSPair*>(row.get());
      if (pair && pair->GetLeft() == 1 && pair->GetRight() == right) return pair->GetName();
    }
    return std::string("<none>");
  };
  EXPECT_EQ(cachedName(2), "b");
  EXPECT_EQ(cachedName(3), "other");
  EXPECT_EQ(store_->HasEntityList("TCS_Pair"), 2);

  const int tx = store_->BeginTransaction();
  ASSERT_GT(tx, 0);
  auto again = Pair(1, 2, "c");
  ASSERT_TRUE(store_->UpdateEntity(again.get(), tx));
  EXPECT_EQ(cachedName(2), "b");
  ASSERT_TRUE(store_->CommitTransaction(tx));
  EXPECT_EQ(cachedName(2), "c");
  EXPECT_EQ(raw_.Value("SELECT Name FROM TCS_Pair WHERE `Left` = 1 AND `Right` = 2"), "c");

  for (const auto& [id, row] : store_->GetCachedEntityList("TCS_Pair")) {
    auto* pair = dynamic_cast<CTCSPair*>(row.get());
    if (pair && pair->GetRight() == 2) {
      ASSERT_TRUE(store_->DeleteEntity(row.get(), 0));
    }
  }
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TCS_Pair WHERE `Right` = 2"), "0");
  EXPECT_EQ(cachedName(2), "<none>");
}

// A row that another writer removed from the database: the store tells "no
// row matched" from a server error, and its cache follows the database (at
// the commit inside a transaction). A server error leaves the cache alone
// (RefusedWritesLeaveTheCacheAlone).
TEST_F(StoreAgreementTest, AWriteThatMatchedNoRowSaysSoAndDropsTheStaleCopy) {
  struct Case {
    const char* name;
    bool inTransaction;
    DBWriteResult (*write)(CDataStore&, CDBEntity*, int);
  } cases[] = {
      {"update", false, [](CDataStore& s, CDBEntity* row, int tx) { return s.UpdateEntity(row, tx); }},
      {"update in a transaction", true, [](CDataStore& s, CDBEntity* row, int tx) { return s.UpdateEntity(row, tx); }},
      {"delete", false, [](CDataStore& s, CDBEntity* row, int tx) { return s.DeleteEntity(row, tx); }},
      {"delete in a transaction", true, [](CDataStore& s, CDBEntity* row, int tx) { return s.DeleteEntity(row, tx); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto row = Parent("removed behind the store");
    ASSERT_TRUE(store_->AddEntity(row.get(), 0));
    const int id = row->GetID();
    ASSERT_TRUE(raw_.Run("DELETE FROM TCS_Parent WHERE ParentID = " + std::to_string(id)));
    const int tx = c.inTransaction ? store_->BeginTransaction() : 0;
    if (c.inTransaction) ASSERT_GT(tx, 0);
    row->SetName("changed");
    LogCapture log;
    DBWriteResult result = c.write(*store_, row.get(), tx);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.outcome(), DBWriteResult::kNoRowMatched);
    EXPECT_TRUE(log.Contains("ERROR - No row matched the statement")) << log.Text();
    if (c.inTransaction) {
      EXPECT_NE(store_->FindCachedEntity("TCS_Parent", id), nullptr) << "the cache waits for the commit";
      ASSERT_TRUE(store_->CommitTransaction(tx));
    }
    EXPECT_EQ(store_->FindCachedEntity("TCS_Parent", id), nullptr);
    EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TCS_Parent WHERE ParentID = " + std::to_string(id)), "0");
  }
}

TEST_F(StoreAgreementTest, RowsAreCachedUnderTheirFull64BitKey) {
  constexpr uint64_t kHigh = 4294967296ull;  // 2^32
  std::string values;
  for (uint64_t low = 1; low <= 5; ++low) {
    values += (values.empty() ? "(" : ", (") + std::to_string(low) + ", 'small " + std::to_string(low) + "')";
    values += ", (" + std::to_string(kHigh + low) + ", 'big " + std::to_string(low) + "')";
  }
  ASSERT_TRUE(raw_.Run("INSERT INTO TCS_Big (BigID, Name) VALUES " + values));
  EXPECT_EQ(store_->HasEntityList("TCS_Big"), 10);
  EXPECT_EQ(store_->GetCachedEntityList64("TCS_Big").size(), 10u);
  EXPECT_EQ(NameOf<CTCSBig>(store_->FindCachedEntity64("TCS_Big", kHigh + 1)), "big 1");
  EXPECT_EQ(NameOf<CTCSBig>(store_->FindCachedEntity64("TCS_Big", 1)), "small 1");
  EXPECT_EQ(NameOf<CTCSBig>(store_->FindCachedEntity("TCS_Big", 1)), "small 1");

  EntityPtr bigOne = store_->FindCachedEntity64("TCS_Big", kHigh + 1);
  ASSERT_TRUE(store_->DeleteEntity(bigOne.get(), 0));
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TCS_Big"), "9");
  EXPECT_EQ(store_->HasEntityList("TCS_Big"), 9);
  EXPECT_EQ(store_->FindCachedEntity64("TCS_Big", kHigh + 1), nullptr);
  EXPECT_EQ(NameOf<CTCSBig>(store_->FindCachedEntity64("TCS_Big", 1)), "small 1");

  CTCSBig rename;
  rename.SetBigID(kHigh + 2);
  rename.SetName("big 2 renamed");
  ASSERT_TRUE(store_->UpdateEntity(&rename, 0));
  EXPECT_EQ(NameOf<CTCSBig>(store_->FindCachedEntity64("TCS_Big", kHigh + 2)), "big 2 renamed");
  EXPECT_EQ(NameOf<CTCSBig>(store_->FindCachedEntity64("TCS_Big", 2)), "small 2");

  // Records of one transaction merge only for the same full key.
  const int tx = store_->NewTransactionId();
  CTCSBig small3, big3;
  small3.SetBigID(3);
  small3.SetName("small 3 renamed");
  big3.SetBigID(kHigh + 3);
  big3.SetName("big 3 renamed");
  ASSERT_TRUE(store_->UpdateEntity(&small3, tx));
  ASSERT_TRUE(store_->UpdateEntity(&big3, tx));
  ASSERT_TRUE(store_->CommitTransaction(tx));
  EXPECT_EQ(NameOf<CTCSBig>(store_->FindCachedEntity64("TCS_Big", 3)), "small 3 renamed");
  EXPECT_EQ(NameOf<CTCSBig>(store_->FindCachedEntity64("TCS_Big", kHigh + 3)), "big 3 renamed");
}

}  // namespace
