// Recovery from a restarted server, on a private server of the test's own.
#include <gtest/gtest.h>

#include "database/DBDataStore.h"
#include "database/DBSchema.h"
#include "database/DatabaseFixture.h"
#include "database/MariaAdapter.h"

namespace {

std::string Ids(CMariaAdapter& adapter) {
  ColumnIndex columns;
  ResultRows rows;
  if (!adapter.ExecuteQuery("SELECT GROUP_CONCAT(id ORDER BY id) FROM t", columns, rows) || rows.empty()) {
    return "(failed)";
  }
  return rows[0][0];
}

// A private server of the test's own with an empty table `t`, and an adapter connected to it.
class AdapterRecovery : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.Start(&error)) << error;
    ASSERT_TRUE(adapter.Connect("127.0.0.1", server.port(), "gate_private", "root", PrivateServer::password()));
    ASSERT_TRUE(adapter.ExecuteQuery("CREATE TABLE t (id INT) ENGINE=InnoDB"));
  }
  PrivateServer server;
  std::string error;
  CMariaAdapter adapter;
};

TEST_F(AdapterRecovery, RestartedServerIsReconnectedOutsideATransactionOnly) {

  server.Stop();
  EXPECT_FALSE(adapter.ExecuteQuery("INSERT INTO t VALUES (1)"));  // fails at once while it is down
  ASSERT_TRUE(server.Start(&error)) << error;
  EXPECT_TRUE(adapter.ExecuteQuery("INSERT INTO t VALUES (2)"));
  EXPECT_EQ(Ids(adapter), "2");

  // A restart inside a transaction loses it: nothing after it may run outside
  // the transaction, and the commit must fail.
  ASSERT_TRUE(adapter.BeginTransaction());
  ASSERT_TRUE(adapter.ExecuteQuery("INSERT INTO t VALUES (3)"));
  server.Stop();
  ASSERT_TRUE(server.Start(&error)) << error;
  EXPECT_FALSE(adapter.ExecuteQuery("INSERT INTO t VALUES (4)"));
  EXPECT_FALSE(adapter.CommitTransaction());
  EXPECT_EQ(Ids(adapter), "2");
}

// The service hands out its own copy of the schema: a copy taken while the
// server was down is empty and must be read again once the server is back.
TEST_F(AdapterRecovery, SchemaCopyTakenWhileTheServerIsDownIsReadAgain) {
  CDBDataStore service;
  service.SetAdapterType("MARIADB");
  service.Initialize("127.0.0.1", server.port(), "gate_private", "root", PrivateServer::password());
  ASSERT_TRUE(service.IsConnected(0));

  server.Stop();
  CDBSchema* schema = service.GetDBSchema();
  ASSERT_NE(schema, nullptr);
  EXPECT_FALSE(schema->HasTable("t"));
  ASSERT_TRUE(server.Start(&error)) << error;
  schema = service.GetDBSchema();
  ASSERT_NE(schema, nullptr);
  EXPECT_TRUE(schema->HasTable("t"));
}

}  // namespace
