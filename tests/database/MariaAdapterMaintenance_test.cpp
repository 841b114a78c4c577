// The maintenance operations: trimming and dropping tables, column changes,
// the script files, and account passwords.
#include <gtest/gtest.h>

#include <mysql.h>
#include <unistd.h>

#include "database/AdapterFixture.h"

namespace {

using Statements = std::vector<std::string>;

class MaintenanceTest : public AdapterTest {};

TEST_F(MaintenanceTest, TrimTableKeepsTheRowsAtOneEndOfTheKey) {
  for (int i = 1; i <= 150; ++i) {
    ASSERT_TRUE(raw_.Run("INSERT INTO TBL_DbTestSetting VALUES (" + std::to_string(i) + ", 'v', 0)"));
  }
  ASSERT_TRUE(adapter_->TrimTable("TBL_DbTestSetting", 100, "SettingID", true));
  EXPECT_EQ(Sent(), Statements{"DELETE FROM TBL_DbTestSetting WHERE SettingID not in( SELECT * FROM "
                               "(SELECT SettingID FROM TBL_DbTestSetting ORDER BY SettingID DESC LIMIT 100)r)"});
  EXPECT_EQ(raw_.Value("SELECT CONCAT(COUNT(*), ' ', MIN(SettingID), ' ', MAX(SettingID)) FROM TBL_DbTestSetting"),
            "100 51 150");
  ASSERT_TRUE(adapter_->TrimTable("TBL_DbTestSetting", 10, "SettingID", false));
  EXPECT_EQ(Sent(), Statements{"DELETE FROM TBL_DbTestSetting WHERE SettingID not in( SELECT * FROM "
                               "(SELECT SettingID FROM TBL_DbTestSetting ORDER BY SettingID ASC LIMIT 10)r)"});
  EXPECT_EQ(raw_.Value("SELECT CONCAT(COUNT(*), ' ', MIN(SettingID), ' ', MAX(SettingID)) FROM TBL_DbTestSetting"),
            "10 51 60");
  ASSERT_TRUE(adapter_->TrimTable("TBL_DbTestSetting", 10, "", true));
  EXPECT_EQ(Sent(), Statements{"DELETE FROM TBL_DbTestSetting"});
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TBL_DbTestSetting"), "0");
}

TEST_F(MaintenanceTest, ColumnStatements) {
  EXPECT_TRUE(adapter_->AddColumn("TBL_DbTestSetting", "First", "INT NOT NULL DEFAULT 1", nullptr));
  EXPECT_TRUE(adapter_->AddColumn("TBL_DbTestSetting", "Second", "VARCHAR(8)", "Value"));
  EXPECT_TRUE(adapter_->ModifyColumn("TBL_DbTestSetting", "Second", "VARCHAR(16)"));
  EXPECT_TRUE(adapter_->ChangeColumn("TBL_DbTestSetting", "Second", "Renamed", "TEXT"));
  EXPECT_TRUE(adapter_->ColumnExists("TBL_DbTestSetting", "Renamed"));
  EXPECT_TRUE(adapter_->DropColumn("TBL_DbTestSetting", "Renamed"));
  EXPECT_FALSE(adapter_->ColumnExists("TBL_DbTestSetting", "Renamed"));
  EXPECT_FALSE(adapter_->ColumnExists("NoSuchTable", "Value"));
  EXPECT_FALSE(adapter_->DropColumn("TBL_DbTestSetting", "Renamed"));
  EXPECT_TRUE(adapter_->DropTable("TBL_DbTestLog"));
  EXPECT_TRUE(adapter_->DropTable("TBL_DbTestLog"));  // IF EXISTS
  // The server logs a statement without its trailing line end (the ALTER texts end in CR LF).
  EXPECT_EQ(Sent(), (Statements{
                        "ALTER TABLE TBL_DbTestSetting ADD COLUMN `First` INT NOT NULL DEFAULT 1 FIRST",
                        "ALTER TABLE TBL_DbTestSetting ADD COLUMN `Second` VARCHAR(8) AFTER `Value`",
                        "ALTER TABLE TBL_DbTestSetting\r\nMODIFY COLUMN `Second` VARCHAR(16)",
                        "ALTER TABLE TBL_DbTestSetting\r\nCHANGE COLUMN `Second` `Renamed` TEXT",
                        "SHOW COLUMNS FROM TBL_DbTestSetting LIKE 'Renamed'",
                        "ALTER TABLE TBL_DbTestSetting\r\nDROP COLUMN `Renamed`",
                        "SHOW COLUMNS FROM TBL_DbTestSetting LIKE 'Renamed'",
                        "SHOW COLUMNS FROM NoSuchTable LIKE 'Value'",
                        "ALTER TABLE TBL_DbTestSetting\r\nDROP COLUMN `Renamed`",
                        "DROP TABLE IF EXISTS TBL_DbTestLog", "DROP TABLE IF EXISTS TBL_DbTestLog"}));
  EXPECT_EQ(raw_.Rows("SHOW COLUMNS FROM TBL_DbTestSetting").front().front(), "First");
}

class ScriptTest : public MaintenanceTest {
 protected:
  std::string Write(const std::string& name, const std::string& text) {
    std::string path = dir_.Join(name);
    EXPECT_TRUE(WriteTestFile(path, text));
    return path;
  }
  TempDir dir_;
};

TEST_F(ScriptTest, RunsEachBlockOfBothScripts) {
  std::string create = Write("create.sql",
                             "CREATE TABLE s1 (id INT)\r\n\r\n"
                             "-- a comment and a line break stay in the statement\r\nCREATE TABLE s2 (id INT)\r\n\r\n"
                             "CREATE TABLE s3 (id INT)\r\n\r\n");
  std::string init = Write("init.sql", "INSERT INTO s1 VALUES (1)\r\n\r\nINSERT INTO s2 VALUES (2)");
  EXPECT_TRUE(adapter_->CreateDatabase(create, init));
  EXPECT_EQ(Sent(), (Statements{"CREATE TABLE s1 (id INT)",
                                "-- a comment and a line break stay in the statement\r\nCREATE TABLE s2 (id INT)",
                                "CREATE TABLE s3 (id INT)", "INSERT INTO s1 VALUES (1)",
                                "INSERT INTO s2 VALUES (2)"}));
}

TEST_F(ScriptTest, StopsAtTheFirstFailingStatement) {
  std::string create = Write("create.sql", "CREATE TABLE s1 (id INT)\r\n\r\nCREATE TABLE s1 (id INT)\r\n\r\n"
                                           "CREATE TABLE s3 (id INT)");
  std::string init = Write("init.sql", "INSERT INTO s1 VALUES (1)");
  EXPECT_FALSE(adapter_->CreateDatabase(create, init));
  EXPECT_EQ(Sent(), (Statements{"CREATE TABLE s1 (id INT)", "CREATE TABLE s1 (id INT)"}));
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM s1"), "0");
}

TEST_F(ScriptTest, MissingScriptsAreLogged) {
  LogCapture log;
  std::string missing = dir_.Join("missing.sql");
  EXPECT_FALSE(adapter_->CreateDatabase(missing, missing));
  EXPECT_TRUE(Sent().empty());
  EXPECT_TRUE(log.Contains("[CMariaAdapter::ReadSqlFile] ERROR - Error raised when open '" + missing +
                           "' file. the error is 2"))
      << log.Text();
  EXPECT_TRUE(log.Contains("[CMariaAdapter::CreateDatabase] ERROR - Error raised when read sql file for create"));

  std::string create = Write("create.sql", "CREATE TABLE s1 (id INT)");
  EXPECT_FALSE(adapter_->CreateDatabase(create, missing));
  EXPECT_EQ(Sent(), Statements{"CREATE TABLE s1 (id INT)"});  // the create statements stay
  EXPECT_TRUE(log.Contains("[CMariaAdapter::CreateDatabase] ERROR - Error raised when read sql file for initialize"));
}

TEST_F(ScriptTest, TextEndsAtAZeroByteAndLfFilesAreOneStatement) {
  std::string create = Write("create.sql", std::string("CREATE TABLE s1 (id INT)\0CREATE TABLE s2 (id INT)", 49));
  std::string init = Write("init.sql", "INSERT INTO s1 VALUES (1)\n\nINSERT INTO s1 VALUES (2)");
  EXPECT_FALSE(adapter_->CreateDatabase(create, init));  // the LF file is one (invalid) statement
  EXPECT_EQ(Sent(), (Statements{"CREATE TABLE s1 (id INT)",
                                "INSERT INTO s1 VALUES (1)\n\nINSERT INTO s1 VALUES (2)"}));
}

// Accounts of a user made for one test, on two hosts.
class PasswordTest : public MaintenanceTest {
 protected:
  void SetUp() override {
    MaintenanceTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    user_ = "gate_pw_" + std::to_string(getpid());
    for (const char* host : {"127.0.0.1", "localhost"}) {
      ASSERT_TRUE(raw_.Run("CREATE USER '" + user_ + "'@'" + host + "' IDENTIFIED BY 'old'")) << raw_.LastError();
    }
    ASSERT_TRUE(raw_.Run("GRANT SELECT ON `" + database_ + "`.* TO '" + user_ + "'@'127.0.0.1'"));
  }
  void TearDown() override {
    if (!user_.empty()) {
      raw_.Run("DROP USER IF EXISTS '" + user_ + "'@'127.0.0.1'");
      raw_.Run("DROP USER IF EXISTS '" + user_ + "'@'localhost'");
    }
    MaintenanceTest::TearDown();
  }
  // The account's password hash equals that of `password`.
  bool HasPassword(const std::string& host, const std::string& password) {
    return raw_.Value("SELECT Password = PASSWORD('" + Escape(password) + "') FROM mysql.user WHERE User = '" +
                      user_ + "' AND Host = '" + host + "'") == "1";
  }
  bool CanLogIn(const std::string& password) {
    MYSQL* conn = mysql_init(nullptr);
    bool ok = mysql_real_connect(conn, db_.host.c_str(), user_.c_str(), password.c_str(), database_.c_str(),
                                 db_.port, nullptr, 0) != nullptr;
    mysql_close(conn);
    return ok;
  }
  static std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
      if (c == '\\' || c == '\'') out += '\\';
      out += c;
    }
    return out;
  }
  std::string user_;
};

