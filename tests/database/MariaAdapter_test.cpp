// The adapter's connection: options, the probe, the reconnect rule, errors,
// transactions, and recovery from killed sessions.
#include "database/MariaAdapter.h"

#include <gtest/gtest.h>

#include <chrono>

#include "database/AdapterFixture.h"
#include "database/DBSchema.h"
#include "database/FakeGreeter.h"

namespace {

using Statements = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

TEST(CreateDataAdapter, MakesTheMariaDbAdapterForItsNameInAnyCase) {
  for (const char* type : {"", "mariadb", "MARIADB", "MariaDB", "mArIaDb"}) {
    IDataAdapter* adapter = CreateDataAdapter(type);
    ASSERT_NE(adapter, nullptr) << type;
    EXPECT_EQ(adapter->GetTypeName(), "MARIADB");
    ReleaseDataAdapter(adapter);
    EXPECT_EQ(adapter, nullptr);
  }
  for (const char* type : {"mysql", "mariadb ", "x"}) EXPECT_EQ(CreateDataAdapter(type), nullptr) << type;
}

class MariaAdapterTest : public AdapterTest {};

TEST_F(MariaAdapterTest, SessionUsesEucKr) {
  ColumnIndex columns;
  ResultRows rows;
  ASSERT_TRUE(adapter_->ExecuteQuery("SELECT @@character_set_client, @@character_set_connection, "
                                     "@@character_set_results",
                                     columns, rows));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], (ResultRow{"euckr", "euckr", "euckr"}));
}

TEST_F(MariaAdapterTest, UnreachableServersFailWithoutWaiting) {
  CMariaAdapter adapter;
  auto start = Clock::now();
  EXPECT_FALSE(adapter.Connect("127.0.0.1", 0, database_.c_str(), db_.user.c_str(), db_.password.c_str()));
  EXPECT_FALSE(adapter.Connect("127.0.0.1", 65536, database_.c_str(), db_.user.c_str(),
                               db_.password.c_str()));  // low 16 bits 0
  EXPECT_FALSE(adapter.Connect("127.0.0.1", ClosedPort(), database_.c_str(), db_.user.c_str(),
                               db_.password.c_str()));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
  EXPECT_FALSE(adapter.IsConnected());
  EXPECT_FALSE(adapter.BeginTransaction());  // sends nothing without an open handle
  EXPECT_FALSE(adapter.CommitTransaction());
}

TEST_F(MariaAdapterTest, SilentServerEndsAfterTheProbeAtTheConnectTimeOut) {
  SilentServer silent;  // accepts (the probe passes) and never greets
  CMariaAdapter adapter;
  auto start = Clock::now();
  EXPECT_FALSE(adapter.Connect("127.0.0.1", silent.port(), database_.c_str(), db_.user.c_str(),
                               db_.password.c_str()));
  auto elapsed = Clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::seconds(9));
  EXPECT_LT(elapsed, std::chrono::seconds(60));
}

TEST_F(MariaAdapterTest, ProbeGivesUpOnAHostThatDoesNotAnswerAfterTwoSeconds) {
  SilentServer full(true);  // connection attempts stay unanswered
  CMariaAdapter adapter;
  auto start = Clock::now();
  EXPECT_FALSE(adapter.Connect("127.0.0.1", full.port(), database_.c_str(), db_.user.c_str(),
                               db_.password.c_str()));
  auto elapsed = Clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(1900));
  EXPECT_LT(elapsed, std::chrono::seconds(9));  // the client's own 10 s connect never started
}

TEST(MariaAdapterLogin, NullUserLogsInAsRootWithTheDefaultPassword) {
  struct Case {
    const char* user;
    const char* password;
    const char* logged_user;
    const char* logged_password;
  } cases[] = {
      {nullptr, "given", "root", CMariaAdapter::kDefaultPassword},
      {nullptr, nullptr, "root", CMariaAdapter::kDefaultPassword},
      {"", "given", nullptr, "given"},  // the library puts the system login in for ""
      {"operator", nullptr, "operator", ""},
  };
  for (const Case& c : cases) {
    FakeGreeter server;
    CMariaAdapter adapter;
    EXPECT_FALSE(adapter.Connect("127.0.0.1", server.port(), "gate", c.user, c.password));
    ASSERT_TRUE(server.WaitForLogin());
    if (c.logged_user) {
      EXPECT_EQ(server.user(), c.logged_user);
    }
    EXPECT_TRUE(server.PasswordIs(c.logged_password)) << c.logged_password;
  }
}

