// The database entity service: which connection serves which thread,
// memory-only rows, transactions across threads, and its lists and deletes.
#include "database/DBDataStore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "database/AdapterFixture.h"
#include "database/DBSchema.h"

namespace {

using Statements = std::vector<std::string>;

class DataStoreTest : public AdapterTest {
 protected:
  void SetUp() override {
    AdapterTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    service_ = std::make_unique<CDBDataStore>();
    service_->SetAdapterType("MARIADB");
    service_->Initialize(db_.host.c_str(), static_cast<int>(db_.port), database_.c_str(), db_.user.c_str(),
                         db_.password.c_str());
    ASSERT_TRUE(service_->IsConnected(0));
  }
  void TearDown() override {
    service_.reset();
    AdapterTest::TearDown();
  }
  // The server session of a connection of the service.
  unsigned long SessionOf(int connection) {
    auto info = service_->GetConnection(connection);
    return info ? static_cast<CMariaAdapter*>(info->GetAdapter())->GetSessionId() : 0;
  }
  std::unique_ptr<CDBDataStore> service_;
};

TEST_F(DataStoreTest, MemoryOnlyRowsAndUnknownTablesNeverReachTheDatabase) {
  unsigned long session = SessionOf(0);
  size_t before = StatementsOf(session).size();
  CDbTestStatus status;
  status.SetDeviceID(4);
  EXPECT_TRUE(service_->AddEntity(&status, 0));
  EXPECT_TRUE(service_->UpdateEntity(&status, 0));
  EXPECT_TRUE(service_->DeleteEntity(&status, 0));
  EntityMap untouched{{7, nullptr}};
  service_->GetEntityList("LTBL_DbTestStatus", nullptr, untouched);
  service_->GetEntityList("TBL_NotARowClass", nullptr, untouched);
  EXPECT_EQ(untouched.size(), 1u);
  EXPECT_EQ(StatementsOf(session).size(), before);

  CDBDataStore unconnected;  // never initialised: no connection at all
  EXPECT_TRUE(unconnected.AddEntity(&status, 0));
  EXPECT_EQ(unconnected.GetDBSchema(), nullptr);
  EXPECT_EQ(unconnected.GetEntityCount("TBL_DbTestCamera", nullptr), 0);
  LogCapture log;
  CDbTestCamera camera;
  EXPECT_FALSE(unconnected.AddEntity(&camera, 0));
  EXPECT_TRUE(log.Contains("[CDBDataStore::AddEntity] ERROR - Can't find '0' connection.")) << log.Text();
  EXPECT_FALSE(unconnected.IsConnected(0));
}

TEST_F(DataStoreTest, ThreadsUseTheDefaultConnectionUntilTheyOpenTheirOwn) {
  unsigned long default_session = SessionOf(0);
  unsigned long own_session = 0;
  std::thread worker([&] {
    EXPECT_TRUE(service_->FindEntity("TBL_DbTestCamera", "CameraID", 1) == nullptr);
    int own = service_->OpenConnection();
    EXPECT_GT(own, 0);
    EXPECT_TRUE(service_->IsConnected(own));
    own_session = SessionOf(0);
    EXPECT_EQ(service_->GetEntityCount("TBL_DbTestCamera", nullptr), 0);
    service_->CloseConnection(0);
    EXPECT_EQ(SessionOf(0), default_session);  // back on the default connection
  });
  worker.join();
  EXPECT_NE(own_session, default_session);
  EXPECT_EQ(StatementsOf(default_session),
            Statements{"SELECT * FROM TBL_DbTestCamera WHERE `CameraID` = 1"});
  EXPECT_EQ(StatementsOf(own_session).back(), "SELECT COUNT(*) FROM TBL_DbTestCamera");
}

TEST_F(DataStoreTest, TransactionsBelongToTheirIdNotTheirThread) {
  int transaction = 0;
  std::thread starter([&] { transaction = service_->BeginTransaction(); });
  starter.join();
  ASSERT_GT(transaction, 0);
  EXPECT_GT(service_->GetConnection(transaction)->GetTransactionStart(), 0);
  CDbTestCamera camera;
  camera.SetCameraName("in transaction");
  ASSERT_TRUE(service_->AddEntity(&camera, transaction));
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TBL_DbTestCamera"), "0");
  std::thread committer([&] { EXPECT_TRUE(service_->CommitTransaction(transaction)); });
  committer.join();
  EXPECT_EQ(raw_.Value("SELECT CameraName FROM TBL_DbTestCamera"), "in transaction");
  EXPECT_EQ(service_->GetConnection(transaction), nullptr);  // released

  LogCapture log;
  EXPECT_FALSE(service_->CommitTransaction(transaction));
  EXPECT_TRUE(log.Contains("[CDBDataStore::CommitTransaction] ERROR - Can't find '" + std::to_string(transaction) +
                           "' connection."))
      << log.Text();

  int rolled_back = service_->BeginTransaction();
  ASSERT_GT(rolled_back, 0);
  ASSERT_TRUE(service_->AddEntity(&camera, rolled_back));
  EXPECT_TRUE(service_->RollbackTransaction(rolled_back));
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TBL_DbTestCamera"), "1");
}

TEST_F(DataStoreTest, ALostTransactionIsNotReportedCommitted) {
  int transaction = service_->BeginTransaction();
  ASSERT_GT(transaction, 0);
  CDbTestCamera camera;
  ASSERT_TRUE(service_->AddEntity(&camera, transaction));
  ASSERT_TRUE(KillSession(SessionOf(transaction)));
  EXPECT_FALSE(service_->AddEntity(&camera, transaction));
  EXPECT_FALSE(service_->CommitTransaction(transaction));
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TBL_DbTestCamera"), "0");
}

TEST(DataStore, AFailedBeginLeavesNoConnectionBehind) {
  CDBDataStore service;
  service.Initialize("127.0.0.1", ClosedPort(), "gate", "root", "pw");
  EXPECT_FALSE(service.IsConnected(0));
  pid_t worker_thread = 0;
  int transaction = -1;
  std::thread worker([&] {
    worker_thread = CurrentThreadId();
    transaction = service.BeginTransaction();
  });
  worker.join();
  EXPECT_EQ(transaction, 0);
  EXPECT_EQ(service.GetConnectionManager().FindConnectionByThread(worker_thread), nullptr);
  EXPECT_EQ(service.GetName(), "127.0.0.1:" + std::to_string(service.GetConnectionManager().GetPort()));
}

TEST_F(DataStoreTest, ListsCountsAndDeletes) {
  CDbTestCamera kept, deleted;
  ASSERT_TRUE(service_->AddEntity(&kept, 0));
  ASSERT_TRUE(service_->AddEntity(&deleted, 0));
  ASSERT_TRUE(service_->DeleteEntity(&deleted, 0));  // soft: the table has IsDeleted
  EXPECT_EQ(raw_.Value("SELECT IsDeleted FROM TBL_DbTestCamera WHERE CameraID = 2"), "1");

  EntityMap listed, all;
  service_->GetEntityList("TBL_DbTestCamera", nullptr, listed);
  service_->GetDBEntityList("TBL_DbTestCamera", nullptr, all);
  EXPECT_EQ(listed.size(), 1u);
  EXPECT_EQ(all.size(), 2u);
  EXPECT_EQ(service_->GetEntityCount("TBL_DbTestCamera", nullptr), 2);

  EXPECT_TRUE(service_->DeleteEntity("TBL_DbTestCamera", "CameraID", 2));  // physical
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TBL_DbTestCamera"), "1");
  EXPECT_FALSE(service_->DeleteEntity("TBL_DbTestCamera", "CameraID", 99));

  unsigned long session = SessionOf(0);
  size_t before = StatementsOf(session).size();
  EXPECT_EQ(service_->FindEntity("TBL_DbTestCamera", ""), nullptr);
  EXPECT_EQ(service_->FindEntity("", "`CameraID` = 1"), nullptr);
  EXPECT_EQ(service_->FindEntityEx("TBL_DbTestCamera", nullptr), nullptr);
  EXPECT_EQ(StatementsOf(session).size(), before);  // nothing sent
  EXPECT_NE(service_->FindEntity("TBL_DbTestCamera", "`CameraID` = 1"), nullptr);
  EXPECT_NE(service_->FindDBEntity("TBL_DbTestCamera", "CameraID", 1), nullptr);
  ASSERT_NE(service_->GetDBSchema(), nullptr);
  EXPECT_TRUE(service_->GetDBSchema()->HasTable("TBL_DbTestCamera"));
  EXPECT_EQ(service_->GetName(), db_.host + ":" + std::to_string(db_.port));
  EXPECT_EQ(service_->GetTypeName(), "CDBDataStore");
}

TEST_F(DataStoreTest, UpdatePassesTheColumnListThrough) {
  CDbTestCamera camera;
  camera.SetCameraName("first");
  camera.SetZavID(1);
  ASSERT_TRUE(service_->AddEntity(&camera, 0));
  // Two writers of different columns: neither overwrites the other's column.
  CDbTestCamera writer_a, writer_b;
  writer_a.SetCameraID(camera.GetCameraID());
  writer_b.SetCameraID(camera.GetCameraID());
  writer_a.SetCameraName("renamed");
  writer_b.SetZavID(9);
  ColumnList name{"CameraName"}, zav{"ZavID"};
  ASSERT_TRUE(service_->UpdateEntity(&writer_a, &name, 0));
  ASSERT_TRUE(service_->UpdateEntity(&writer_b, &zav, 0));
  EXPECT_EQ(raw_.Value("SELECT CONCAT(CameraName, ' ', ZavID) FROM TBL_DbTestCamera"), "renamed 9");
}

TEST_F(DataStoreTest, TheSchemaOutlivesTheConnectionThatReadIt) {
  CDBSchema* schema = nullptr;
  std::thread worker([&] {
    service_->OpenConnection();
    schema = service_->GetDBSchema();  // read through the worker's own connection
    service_->CloseConnection(0);      // which is gone afterwards
  });
  worker.join();
  ASSERT_NE(schema, nullptr);
  EXPECT_TRUE(schema->HasColumn("TBL_DbTestCamera", "IsDeleted"));
  EXPECT_EQ(service_->GetDBSchema(), schema);
}

TEST_F(DataStoreTest, ThreadsShareTheDefaultConnectionAndOpenTheirOwn) {
  constexpr int kThreads = 8;
  constexpr int kRowsEach = 40;
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      if (t % 2 == 1 && service_->OpenConnection() <= 0) ++failures;  // odd threads: own connection
      for (int i = 0; i < kRowsEach; ++i) {
        CDbTestCamera camera;
        camera.SetZavID(t);
        if (!service_->AddEntity(&camera, 0)) ++failures;
        EntityMap mine;
        service_->GetEntityList("TBL_DbTestCamera", ("WHERE `ZavID` = " + std::to_string(t)).c_str(), mine);
        if (static_cast<int>(mine.size()) != i + 1) ++failures;
        if (!service_->FindEntity("TBL_DbTestCamera", "CameraID", camera.GetCameraID())) ++failures;
      }
      if (t % 2 == 1) {
        int transaction = service_->BeginTransaction();
        CDbTestCamera camera;
        camera.SetZavID(100 + t);
        if (!service_->AddEntity(&camera, transaction) || !service_->CommitTransaction(transaction)) ++failures;
        service_->CloseConnection(0);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(service_->GetEntityCount("TBL_DbTestCamera", nullptr), kThreads * kRowsEach + kThreads / 2);
}

int CountRows(EntityPtr, void* context) {
  ++*static_cast<int*>(context);
  return 1;
}

TEST_F(DataStoreTest, StreamsRelayToTheCallback) {
  for (int i = 0; i < 3; ++i) {
    CDbTestCamera camera;
    ASSERT_TRUE(service_->AddEntity(&camera, 0));
  }
  int count = 0;
  service_->GetEntityList("TBL_DbTestCamera", nullptr, CountRows, &count);
  EXPECT_EQ(count, 3);
  count = 0;
  service_->GetEntityListEx("TBL_DbTestCamera", "SELECT * FROM TBL_DbTestCamera LIMIT 2", CountRows, &count);
  EXPECT_EQ(count, 2);
  count = 0;
  service_->GetEntityListEx("LTBL_DbTestStatus", "SELECT * FROM TBL_DbTestCamera", CountRows, &count);
  EXPECT_EQ(count, 0);
}

}  // namespace
