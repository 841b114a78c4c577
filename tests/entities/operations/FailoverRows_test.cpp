#include <gtest/gtest.h>

#include "StoreTest.h"
#include "entities/base/DBEntityFactory.h"
#include "entities/base/EntitySchema.h"
#include "entities/operations/Failover.h"
#include "entities/operations/FailoverConnection.h"
#include "entities/operations/FailoverHistory.h"

namespace {

std::vector<std::string> ColumnNames(const CDBEntity& row) {
  std::vector<std::string> names;
  for (const CColumnValue& value : row.GetColumnValues()) names.push_back(value.GetName());
  return names;
}

TEST(FailoverRows, TablesColumnsKeysAndRelations) {
  struct Case {
    const char* table;
    std::vector<std::string> columns;
    std::vector<std::string> relations;  // "table.column mode"
  } cases[] = {
      {"TBL_Failovers", {"FailoverID", "ZavID", "TargetZavID", "FailoverHistoryID"}, {}},
      {"TBL_FailoverHistories",
       {"FailoverHistoryID", "ZavID", "TargetZavID", "UserID", "ClientID", "DateTimeAdded", "DateTimeDeleted",
        "Comment", "IsDeleted"},
       {"TBL_FailoverConnections.FailoverHistoryID 1"}},
      {"TBL_FailoverConnections",
       {"FailoverConnectionID", "FailoverHistoryID", "DeviceID", "ZavID", "ZavChannel", "DateTimeAdded",
        "DateTimeDeleted", "IsDeleted"},
       {}},
  };
  for (const Case& c : cases) {
    std::unique_ptr<CDBEntity> row(CDBEntityFactory::CreateEntity(c.table));
    ASSERT_TRUE(row) << c.table;
    EXPECT_STREQ(row->GetTableName(), c.table);
    EXPECT_EQ(ColumnNames(*row), c.columns) << c.table;
    EXPECT_EQ(row->GetKeyColumnName(), c.columns[0]) << c.table;
    EXPECT_TRUE(row->IsAutoIncrementKey()) << c.table;
    EXPECT_FALSE(row->IsExcludedFromCache()) << c.table;
    EXPECT_FALSE(row->IsMemoryOnly()) << c.table;
    EXPECT_EQ(row->GetInterface("IEntityTreeNode"), nullptr) << c.table;
    std::vector<std::string> relations;
    for (const CRelationInfo& r : row->GetRelationInfos()) {
      relations.push_back(r.GetRelatedTable() + "." + r.GetRelationColumn() + " " + std::to_string(r.GetMode()));
    }
    EXPECT_EQ(relations, c.relations) << c.table;
  }
}

TEST(FailoverRows, FreeRowsFindNothing) {
  CTBLFailoverConnection connection;
  connection.SetFailoverHistoryID(3);
  connection.SetDeviceID(4);
  EXPECT_EQ(connection.GetFailoverHistory(), nullptr);
  CTBLFailoverHistory history;
  history.SetFailoverHistoryID(3);
  EXPECT_EQ(history.GetFailover(), nullptr);
}

class FailoverStoreTest : public StoreTest {};

TEST_F(FailoverStoreTest, RowsRoundTripThroughTheDatabase) {
  CTBLFailoverHistory history;
  history.SetZavID(2);
  history.SetTargetZavID(5);
  history.SetUserID(7);
  history.SetClientID(9);
  history.SetDateTimeAdded("2024-03-01 10:20:30");
  history.SetComment("Rack 2 power loss");
  ASSERT_TRUE(service_->AddEntity(&history, 0));
  ASSERT_GT(history.GetID(), 0);

  CTBLFailoverConnection connection;
  connection.SetFailoverHistoryID(history.GetID());
  connection.SetDeviceID(11);
  connection.SetZavID(5);
  connection.SetZavChannel(16);
  connection.SetDateTimeAdded("2024-03-01 10:20:31");
  ASSERT_TRUE(service_->AddEntity(&connection, 0));

  CTBLFailover failover;
  failover.SetZavID(2);
  failover.SetTargetZavID(5);
  failover.SetFailoverHistoryID(history.GetID());
  ASSERT_TRUE(service_->AddEntity(&failover, 0));

  for (CDBEntity* row : std::initializer_list<CDBEntity*>{&history, &connection, &failover}) {
    EntityPtr read = Find(row->GetTableName(), row->GetKeyColumnName(), row->GetID());
    ASSERT_TRUE(read) << row->GetTableName();
    EXPECT_EQ(read->GetColumnValues(), row->GetColumnValues()) << row->GetTableName();
  }

  connection.SetZavChannel(17);
  connection.SetDateTimeDeleted("2024-03-02 08:00:00");
  ASSERT_TRUE(service_->UpdateEntity(&connection, 0));
  EXPECT_EQ(OnlyRowValue("TBL_FailoverConnections", "ZavChannel"), "17");
  EXPECT_EQ(OnlyRowValue("TBL_FailoverConnections", "DateTimeDeleted"), "2024-03-02 08:00:00");
}

TEST_F(FailoverStoreTest, LookupsFollowTheCache) {
  CTBLFailoverHistory historyRow;
  historyRow.SetZavID(2);
  auto history = Add(historyRow);
  CTBLFailoverHistory otherRow;
  auto other = Add(otherRow);
  ASSERT_TRUE(history && other);

  // Two failovers name the history: the lower key is the one in force.
  CTBLFailover unrelated, first, second;
  unrelated.SetFailoverHistoryID(other->GetID() + 100);
  first.SetFailoverHistoryID(history->GetID());
  second.SetFailoverHistoryID(history->GetID());
  Add(unrelated);
  auto firstCached = Add(first);
  Add(second);
  ASSERT_TRUE(firstCached);
  ASSERT_TRUE(history->GetFailover());
  EXPECT_EQ(history->GetFailover()->GetID(), firstCached->GetID());
  EXPECT_EQ(other->GetFailover(), nullptr) << "a history whose failover ended";

  CTBLFailoverConnection connectionRow, orphanRow, zeroRow;
  connectionRow.SetFailoverHistoryID(history->GetID());
  orphanRow.SetFailoverHistoryID(history->GetID() + 50);
  auto connection = Add(connectionRow);
  auto orphan = Add(orphanRow);
  auto zero = Add(zeroRow);
  ASSERT_TRUE(connection && orphan && zero);
  ASSERT_TRUE(connection->GetFailoverHistory());
  EXPECT_EQ(connection->GetFailoverHistory().get(), history.get()) << "the cached row itself";
  EXPECT_EQ(orphan->GetFailoverHistory(), nullptr);
  EXPECT_EQ(zero->GetFailoverHistory(), nullptr);

  // Deleting the history through the store soft-deletes it with its
  // connections; the lookups no longer find it.
  ASSERT_TRUE(store_->DeleteEntityEx(history.get(), false, 0));
  EXPECT_EQ(OnlyRowValue("TBL_FailoverHistories", "IsDeleted", "WHERE `ZavID` = 2"), "1");
  EXPECT_EQ(OnlyRowValue("TBL_FailoverConnections", "IsDeleted",
                         "WHERE `FailoverConnectionID` = " + std::to_string(connection->GetID())),
            "1");
  EXPECT_EQ(connection->GetFailoverHistory(), nullptr);

  // A fresh store reading the database leaves soft-deleted rows out.
  auto fresh = std::make_unique<CDataStore>(service_.get());
  auto reread = std::dynamic_pointer_cast<CTBLFailoverConnection>(
      fresh->FindCachedEntity("TBL_FailoverConnections", orphan->GetID()));
  ASSERT_TRUE(reread);
  EXPECT_EQ(fresh->FindCachedEntity("TBL_FailoverConnections", connection->GetID()), nullptr);
  EXPECT_EQ(fresh->FindCachedEntity("TBL_FailoverHistories", history->GetID()), nullptr);
}

}  // namespace
