// The MariaDB client: options, statements, results, errors and the retry on
// alternate servers, against the test server.
#include "database/MariaDB.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "database/DatabaseFixture.h"

namespace {

class MariaDBTest : public DatabaseTest {
 protected:
  bool ConnectClient(CMariaDB* client, const std::string& database = "") {
    return client->Connect(db_.host, static_cast<int>(db_.port), db_.user, db_.password,
                           database.empty() ? database_ : database);
  }
};

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_F(MariaDBTest, ConnectsWithEucKrAndReconnectOn) {
  CMariaDB client;
  ASSERT_TRUE(ConnectClient(&client));
  EXPECT_TRUE(client.IsConnected());
  EXPECT_EQ(client.GetDatabase(), database_);
  ASSERT_TRUE(client.Execute("SELECT @@character_set_client, @@character_set_results"));
  std::vector<std::string> cells;
  int rows = 0, columns = 0;
  ASSERT_TRUE(client.Select(&cells, &rows, &columns));
  ASSERT_EQ(cells.size(), 2u);
  EXPECT_EQ(cells[0], "euckr");
  EXPECT_EQ(cells[1], "euckr");

  // Automatic reconnect: a killed session is replaced before the next statement.
  unsigned long first = client.GetThreadId();
  ASSERT_TRUE(KillSession(first));
  EXPECT_TRUE(client.Execute("SELECT 1"));
  EXPECT_TRUE(client.Select(&cells, &rows, &columns));
  EXPECT_NE(client.GetThreadId(), first);
}

TEST_F(MariaDBTest, StatementWithoutConnectionFailsWithoutError) {
  CMariaDB client;
  unsigned number = 99;
  std::string text = "x";
  EXPECT_FALSE(client.Execute("SELECT 1", &number, &text));
  EXPECT_EQ(number, 0u);
  EXPECT_EQ(text, "");
  std::vector<std::string> cells;
  int rows = 0, columns = 0;
  EXPECT_FALSE(client.Select(&cells, &rows, &columns, &number, &text));
  ColumnIndex index;
  ResultRows result;
  EXPECT_FALSE(client.FetchRowsByName(&index, &result));
  EXPECT_EQ(client.GetInsertId(&text), 0u);
}

TEST_F(MariaDBTest, FailedConnectRecordsErrorAndLeavesClientClosed) {
  CMariaDB client;
  unsigned number = 0;
  std::string text;
  EXPECT_FALSE(client.Connect(db_.host, static_cast<int>(db_.port), db_.user, "wrong password",
                              database_, &number, &text));
  EXPECT_EQ(number, 1045u);
  EXPECT_TRUE(EndsWith(text, " (errcode:1045)")) << text;
  EXPECT_NE(text.find("Access denied"), std::string::npos) << text;
  EXPECT_EQ(client.GetLastErrorNumber(), 1045u);
  EXPECT_FALSE(client.HasHandle());
  EXPECT_FALSE(client.IsConnected());
  EXPECT_FALSE(client.Execute("SELECT 1", &number, &text));
  EXPECT_EQ(number, 0u);
  EXPECT_EQ(text, "");
}

TEST_F(MariaDBTest, ClosedPortGivesError2003WithoutHanging) {
  CMariaDB client;
  unsigned number = 0;
  std::string text;
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(client.Connect("127.0.0.1", ClosedPort(), db_.user, db_.password, database_, &number,
                              &text));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(9));
  EXPECT_EQ(number, 2003u);
  EXPECT_TRUE(EndsWith(text, " (errcode:2003)")) << text;
}

TEST_F(MariaDBTest, SilentServerEndsAtTheConnectTimeOut) {
  SilentServer silent;
  CMariaDB client;
  unsigned number = 0;
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(client.Connect("127.0.0.1", silent.port(), db_.user, db_.password, database_, &number));
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::seconds(9));  // the 10 s time-out, not an earlier give-up
  EXPECT_LT(elapsed, std::chrono::seconds(60));
  EXPECT_NE(number, 0u);
}

TEST_F(MariaDBTest, RejectedStatementGivesNumberAndText) {
  CMariaDB client;
  ASSERT_TRUE(ConnectClient(&client));
  unsigned number = 0;
  std::string text;
  EXPECT_FALSE(client.Execute("SELEC 1", &number, &text));
  EXPECT_EQ(number, 1064u);
  EXPECT_TRUE(EndsWith(text, " (errcode:1064)")) << text;
  EXPECT_EQ(client.GetLastErrorText(), text);
  // A later success clears the outputs.
  EXPECT_TRUE(client.Execute("DO 1", &number, &text));
  EXPECT_EQ(number, 0u);
  EXPECT_EQ(text, "");
}

