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

// Runs one statement on a fresh connection to the server (no default database).
bool RunStatement(const TestDatabase& db, const std::string& sql, std::string* error) {
  MYSQL* conn = mysql_init(nullptr);
  if (!conn) {
    if (error) *error = "mysql_init failed";
    return false;
  }
  unsigned timeout = 10;
  mysql_options(conn, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
  bool ok = mysql_real_connect(conn, db.host.c_str(), db.user.c_str(), db.password.c_str(), nullptr,
                               db.port, nullptr, 0) != nullptr &&
            mysql_query(conn, sql.c_str()) == 0;
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

bool DropScratchDatabase(const TestDatabase& db, const std::string& name) {
  return RunStatement(db, "DROP DATABASE IF EXISTS `" + name + "`", nullptr);
}