TEST_F(PasswordTest, ChangesEveryAccountOfTheUserAndStaysOnItsDatabase) {
  const std::string password = "n'ew\\pw";
  LogCapture log;
  EXPECT_TRUE(adapter_->ChangePassword(user_.c_str(), password.c_str())) << log.Text();
  EXPECT_TRUE(HasPassword("127.0.0.1", password));
  EXPECT_TRUE(HasPassword("localhost", password));
  EXPECT_TRUE(CanLogIn(password));
  EXPECT_FALSE(CanLogIn("old"));
  Statements sent = Sent();
  for (const std::string& statement : sent) EXPECT_NE(statement.rfind("USE ", 0), 0u) << statement;
  EXPECT_EQ(std::count_if(sent.begin(), sent.end(), [](const std::string& s) {
              return s.rfind("SET PASSWORD FOR ", 0) == 0 && s.find("PASSWORD('n\\'ew\\\\pw')") != std::string::npos;
            }),
            2);
  ColumnIndex columns;
  ResultRows rows;
  ASSERT_TRUE(adapter_->ExecuteQuery("SELECT DATABASE()", columns, rows));
  EXPECT_EQ(rows[0][0], database_);
}

TEST_F(PasswordTest, UnknownUserFailsWithALogLine) {
  LogCapture log;
  EXPECT_FALSE(adapter_->ChangePassword("gate_no_such_user", "x"));
  EXPECT_TRUE(log.Contains("[CMariaAdapter::ChangePassword] ERROR - Error raised when change "
                           "'gate_no_such_user' user password. the error is "))
      << log.Text();
}

