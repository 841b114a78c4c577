// The throwaway MariaDB server that the test command starts (scripts/with-mariadb)
// and hands to the tests in GATE_DB_* environment variables.
#pragma once

#include <gtest/gtest.h>

#include <string>

struct TestDatabase {
  std::string host;
  unsigned port = 0;
  std::string user;
  std::string password;
  std::string database;  // created CHARACTER SET euckr by the harness
};

// Reads GATE_DB_HOST, GATE_DB_PORT, GATE_DB_USER, GATE_DB_PASSWORD and
// GATE_DB_NAME. Returns false when any is missing.
bool GetTestDatabase(TestDatabase* db);

// True when running under CI (CI=true): a missing database is then a failure, not a skip.
bool RunningUnderCi();

// Creates a fresh database named `<prefix>_<pid>_<n>` (CHARACTER SET euckr) on
// the test server, so parallel test programs never share tables. Returns its
// name, or "" with a message in `error`.
std::string CreateScratchDatabase(const TestDatabase& db, const std::string& prefix,
                                  std::string* error);

// Runs a creation script on database `name`: its statements are the blocks
// between empty lines written CR LF CR LF (blocks of blanks only are skipped),
// one statement each, in order. Stops at the first failure and returns false
// with the statement and the server's message in `error`.
bool RunSqlScript(const TestDatabase& db, const std::string& name, const std::string& script,
                  std::string* error);

// Drops a database made by CreateScratchDatabase. Returns false on failure.
bool DropScratchDatabase(const TestDatabase& db, const std::string& name);

// In a test body: fills `db` or ends the test, failing under CI and skipping elsewhere.
#define GATE_REQUIRE_DATABASE(db)                                                        \
  do {                                                                                   \
    if (!GetTestDatabase(&(db))) {                                                       \
      if (RunningUnderCi()) FAIL() << "GATE_DB_* not set: run under scripts/with-mariadb"; \
      GTEST_SKIP() << "no test database (run under scripts/with-mariadb)";               \
    }                                                                                    \
  } while (0)