TEST_F(MariaAdapterTest, FailedConnectIsRetriedByTheNextStatementOnceTheServerIsBack) {
  TcpRelay relay(static_cast<unsigned short>(db_.port));
  ASSERT_TRUE(relay.Start());
  unsigned short port = relay.port();
  relay.Stop();
  CMariaAdapter adapter;
  EXPECT_FALSE(adapter.Connect("127.0.0.1", port, database_.c_str(), db_.user.c_str(), db_.password.c_str()));
  EXPECT_FALSE(adapter.ExecuteQuery("DO 1"));  // probed again: still unreachable
  ASSERT_TRUE(relay.Start());
  ASSERT_EQ(relay.port(), port);
  EXPECT_TRUE(adapter.ExecuteQuery("DO 2"));
  EXPECT_TRUE(adapter.IsConnected());
  EXPECT_TRUE(adapter.BeginTransaction());
  EXPECT_TRUE(adapter.RollbackTransaction());
}

TEST_F(MariaAdapterTest, LastErrorTextOfARejectedStatement) {
  EXPECT_EQ(adapter_->GetLastErrorText().failed, 0);
  EXPECT_FALSE(adapter_->ExecuteQuery("SELEC 1"));
  DBErrorInfo error = adapter_->GetLastErrorText();
  EXPECT_EQ(error.failed, 1);
  EXPECT_EQ(error.error_number, 1064);
  EXPECT_NE(error.error_text.find(" (errcode:1064)"), std::string::npos) << error.error_text;
  CMariaAdapter never_connected;
  EXPECT_EQ(never_connected.GetLastErrorText().error_number, 0);
  EXPECT_EQ(never_connected.GetLastErrorText().error_text, "");
}

TEST_F(MariaAdapterTest, FailedQueriesAreLoggedWithTheStatement) {
  LogCapture log;
  ColumnIndex columns;
  ResultRows rows;
  EXPECT_FALSE(adapter_->ExecuteQuery("SELECT * FROM NoSuchTable", columns, rows));
  EXPECT_TRUE(log.Contains("[CMariaAdapter::ExecuteQuery] ERROR - Error raised while execute query "
                           "(SELECT * FROM NoSuchTable). the error is Table '" + database_ +
                           ".nosuchtable' doesn't exist (errcode:1146)"))
      << log.Text();
  EXPECT_FALSE(adapter_->ExecuteQuery("DO 1", columns, rows));  // no result set to read
  EXPECT_TRUE(log.Contains("[CMariaAdapter::ExecuteQuery] ERROR - Error raised while get query (DO 1) "
                           "result. the error is "))
      << log.Text();
}

TEST_F(MariaAdapterTest, TransactionsCommitAndRollBack) {
  ASSERT_TRUE(adapter_->BeginTransaction());
  ASSERT_TRUE(adapter_->ExecuteQuery("INSERT INTO TBL_DbTestSetting VALUES (1, 'a', 0)"));
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TBL_DbTestSetting"), "0");  // not visible yet
  EXPECT_TRUE(adapter_->CommitTransaction());
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TBL_DbTestSetting"), "1");
  ASSERT_TRUE(adapter_->BeginTransaction());
  ASSERT_TRUE(adapter_->ExecuteQuery("INSERT INTO TBL_DbTestSetting VALUES (2, 'b', 0)"));
  EXPECT_TRUE(adapter_->RollbackTransaction());
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TBL_DbTestSetting"), "1");
  EXPECT_EQ(Sent(), (Statements{"START TRANSACTION", "INSERT INTO TBL_DbTestSetting VALUES (1, 'a', 0)",
                                "COMMIT", "START TRANSACTION",
                                "INSERT INTO TBL_DbTestSetting VALUES (2, 'b', 0)", "ROLLBACK"}));
}

TEST_F(MariaAdapterTest, KilledSessionIsReplacedOutsideATransaction) {
  unsigned long session = adapter_->GetSessionId();
  ASSERT_TRUE(KillSession(session));
  CDbTestSetting setting;
  setting.SetSettingID(1);
  EXPECT_TRUE(adapter_->AddEntity(&setting));
  EXPECT_NE(adapter_->GetSessionId(), session);
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TBL_DbTestSetting"), "1");
}

