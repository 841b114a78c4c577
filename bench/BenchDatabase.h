// The MariaDB server the database benchmarks run beside (scripts/with-mariadb
// exports it as GATE_DB_*), a scratch database on it, and the mariadb
// command-line client that our loads are measured against.
#pragma once

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <mysql.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

struct BenchServer {
  std::string host, user, password, database;
  unsigned port = 0;
};

// The server of GATE_DB_* with a database named `prefix` and this process's
// id; false when the environment names no server.
inline bool BenchServerFromEnvironment(const std::string& prefix, BenchServer* server) {
  const char* host = getenv("GATE_DB_HOST");
  const char* port = getenv("GATE_DB_PORT");
  if (!host || !port) return false;
  const char* user = getenv("GATE_DB_USER");
  const char* password = getenv("GATE_DB_PASSWORD");
  *server = {host, user ? user : "", password ? password : "", prefix + std::to_string(getpid()),
             static_cast<unsigned>(atoi(port))};
  return true;
}

// Keeps heap memory the process frees for its later allocations instead of
// handing it back to the system, so that a reload is timed on the memory the
// previous load left (as in a long-running program) rather than on fresh
// pages: on some virtual machines each first-touched page costs tens of
// microseconds, which would swamp the load. Applies to every bench of the
// process, anchors included.
inline void KeepFreedHeap() {
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
}

// Runs `sql`; false (the error printed) when the server refuses it.
inline bool RunSql(MYSQL* conn, const std::string& sql) {
  if (mysql_real_query(conn, sql.data(), sql.size()) != 0) {
    fprintf(stderr, "%s\n", mysql_error(conn));
    return false;
  }
  return true;
}

// A euckr connection to the server, no database chosen; null (printed) on failure.
inline MYSQL* ConnectBenchServer(const BenchServer& server) {
  MYSQL* conn = mysql_init(nullptr);
  mysql_options(conn, MYSQL_SET_CHARSET_NAME, "euckr");
  if (!mysql_real_connect(conn, server.host.c_str(), server.user.c_str(), server.password.c_str(), nullptr,
                          server.port, nullptr, 0)) {
    fprintf(stderr, "%s\n", mysql_error(conn));
    mysql_close(conn);
    return nullptr;
  }
  return conn;
}

// A connection to `server`'s database; null (printed) on failure.
inline MYSQL* ConnectBenchDatabase(const BenchServer& server) {
  MYSQL* conn = ConnectBenchServer(server);
  if (conn && !RunSql(conn, "USE " + server.database)) {
    mysql_close(conn);
    return nullptr;
  }
  return conn;
}

// The first values of `queries` (say row counts) joined by "/", "?" for one that failed.
inline std::string QueryValues(MYSQL* conn, const std::vector<std::string>& queries) {
  std::string values;
  for (const std::string& sql : queries) {
    std::string value = "?";
    if (mysql_real_query(conn, sql.data(), sql.size()) == 0) {
      if (MYSQL_RES* result = mysql_store_result(conn)) {
        MYSQL_ROW row = mysql_fetch_row(result);
        if (row && row[0]) value = row[0];
        mysql_free_result(result);
      }
    }
    values += (values.empty() ? "" : "/") + value;
  }
  return values;
}

// Creates the bench database with the table of `createTable` and leaves it
// current; the caller closes the connection. Null when any step fails.
inline MYSQL* CreateBenchDatabase(const BenchServer& server, const std::string& createTable) {
  MYSQL* conn = ConnectBenchServer(server);
  if (!conn) return nullptr;
  if (RunSql(conn, "CREATE DATABASE " + server.database + " CHARACTER SET euckr") &&
      RunSql(conn, "USE " + server.database) && RunSql(conn, createTable)) {
    return conn;
  }
  mysql_close(conn);
  return nullptr;
}

// Creates the bench database and runs `script` in it (statements separated
// by CR LF CR LF, as the entity schema writes them); the caller closes the
// connection. Null when any step fails.
inline MYSQL* CreateBenchDatabaseFromScript(const BenchServer& server, const std::string& script) {
  MYSQL* conn = ConnectBenchServer(server);
  if (!conn) return nullptr;
  bool ok = RunSql(conn, "CREATE DATABASE " + server.database + " CHARACTER SET euckr") &&
            RunSql(conn, "USE " + server.database);
  for (size_t start = 0; ok && start < script.size();) {
    size_t end = script.find("\r\n\r\n", start);
    if (end == std::string::npos) end = script.size();
    const std::string statement = script.substr(start, end - start);
    if (statement.find_first_not_of(" \r\n\t") != std::string::npos) ok = RunSql(conn, statement);
    start = end + 4;
  }
  if (ok) return conn;
  mysql_close(conn);
  return nullptr;
}

// Drops the bench database, if the server was named.
inline void DropBenchDatabase(const BenchServer& server) {
  if (server.database.empty()) return;
  if (MYSQL* conn = ConnectBenchServer(server)) {
    RunSql(conn, "DROP DATABASE IF EXISTS " + server.database);
    mysql_close(conn);
  }
}

// Runs the mariadb client on `server`'s database with `sql` (output to
// /dev/null); false when it cannot start or fails.
inline bool SpawnMariadbClient(const BenchServer& server, const std::string& sql) {
  std::vector<std::string> argv = {"mariadb", "--no-defaults", "-h", server.host, "-P",
                                   std::to_string(server.port), "-u", server.user,
                                   "-p" + server.password, "--default-character-set=euckr",
                                   server.database, "-e", sql};
  std::vector<char*> args;
  for (std::string& arg : argv) args.push_back(arg.data());
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, "mariadb", &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// One iteration a run of the mariadb client selecting `query` to /dev/null.
inline void RunMariadbClient(benchmark::State& state, const BenchServer& server, const std::string& query) {
  for (auto _ : state) {
    if (!SpawnMariadbClient(server, query)) {
      state.SkipWithError("mariadb failed");
      break;
    }
  }
}

// One iteration a reload of `table` into an entity cache store through the
// database service over `server`, in place of the rows it holds (what a
// running program does); an error when the cache then holds another number of
// rows than `rows`. The store's first load, which is also the process's first
// touch of the memory the rows take (page faults, costly on some virtual
// machines), runs before the timing; its time is the counter "first_ms". For
// benches that link gate_database.
template <class Service, class Store>
void RunStoreLoad(benchmark::State& state, const BenchServer& server, const char* table, int rows) {
  Service service;
  service.Initialize(server.host.c_str(), static_cast<int>(server.port), server.database.c_str(),
                     server.user.c_str(), server.password.c_str());
  if (!service.IsConnected(0)) {
    state.SkipWithError("cannot connect");
    return;
  }
  Store store(&service);
  const auto start = std::chrono::steady_clock::now();
  store.LoadEntityList(table);
  const std::chrono::duration<double, std::milli> first = std::chrono::steady_clock::now() - start;
  int loaded = 0;
  for (auto _ : state) {
    store.LoadEntityList(table);
    state.PauseTiming();
    loaded = store.HasEntityList(table);
    state.ResumeTiming();
  }
  if (loaded != rows) state.SkipWithError("wrong row count");
  state.counters["rows"] = loaded;
  state.counters["first_ms"] = first.count();
}