TEST_F(MariaDBTest, SelectReadsCellsRowByRowWithNullAsEmpty) {
  CMariaDB client;
  ASSERT_TRUE(ConnectClient(&client));
  ASSERT_TRUE(raw_.Run("CREATE TABLE t (id INT, name VARCHAR(20))"));
  ASSERT_TRUE(raw_.Run("INSERT INTO t VALUES (1, 'a'), (2, NULL)"));
  ASSERT_TRUE(client.Execute("SELECT id, name FROM t ORDER BY id"));
  std::vector<std::string> cells;
  int rows = 0, columns = 0;
  ASSERT_TRUE(client.Select(&cells, &rows, &columns));
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(columns, 2);
  EXPECT_EQ(cells, (std::vector<std::string>{"1", "a", "2", ""}));

  // No rows: the caller's cells stay as they were.
  ASSERT_TRUE(client.Execute("SELECT id, name FROM t WHERE id = 0"));
  ASSERT_TRUE(client.Select(&cells, &rows, &columns));
  EXPECT_EQ(rows, 0);
  EXPECT_EQ(cells.size(), 4u);
}

TEST_F(MariaDBTest, FetchRowsByNameLowersColumnNames) {
  CMariaDB client;
  ASSERT_TRUE(ConnectClient(&client));
  ASSERT_TRUE(raw_.Run("CREATE TABLE cam (CameraID INT, CameraName VARCHAR(20), Extra INT)"));
  ASSERT_TRUE(raw_.Run("INSERT INTO cam VALUES (7, 'gate', NULL)"));
  ASSERT_TRUE(client.Execute("SELECT * FROM cam"));
  ColumnIndex index;
  ResultRows rows;
  ASSERT_TRUE(client.FetchRowsByName(&index, &rows));
  EXPECT_EQ(index, (ColumnIndex{{"cameraid", 0}, {"cameraname", 1}, {"extra", 2}}));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], (ResultRow{"7", "gate", ""}));

  // An empty result leaves the map untouched; a statement without a result set fails quietly.
  ColumnIndex untouched{{"x", 5}};
  ResultRows none;
  ASSERT_TRUE(client.Execute("SELECT * FROM cam WHERE CameraID = 0"));
  EXPECT_TRUE(client.FetchRowsByName(&untouched, &none));
  EXPECT_EQ(untouched, (ColumnIndex{{"x", 5}}));
  EXPECT_TRUE(none.empty());
  ASSERT_TRUE(client.Execute("INSERT INTO cam VALUES (8, 'b', 1)"));
  unsigned number = 7;
  std::string text = "x";
  EXPECT_FALSE(client.FetchRowsByName(&untouched, &none, &number, &text));
  EXPECT_EQ(number, 0u);
  EXPECT_EQ(text, "");
}

// Rows walked in place as the server sends them: each cell's bytes exactly
// (a NUL inside, NULL apart from an empty text); a walk stopped early leaves
// the connection ready for the next statement.
TEST_F(MariaDBTest, RowWalkGivesCellsInPlaceAndStopsCleanly) {
  CMariaDB client;
  ASSERT_TRUE(ConnectClient(&client));
  ASSERT_TRUE(raw_.Run("CREATE TABLE w (id INT PRIMARY KEY, v VARBINARY(8))"));
  ASSERT_TRUE(raw_.Run("INSERT INTO w VALUES (1, 'a\\0b'), (2, NULL), (3, '')"));
  ASSERT_TRUE(client.Execute("SELECT id, v FROM w"));
  ColumnIndex index;
  std::vector<std::pair<std::string, bool>> seen;  // the text of v, and whether it was NULL
  ASSERT_TRUE(client.VisitRows(&index, [&](const CKeyValueData::Cell* cells, size_t count) {
    EXPECT_EQ(count, 2u);
    seen.emplace_back(cells[1].data ? std::string(cells[1].data, cells[1].size) : "", cells[1].data == nullptr);
    return true;
  }));
  EXPECT_EQ(index, (ColumnIndex{{"id", 0}, {"v", 1}}));
  const std::vector<std::pair<std::string, bool>> expected = {
      {std::string("a\0b", 3), false}, {"", true}, {"", false}};
  EXPECT_EQ(seen, expected);

  ASSERT_TRUE(client.Execute("SELECT id FROM w"));
  int visits = 0;
  EXPECT_TRUE(client.VisitRows(&index, [&](const CKeyValueData::Cell*, size_t) { return ++visits < 1; }));
  EXPECT_EQ(visits, 1);
  ASSERT_TRUE(client.Execute("SELECT COUNT(*) FROM w"));  // not refused as out of sync
  ResultRows rows;
  ASSERT_TRUE(client.FetchRowsByName(&index, &rows));
  EXPECT_EQ(rows, (ResultRows{{"3"}}));
}