TEST_F(MariaAdapterTest, KilledSessionInsideATransactionFailsTheCommit) {
  ASSERT_TRUE(adapter_->BeginTransaction());
  ASSERT_TRUE(adapter_->ExecuteQuery("INSERT INTO TBL_DbTestSetting VALUES (1, 'lost', 0)"));
  ASSERT_TRUE(KillSession(adapter_->GetSessionId()));
  // Later statements must not run outside the transaction on a new session.
  EXPECT_FALSE(adapter_->ExecuteQuery("INSERT INTO TBL_DbTestSetting VALUES (2, 'after', 0)"));
  EXPECT_FALSE(adapter_->ExecuteQuery("INSERT INTO TBL_DbTestSetting VALUES (3, 'after', 0)"));
  LogCapture log;
  EXPECT_FALSE(adapter_->CommitTransaction());
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TBL_DbTestSetting"), "0");
  EXPECT_TRUE(log.Contains("ERROR - ")) << log.Text();
  // After the transaction the adapter reconnects as usual.
  EXPECT_TRUE(adapter_->ExecuteQuery("INSERT INTO TBL_DbTestSetting VALUES (4, 'later', 0)"));
  EXPECT_EQ(raw_.Value("SELECT Value FROM TBL_DbTestSetting"), "later");
}

TEST_F(MariaAdapterTest, SchemaIsReadOnceAndAgainAfterAReset) {
  CDBSchema* schema = adapter_->GetDBSchema();
  EXPECT_EQ(schema->GetAdapterType(), "MARIADB");
  EXPECT_EQ(schema->GetName(), database_);
  EXPECT_TRUE(schema->HasTable("tbl_dbtestcamera"));
  EXPECT_TRUE(schema->HasColumn("TBL_DbTestCamera", "ISDELETED"));
  EXPECT_FALSE(schema->HasColumn("TBL_DbTestSetting", "IsDeleted"));
  ASSERT_TRUE(raw_.Run("CREATE TABLE Later (id INT)"));
  adapter_->GetDBSchema();
  EXPECT_TRUE(Sent().empty());
  EXPECT_FALSE(schema->HasTable("Later"));
  adapter_->ResetDBSchema();
  EXPECT_TRUE(adapter_->GetDBSchema()->HasTable("later"));
  Statements sent = Sent();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent[0], "SHOW TABLES FROM " + database_);
  EXPECT_EQ(sent.size(), 1u + 6u);  // one SHOW COLUMNS per table
}

// A table whose columns the server refuses to list is left out (logged once);
// the other tables are read and the schema counts as loaded.
TEST_F(MariaAdapterTest, TableWhoseColumnsCannotBeListedIsLeftOut) {
  ASSERT_TRUE(raw_.Run("CREATE VIEW Broken AS SELECT * FROM TBL_DbTestLog"));
  ASSERT_TRUE(raw_.Run("DROP TABLE TBL_DbTestLog"));  // SHOW COLUMNS FROM Broken now fails
  adapter_->ResetDBSchema();
  LogCapture log;
  CDBSchema* schema = adapter_->GetDBSchema();
  EXPECT_TRUE(log.Contains("[CMariaAdapter::LoadDBSchema] ERROR - Error raised while execute query (SHOW COLUMNS "
                           "FROM broken)"))
      << log.Text();
  EXPECT_FALSE(log.Contains("load database schema")) << log.Text();
  EXPECT_FALSE(schema->HasTable("broken"));
  EXPECT_TRUE(schema->HasTable("TBL_DbTestSetting"));
  Mark();
  adapter_->GetDBSchema();
  EXPECT_TRUE(Sent().empty());  // loaded: not read again until a reset
}

TEST_F(MariaAdapterTest, TableListOfAnEmptyDatabaseAppendsNothing) {
  std::string error;
  std::string empty = CreateScratchDatabase(db_, "db_empty", &error);
  ASSERT_FALSE(empty.empty()) << error;
  CMariaAdapter adapter;
  ASSERT_TRUE(adapter.Connect(db_.host.c_str(), static_cast<int>(db_.port), empty.c_str(),
                              db_.user.c_str(), db_.password.c_str()));
  std::vector<std::string> tables{"kept"};
  EXPECT_TRUE(adapter.GetTableList(empty.c_str(), tables));
  EXPECT_EQ(tables, std::vector<std::string>{"kept"});
  CDBSchema* schema = adapter.GetDBSchema();
  EXPECT_EQ(schema->GetName(), empty);
  EXPECT_TRUE(schema->GetTableNames().empty());
  EXPECT_TRUE(adapter_->GetTableList(database_.c_str(), tables));
  EXPECT_EQ(tables.size(), 6u);
  EXPECT_EQ(tables[1], "tbl_dbtestcamera");
  DropScratchDatabase(db_, empty);
}

}  // namespace
