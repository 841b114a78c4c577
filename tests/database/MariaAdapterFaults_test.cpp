// The adapter through outages, stalls, schema drift, rows that are read by
// nobody and servers configured otherwise, against real servers: the shared
// test server, a relay that can take it away, and private servers that a test
// may stop, freeze or configure.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "database/AdapterFixture.h"
#include "database/DBConnectionInfo.h"
#include "database/DBSchema.h"

namespace {

using Statements = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

class AdapterFaultTest : public AdapterTest {
 protected:
  // A camera row added through the adapter; its id.
  int AddCamera(CMariaAdapter& adapter, const std::string& name) {
    CDbTestCamera camera;
    camera.SetCameraName(name);
    EXPECT_TRUE(adapter.AddEntity(&camera)) << name;
    return camera.GetCameraID();
  }
  // A new adapter connected through `relay` to the scratch database.
  std::unique_ptr<CMariaAdapter> ConnectThrough(const TcpRelay& relay) {
    auto adapter = std::make_unique<CMariaAdapter>();
    EXPECT_TRUE(adapter->Connect("127.0.0.1", relay.port(), database_.c_str(), db_.user.c_str(),
                                 db_.password.c_str()));
    return adapter;
  }
};

// A service started while the server is unreachable must not keep an empty
// schema: statements that need the schema fail (logged) and send nothing, and
// once the server is back the schema is read and deletes stay soft.
TEST_F(AdapterFaultTest, SchemaThatFailedToLoadIsReadAgainAndNoStatementIsBuiltWithoutIt) {
  ASSERT_TRUE(raw_.Run("INSERT INTO TBL_DbTestCamera (CameraID, CameraName, IsDeleted) VALUES (1, 'a', 0), "
                       "(2, 'gone', 1)"));
  TcpRelay relay(static_cast<unsigned short>(db_.port));
  ASSERT_TRUE(relay.Start());
  std::unique_ptr<CMariaAdapter> adapter = ConnectThrough(relay);
  relay.Stop();  // the outage begins before the schema's first use

  CDbTestCamera camera;
  camera.SetCameraID(1);
  camera.SetCameraName("renamed");
  LogCapture log;
  EXPECT_FALSE(adapter->UpdateEntity(&camera, static_cast<const ColumnList*>(nullptr)));
  EXPECT_FALSE(adapter->DeleteEntity(&camera, false));
  EntityMap cameras;
  EXPECT_FALSE(adapter->GetEntityList("TBL_DbTestCamera", cameras));
  CDbTestCamera added;
  EXPECT_FALSE(adapter->AddEntity(&added));
  EXPECT_TRUE(log.Contains("[CMariaAdapter::GetDBSchema] ERROR - Error raised while load database schema."))
      << log.Text();
  EXPECT_TRUE(log.Contains("[CMariaAdapter::DeleteEntity] ERROR - No statement on 'TBL_DbTestCamera' without "
                           "the database schema."))
      << log.Text();

  ASSERT_TRUE(relay.Start());
  EXPECT_TRUE(adapter->GetEntityList("TBL_DbTestCamera", cameras));
  EXPECT_EQ(cameras.size(), 1u) << "the soft-delete filter needs the schema";
  EXPECT_TRUE(adapter->UpdateEntity(&camera, static_cast<const ColumnList*>(nullptr)));
  EXPECT_TRUE(adapter->DeleteEntity(&camera, false));
  EXPECT_EQ(raw_.Value("SELECT CONCAT(CameraName, ':', IsDeleted) FROM TBL_DbTestCamera WHERE CameraID = 1"),
            "renamed:1");
  EXPECT_TRUE(adapter->AddEntity(&added));
}

// Connector/C's number and text reach the connection's log line, the
// statement's log line after a failed reconnect, and GetLastErrorText.
TEST_F(AdapterFaultTest, ErrorsSayWhyTheServerWasNotReached) {
  struct Case {
    const char* what;
    unsigned short port;
    std::string password;
    const char* reason;
  } cases[] = {
      {"wrong password", static_cast<unsigned short>(db_.port), "wrong", "(errcode:1045)"},
      {"closed port", ClosedPort(), db_.password, "(errcode:2003)"},
  };
  for (const Case& c : cases) {
    LogCapture log;
    CDBConnectionInfo connection("MARIADB", "127.0.0.1", c.port, database_.c_str(), db_.user.c_str(),
                                 c.password.c_str());
    EXPECT_FALSE(connection.OpenConnection()) << c.what;
    const std::string line = "ERROR - Can't connect with '127.0.0.1:" + std::to_string(c.port) +
                             "' database. the error is ";
    EXPECT_TRUE(log.Contains(line)) << c.what << "\n" << log.Text();
    EXPECT_TRUE(log.Contains(c.reason)) << c.what << "\n" << log.Text();
    DBErrorInfo error = connection.GetAdapter()->GetLastErrorText();
    EXPECT_EQ(error.failed, 1) << c.what;
    EXPECT_NE(error.error_text.find(c.reason), std::string::npos) << c.what << ": " << error.error_text;

    // The next statement tries to connect again and logs why that failed too.
    ColumnIndex columns;
    ResultRows rows;
    EXPECT_FALSE(connection.GetAdapter()->ExecuteQuery("SELECT 1", columns, rows));
    EXPECT_TRUE(log.Contains("[CMariaAdapter::ExecuteQuery] ERROR - Error raised while execute query (SELECT 1). "
                             "the error is "))
        << log.Text();
    EXPECT_FALSE(log.Contains("the error is \r")) << c.what << "\n" << log.Text();
  }
}

// Rows that nobody reads must not leave the connection out of sync (2014).
TEST_F(AdapterFaultTest, RowsOfAStatementWithoutAReaderAreFreed) {
  ASSERT_TRUE(raw_.Run("CREATE PROCEDURE TwoResults() BEGIN SELECT 1; SELECT 2; END"));
  for (const char* statement : {"SELECT 1", "SELECT * FROM TBL_DbTestCamera", "SHOW TABLES", "CALL TwoResults()"}) {
    EXPECT_TRUE(adapter_->ExecuteQuery(statement)) << statement;
    EXPECT_TRUE(adapter_->ExecuteQuery("DO 1")) << "after " << statement;
    ColumnIndex columns;
    ResultRows rows;
    EXPECT_TRUE(adapter_->ExecuteQuery("SELECT 3", columns, rows)) << "after " << statement;
    EXPECT_EQ(rows, (ResultRows{{"3"}}));
  }
  EXPECT_EQ(AddCamera(*adapter_, "after rows"), 1);
}

// A column dropped (or added) while the program runs: the table's columns are
// read again after the server's "unknown column" and the row is written.
TEST_F(AdapterFaultTest, TableColumnsAreReadAgainAfterAnUnknownColumn) {
  ASSERT_TRUE(raw_.Run("ALTER TABLE TBL_DbTestCamera DROP COLUMN Memo"));
  LogCapture log;
  EXPECT_EQ(AddCamera(*adapter_, "after drop"), 1);
  Statements sent = Sent();
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_NE(sent[0].find("`Memo`"), std::string::npos) << sent[0];
  EXPECT_EQ(sent[1], "SHOW COLUMNS FROM TBL_DbTestCamera");
  EXPECT_EQ(sent[2].find("`Memo`"), std::string::npos) << sent[2];
  EXPECT_EQ(AddCamera(*adapter_, "next"), 2);
  EXPECT_EQ(Sent().size(), 1u);

  // An "unknown column" that a new read does not cure (a trigger's) reads the
  // columns once per run of such errors, not once per statement.
  ASSERT_TRUE(raw_.Run("CREATE TABLE Aux (v INT, w INT)"));
  ASSERT_TRUE(raw_.Run("CREATE TRIGGER Broken BEFORE INSERT ON TBL_DbTestCamera FOR EACH ROW "
                       "SET NEW.ZavID = (SELECT v FROM Aux LIMIT 1)"));
  ASSERT_TRUE(raw_.Run("ALTER TABLE Aux DROP COLUMN v"));
  CDbTestCamera camera;
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(adapter_->AddEntity(&camera));
  sent = Sent();
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "SHOW COLUMNS FROM TBL_DbTestCamera"), 1) << sent.size();
  ASSERT_TRUE(raw_.Run("DROP TRIGGER Broken"));
  EXPECT_GT(AddCamera(*adapter_, "cured"), 0);
  ASSERT_TRUE(raw_.Run("ALTER TABLE TBL_DbTestCamera DROP COLUMN Latitude"));
  EXPECT_GT(AddCamera(*adapter_, "a new run"), 0);  // read again: the success ended the run
}