// A statement that fails after its first rows were sent (a subquery that
// gives two rows for the third row) fails the read as a whole: the caller's
// rows stay as they were, and the server's error is given.
TEST_F(MariaDBTest, AResultThatBreaksOffPartWayGivesNoRows) {
  CMariaDB client;
  ASSERT_TRUE(ConnectClient(&client));
  ASSERT_TRUE(raw_.Run("CREATE TABLE w (id INT PRIMARY KEY)"));
  ASSERT_TRUE(raw_.Run("INSERT INTO w VALUES (1), (2), (3)"));
  ASSERT_TRUE(raw_.Run("CREATE TABLE s (k INT)"));
  ASSERT_TRUE(raw_.Run("INSERT INTO s VALUES (1), (2), (3), (3)"));
  const std::string statement = "SELECT id, (SELECT k FROM s WHERE s.k = w.id) AS k FROM w";
  ASSERT_TRUE(client.Execute(statement));
  ColumnIndex index;
  ResultRows rows{{"kept"}};
  unsigned number = 0;
  std::string text;
  EXPECT_FALSE(client.FetchRowsByName(&index, &rows, &number, &text));
  EXPECT_EQ(rows, (ResultRows{{"kept"}}));
  EXPECT_EQ(number, 1242u) << text;  // subquery returns more than 1 row

  ASSERT_TRUE(client.Execute(statement));
  number = 0;
  EXPECT_FALSE(client.VisitRows(&index, [](const CKeyValueData::Cell*, size_t) { return true; }, &number));
  EXPECT_EQ(number, 1242u);
  EXPECT_EQ(client.GetLastErrorNumber(), 1242u);
  ASSERT_TRUE(client.Execute("SELECT 1"));  // the connection stays usable
  ASSERT_TRUE(client.FetchRowsByName(&index, &rows));
}

TEST_F(MariaDBTest, InsertIdOfAutoIncrementAndZeroOtherwise) {
  CMariaDB client;
  ASSERT_TRUE(ConnectClient(&client));
  ASSERT_TRUE(raw_.Run("CREATE TABLE seq (id BIGINT UNSIGNED AUTO_INCREMENT PRIMARY KEY, v INT)"));
  ASSERT_TRUE(raw_.Run("ALTER TABLE seq AUTO_INCREMENT = 5000000000"));
  ASSERT_TRUE(client.Execute("INSERT INTO seq (v) VALUES (1)"));
  std::string text = "x";
  EXPECT_EQ(client.GetInsertId(&text), 5000000000u);
  EXPECT_EQ(text, "x");  // written only on failure
  ASSERT_TRUE(client.Execute("UPDATE seq SET v = 2"));
  EXPECT_EQ(client.GetInsertId(&text), 0u);
  EXPECT_EQ(text, "");
}

// Error 2003 from a statement: the library's reconnect found the server gone.
TEST_F(MariaDBTest, UnreachableServerWithoutAlternatesFailsAtOnce) {
  TcpRelay relay(static_cast<unsigned short>(db_.port));
  ASSERT_TRUE(relay.Start());
  CMariaDB client;
  ASSERT_TRUE(client.Connect("127.0.0.1", relay.port(), db_.user, db_.password, database_));
  relay.Stop();
  unsigned number = 0;
  EXPECT_FALSE(client.Execute("SELECT 1", &number));
  EXPECT_EQ(number, 2003u);
  EXPECT_EQ(client.GetHost(), "127.0.0.1");
  EXPECT_EQ(client.GetPort(), relay.port());  // no switch happened
}

TEST_F(MariaDBTest, AlternateServersRotateOnError2003) {
  std::string error;
  std::string second = CreateScratchDatabase(db_, "db_alternate", &error);
  ASSERT_FALSE(second.empty()) << error;
  TcpRelay primary(static_cast<unsigned short>(db_.port));
  TcpRelay first_alternate(static_cast<unsigned short>(db_.port));
  TcpRelay second_alternate(static_cast<unsigned short>(db_.port));
  ASSERT_TRUE(primary.Start() && first_alternate.Start() && second_alternate.Start());
  auto server = [&](unsigned short port, const std::string& database) {
    auto info = std::make_shared<CDBServerInfo>();
    info->host = "127.0.0.1";
    info->port = port;
    info->user = db_.user;
    info->password = db_.password;
    info->database = database;
    return info;
  };
  CMariaDB client;
  client.SetAlternateServers({server(first_alternate.port(), database_),
                              server(second_alternate.port(), second)});
  ASSERT_TRUE(client.Connect("127.0.0.1", primary.port(), db_.user, db_.password, database_));

  primary.Stop();  // first switch: entry 0
  EXPECT_TRUE(client.Execute("SELECT 1"));
  EXPECT_EQ(client.GetPort(), first_alternate.port());
  client.Select(nullptr, nullptr, nullptr);

  first_alternate.Stop();  // second switch: entry 1
  EXPECT_TRUE(client.Execute("SELECT 1"));
  EXPECT_EQ(client.GetPort(), second_alternate.port());
  EXPECT_EQ(client.GetDatabase(), second);
  client.Select(nullptr, nullptr, nullptr);

  ASSERT_TRUE(first_alternate.Start());  // back on its old port
  second_alternate.Stop();               // third switch: entry 0 again
  EXPECT_TRUE(client.Execute("SELECT 1"));
  EXPECT_EQ(client.GetPort(), first_alternate.port());
  EXPECT_EQ(client.GetDatabase(), database_);
  client.Select(nullptr, nullptr, nullptr);

  // With the switched-to server gone too, exactly one switch is tried (to entry 1, gone).
  first_alternate.Stop();
  unsigned number = 0;
  EXPECT_FALSE(client.Execute("SELECT 1", &number));
  EXPECT_EQ(number, 2003u);
  EXPECT_FALSE(client.HasHandle());
  DropScratchDatabase(db_, second);
}

}  // namespace
