// Recovery from a restarted server, on a private server of the test's own.
#include <gtest/gtest.h>

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

TEST(AdapterRecovery, RestartedServerIsReconnectedOutsideATransactionOnly) {
  PrivateServer server;
  std::string error;
  ASSERT_TRUE(server.Start(&error)) << error;
  CMariaAdapter adapter;
  ASSERT_TRUE(adapter.Connect("127.0.0.1", server.port(), "gate_private", "root", PrivateServer::password()));
  ASSERT_TRUE(adapter.ExecuteQuery("CREATE TABLE t (id INT) ENGINE=InnoDB"));

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

}  // namespace