// A server whose own sql_mode would change what the statements mean: every
// session of the adapter pins its mode (strict, with backslash escapes), also
// after the library reconnected by itself.
TEST(AdapterSqlMode, SessionModeIsPinnedWhateverTheServerIsConfiguredWith) {
  PrivateServer server({"--sql-mode=NO_BACKSLASH_ESCAPES"});
  std::string error;
  ASSERT_TRUE(server.Start(&error)) << error;
  TestDatabase where{"127.0.0.1", server.port(), "root", PrivateServer::password(), "gate_private"};
  RawConnection admin;
  ASSERT_TRUE(admin.Open(where, where.database, &error)) << error;
  for (const std::string& statement : DbTestTableStatements()) ASSERT_TRUE(admin.Run(statement)) << statement;

  for (const char* server_mode : {"NO_BACKSLASH_ESCAPES", ""}) {
    SCOPED_TRACE(server_mode);
    ASSERT_TRUE(admin.Run(std::string("SET GLOBAL sql_mode = '") + server_mode + "'"));
    ASSERT_TRUE(admin.Run("DELETE FROM TBL_DbTestCamera"));
    CMariaAdapter adapter;
    ASSERT_TRUE(adapter.Connect("127.0.0.1", server.port(), "gate_private", "root", PrivateServer::password()));
    ColumnIndex columns;
    ResultRows rows;
    ASSERT_TRUE(adapter.ExecuteQuery("SELECT @@SESSION.sql_mode", columns, rows));
    EXPECT_EQ(rows, (ResultRows{{CMariaDB::kSessionSqlMode}}));

    // A name written to break out of its quotes changes its own row only.
    std::vector<int> ids;
    for (const char* name : {"one", "two", "three", "four"}) {
      CDbTestCamera camera;
      camera.SetCameraName(name);
      camera.SetZavID(7);
      ASSERT_TRUE(adapter.AddEntity(&camera));
      ids.push_back(camera.GetCameraID());
    }
    CDbTestCamera hostile;
    hostile.SetCameraID(ids[0]);
    hostile.SetZavID(7);
    hostile.SetCameraName("x', `ZavID` = 0 -- ");
    adapter.UpdateEntity(&hostile, static_cast<const ColumnList*>(nullptr));
    EXPECT_EQ(admin.Value("SELECT GROUP_CONCAT(ZavID) FROM TBL_DbTestCamera"), "7,7,7,7");
    EXPECT_EQ(admin.Value("SELECT CameraName FROM TBL_DbTestCamera WHERE CameraID = " + std::to_string(ids[0])),
              "x', `ZavID` = 0 -- ");

    // Values that do not fit fail the statement instead of being cut or replaced.
    CDbTestCamera too_long;
    too_long.SetCameraName(std::string(70, 'n'));
    EXPECT_FALSE(adapter.AddEntity(&too_long));
    CDbTestCamera invalid;
    invalid.SetCameraName("\xFF\xFE\xFF\xFE");  // not CP949
    EXPECT_FALSE(adapter.AddEntity(&invalid));
    EXPECT_EQ(admin.Value("SELECT COUNT(*) FROM TBL_DbTestCamera"), "4");

    // The library's own reconnect keeps the mode.
    ASSERT_TRUE(admin.Run("KILL CONNECTION " + std::to_string(adapter.GetSessionId())));
    rows.clear();
    ASSERT_TRUE(adapter.ExecuteQuery("SELECT @@SESSION.sql_mode", columns, rows));
    EXPECT_EQ(rows, (ResultRows{{CMariaDB::kSessionSqlMode}}));
  }
}

