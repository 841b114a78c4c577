// Connections per thread: ids, look-up by thread, release, and connections
// that cannot open.
#include "database/DBConnectionManager.h"

#include <gtest/gtest.h>

#include <thread>

#include "database/DatabaseFixture.h"

namespace {

class ConnectionManagerTest : public DatabaseTest {
 protected:
  void Configure(CDBConnectionManager* manager, int port = 0) {
    manager->SetConnectionParams(db_.host.c_str(), port ? port : static_cast<int>(db_.port), database_.c_str(),
                                 db_.user.c_str(), db_.password.c_str());
  }
};

TEST_F(ConnectionManagerTest, IdsRunOnAcrossManagers) {
  CDBConnectionManager first, second;
  Configure(&first);
  Configure(&second);
  auto a = first.CreateConnection();
  auto b = second.CreateConnection();
  auto c = first.CreateConnection();
  EXPECT_GT(a->GetId(), 0);
  EXPECT_EQ(b->GetId(), a->GetId() + 1);
  EXPECT_EQ(c->GetId(), a->GetId() + 2);
  EXPECT_TRUE(a->GetAdapter()->IsConnected());
  EXPECT_EQ(a->GetOwnerThread(), CurrentThreadId());
  EXPECT_EQ(a->GetTransactionStart(), 0);
}

TEST_F(ConnectionManagerTest, AThreadFindsItsFirstConnection) {
  CDBConnectionManager manager;
  Configure(&manager);
  auto first = manager.CreateConnection();
  auto second = manager.CreateConnection();
  EXPECT_EQ(manager.FindConnection(0), first);
  EXPECT_EQ(manager.FindConnection(-3), first);
  EXPECT_EQ(manager.FindConnection(second->GetId()), second);
  EXPECT_EQ(manager.FindConnection(second->GetId() + 100), nullptr);

  std::shared_ptr<CDBConnectionInfo> other, others_own, others_lookup_of_mine;
  pid_t other_thread = 0;
  std::thread worker([&] {
    EXPECT_EQ(manager.FindConnection(0), nullptr);  // no connection of its own yet
    other = manager.CreateConnection();
    others_own = manager.FindConnection(0);
    others_lookup_of_mine = manager.FindConnection(first->GetId());
    other_thread = CurrentThreadId();
  });
  worker.join();
  EXPECT_EQ(others_own, other);
  EXPECT_EQ(others_lookup_of_mine, first);
  EXPECT_EQ(manager.FindConnectionByThread(other_thread), other);
  EXPECT_EQ(manager.FindConnection(0), first);
}

TEST_F(ConnectionManagerTest, ReleasingDisconnectsAndForgets) {
  CDBConnectionManager manager;
  Configure(&manager);
  std::shared_ptr<CDBConnectionInfo> held;
  std::thread worker([&] { held = manager.CreateConnection(); });
  worker.join();
  manager.ReleaseConnection(0);  // this thread has none: nothing happens
  EXPECT_EQ(manager.FindConnection(held->GetId()), held);
  manager.ReleaseConnection(held->GetId());  // another thread's, by id
  EXPECT_EQ(manager.FindConnection(held->GetId()), nullptr);
  EXPECT_FALSE(held->GetAdapter()->IsConnected());  // the holder keeps a disconnected object
  manager.ReleaseConnection(held->GetId());         // unknown id: nothing
}

TEST_F(ConnectionManagerTest, DestroyingTheManagerDisconnectsHeldConnections) {
  std::shared_ptr<CDBConnectionInfo> held;
  {
    CDBConnectionManager manager;
    Configure(&manager);
    held = manager.CreateConnection();
    ASSERT_TRUE(held->GetAdapter()->IsConnected());
  }
  EXPECT_FALSE(held->GetAdapter()->IsConnected());
}

TEST_F(ConnectionManagerTest, AConnectionThatCannotOpenStaysRegistered) {
  CDBConnectionManager manager;
  unsigned short port = ClosedPort();
  Configure(&manager, port);
  LogCapture log;
  auto connection = manager.CreateConnection();
  ASSERT_NE(connection, nullptr);
  EXPECT_FALSE(connection->GetAdapter()->IsConnected());
  EXPECT_EQ(manager.FindConnection(0), connection);
  EXPECT_TRUE(log.Contains("[CDBConnectionInfo::OpenConnection] ERROR - Can't connect with '127.0.0.1:" +
                           std::to_string(port) + "' database."))
      << log.Text();
}

TEST_F(ConnectionManagerTest, AdapterTypeDecidesTheAdapter) {
  for (const char* type : {"MARIADB", "mariadb", "MariaDb", ""}) {
    CDBConnectionManager manager;
    Configure(&manager);
    manager.SetAdapterType(type);
    auto connection = manager.CreateConnection();
    ASSERT_NE(connection->GetAdapter(), nullptr) << type;
    EXPECT_TRUE(connection->GetAdapter()->IsConnected()) << type;
  }
  CDBConnectionManager manager;
  Configure(&manager);
  manager.SetAdapterType("oracle");
  LogCapture log;
  auto connection = manager.CreateConnection();
  EXPECT_EQ(connection->GetAdapter(), nullptr);
  EXPECT_FALSE(connection->OpenConnection());
  EXPECT_TRUE(log.Contains("Can't connect with '" + db_.host + ":" + std::to_string(db_.port) + "' database."));
}

}  // namespace
