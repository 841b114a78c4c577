#include "support/TestDatabase.h"

#include <mysql.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

namespace {

bool Env(const char* name, std::string* value) {
  const char* v = std::getenv(name);
  if (!v) return false;
  *value = v;
  return true;
}

// A new connection to the server (database `name`, or none when empty) in
// EUC-KR; null with the reason in `error` when it fails.
MYSQL* Connect(const TestDatabase& db, const std::string& name, std::string* error) {
  MYSQL* conn = mysql_init(nullptr);
  if (!conn) {
    if (error) *error = "mysql_init failed";
    return nullptr;
  }
  unsigned timeout = 10;
  mysql_options(conn, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
  mysql_options(conn, MYSQL_SET_CHARSET_NAME, "euckr");
  if (!mysql_real_connect(conn, db.host.c_str(), db.user.c_str(), db.password.c_str(),
                          name.empty() ? nullptr : name.c_str(), db.port, nullptr, 0)) {
    if (error) *error = mysql_error(conn);
    mysql_close(conn);
    return nullptr;
  }
  return conn;
}

// Runs one statement on a fresh connection to the server (no default database).
bool RunStatement(const TestDatabase& db, const std::string& sql, std::string* error) {
  MYSQL* conn = Connect(db, "", error);
  if (!conn) return false;
  bool ok = mysql_query(conn, sql.c_str()) == 0;
  if (!ok && error) *error = mysql_error(conn);
  mysql_close(conn);
  return ok;
}

}  // namespace

bool GetTestDatabase(TestDatabase* db) {
  std::string port;
  if (!Env("GATE_DB_HOST", &db->host) || !Env("GATE_DB_PORT", &port) ||
      !Env("GATE_DB_USER", &db->user) || !Env("GATE_DB_PASSWORD", &db->password) ||
      !Env("GATE_DB_NAME", &db->database)) {
    return false;
  }
  db->port = static_cast<unsigned>(std::strtoul(port.c_str(), nullptr, 10));
  return db->port != 0;
}

bool RunningUnderCi() {
  const char* ci = std::getenv("CI");
  return ci && std::string(ci) == "true";
}

std::string CreateScratchDatabase(const TestDatabase& db, const std::string& prefix,
                                  std::string* error) {
  static std::atomic<unsigned> counter{0};
  std::string name = prefix + "_" + std::to_string(getpid()) + "_" + std::to_string(counter++);
  if (!RunStatement(db, "CREATE DATABASE `" + name + "` CHARACTER SET euckr", error)) return "";
  return name;
}

bool RunSqlScript(const TestDatabase& db, const std::string& name, const std::string& script,
                  std::string* error) {
  MYSQL* conn = Connect(db, name, error);
  if (!conn) return false;
  bool ok = true;
  const std::string separator = "\r\n\r\n";
  for (size_t start = 0; ok && start < script.size();) {
    size_t end = script.find(separator, start);
    if (end == std::string::npos) end = script.size();
    std::string statement = script.substr(start, end - start);
    start = end + separator.size();
    if (statement.find_first_not_of(" \t\r\n") == std::string::npos) continue;
    if (mysql_real_query(conn, statement.data(), statement.size()) != 0) {
      ok = false;
      if (error) *error = statement + ": " + mysql_error(conn);
    }
  }
  mysql_close(conn);
  return ok;
}

bool DropScratchDatabase(const TestDatabase& db, const std::string& name) {
  return RunStatement(db, "DROP DATABASE IF EXISTS `" + name + "`", nullptr);
}
