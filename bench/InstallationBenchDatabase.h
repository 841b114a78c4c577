// The installation's own tables in a bench database: the creation script of
// every registered row class run statement by statement. For benches that
// link the row classes (gate_entities and up).
#pragma once

#include <string>

#include "BenchDatabase.h"
#include "entities/base/EntitySchema.h"

// Runs the creation script on `conn`'s current database; false (the
// server's message printed) when a statement fails.
inline bool CreateInstallationTables(MYSQL* conn) {
  const std::string script = GetDatabaseCreationScript();
  for (size_t at = 0; at < script.size();) {
    size_t end = script.find("\r\n\r\n", at);
    if (end == std::string::npos) end = script.size();
    const std::string statement = script.substr(at, end - at);
    if (statement.find_first_not_of(" \r\n\t") != std::string::npos && !RunSql(conn, statement)) return false;
    at = end + 4;
  }
  return true;
}