// A frozen server: a statement ends at the read time-out, and callers queued
// on the same adapter meanwhile give up as soon as it failed, instead of each
// waiting as long again.
TEST(AdapterStall, FrozenServerFailsAStatementAtTheReadTimeOutAndReleasesTheQueue) {
  PrivateServer server;
  std::string error;
  ASSERT_TRUE(server.Start(&error)) << error;
  CMariaAdapter adapter;
  ASSERT_TRUE(adapter.Connect("127.0.0.1", server.port(), "gate_private", "root", PrivateServer::password()));
  ASSERT_TRUE(adapter.ExecuteQuery("DO 1"));
  server.Pause();
  const auto start = Clock::now();
  auto first = std::async(std::launch::async, [&] { return adapter.ExecuteQuery("DO 2"); });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  std::vector<std::future<bool>> queued;
  for (int i = 0; i < 3; ++i) {
    queued.push_back(std::async(std::launch::async, [&] { return adapter.ExecuteQuery("DO 3"); }));
  }
  // Without time-outs nothing returns while the server is frozen: give up
  // waiting well after the bound, then thaw the server so the test ends.
  const auto limit = std::chrono::seconds(CMariaDB::kReadTimeoutSeconds * 3);
  bool ended = first.wait_for(limit) == std::future_status::ready;
  for (auto& waiting : queued) ended = ended && waiting.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
  const auto elapsed = Clock::now() - start;
  server.Resume();
  ASSERT_TRUE(ended) << "a statement on a frozen server never ended";
  EXPECT_FALSE(first.get());
  for (auto& waiting : queued) EXPECT_FALSE(waiting.get());
  EXPECT_GE(elapsed, std::chrono::seconds(CMariaDB::kReadTimeoutSeconds - 1));
  EXPECT_LT(elapsed, std::chrono::seconds(CMariaDB::kReadTimeoutSeconds * 2));
  EXPECT_TRUE(adapter.ExecuteQuery("DO 4")) << "the thawed server is reached again";
}

// A server that accepts and never answers: one caller's reconnect is bounded
// by the connect time-out, and the callers queued behind it do not each try
// again (today three callers waited about three connect time-outs).
TEST_F(AdapterFaultTest, SilentServerHoldsUpQueuedCallersForOneAttemptOnly) {
  SilentServer silent;
  CMariaAdapter adapter;
  EXPECT_FALSE(adapter.Connect("127.0.0.1", silent.port(), database_.c_str(), db_.user.c_str(),
                               db_.password.c_str()));
  const auto start = Clock::now();
  std::vector<std::future<bool>> callers;
  for (int i = 0; i < 3; ++i) {
    callers.push_back(std::async(std::launch::async, [&] { return adapter.ExecuteQuery("DO 1"); }));
  }
  for (auto& caller : callers) EXPECT_FALSE(caller.get());
  const auto elapsed = Clock::now() - start;
  EXPECT_LT(elapsed, std::chrono::seconds(2 * CMariaDB::kConnectTimeoutSeconds))
      << "queued callers retried the connect one after the other";
  EXPECT_EQ(adapter.GetLastErrorText().failed, 1);
}

}  // namespace