// An adapter whose password statement fails for one host.
class FailingSecondHost : public CMariaAdapter {
 protected:
  bool Query(const std::string& statement, unsigned* error_number, std::string* error_text) override {
    if (statement.rfind("SET PASSWORD FOR ", 0) == 0 && statement.find("@'localhost' = PASSWORD(") != std::string::npos) {
      return CMariaAdapter::Query("SET PASSWORD FOR nobody_at_all@nowhere = PASSWORD('x')", error_number,
                                  error_text);
    }
    return CMariaAdapter::Query(statement, error_number, error_text);
  }
};

TEST_F(PasswordTest, AFailureGivesTheChangedAccountsTheirOldPasswordBack) {
  FailingSecondHost adapter;
  ASSERT_TRUE(adapter.Connect(db_.host.c_str(), static_cast<int>(db_.port), database_.c_str(), db_.user.c_str(),
                              db_.password.c_str()));
  LogCapture log;
  EXPECT_FALSE(adapter.ChangePassword(user_.c_str(), "new"));
  EXPECT_TRUE(HasPassword("127.0.0.1", "old"));
  EXPECT_TRUE(HasPassword("localhost", "old"));
  EXPECT_TRUE(CanLogIn("old"));
  EXPECT_TRUE(log.Contains("[CMariaAdapter::ChangePassword] ERROR - Error raised when change '" + user_ +
                           "' user password. the error is "))
      << log.Text();
}

}  // namespace
