// bench-libs: gate_entities gate_database
// The entity cache store: FindCachedEntity on a cached 10,000-row camera
// table from 1 and 8 threads (ns per look-up), and loading 100,000 camera
// rows into the cache through the database service beside the mariadb client
// selecting the same rows to /dev/null. Run beside a server:
//   bash scripts/with-mariadb build/bench/bench/cache_store_bench
// (bench/cache_store.sh does that and prints the load ratio).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <mysql.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "database/DBDataStore.h"
#include "database/DataStore.h"
#include "entities/Camera.h"
#include "entities/base/EntitySchema.h"

namespace {

constexpr int kCachedRows = 10000;
constexpr int kLoadedRows = 100000;

struct Server {
  std::string host, user, password, database;
  unsigned port = 0;
};
Server g_server;
bool g_haveServer = false;

// An in-memory store holding kCachedRows cameras, made once.
CDataStore& CachedStore() {
  static CDataStore* store = [] {
    auto* s = new CDataStore(nullptr);
    for (int id = 1; id <= kCachedRows; ++id) {
      CTBLCamera camera;
      camera.SetNo(id);
      camera.SetName("camera " + std::to_string(id));
      s->AddEntity(&camera, 0);
    }
    return s;
  }();
  return *store;
}

void BM_FindCachedEntity(benchmark::State& state) {
  CDataStore& store = CachedStore();
  unsigned seed = 12345u + static_cast<unsigned>(state.thread_index()) * 7919u;
  size_t found = 0;
  for (auto _ : state) {
    seed = seed * 1103515245u + 12345u;
    EntityPtr row = store.FindCachedEntity("TBL_Camera", 1 + static_cast<int>((seed >> 8) % kCachedRows));
    found += row != nullptr;
    benchmark::DoNotOptimize(row);
  }
  if (found != static_cast<size_t>(state.iterations())) state.SkipWithError("a look-up missed");
  state.SetItemsProcessed(state.iterations());
}

bool Run(MYSQL* conn, const std::string& sql) {
  if (mysql_real_query(conn, sql.data(), sql.size()) != 0) {
    fprintf(stderr, "%s\n", mysql_error(conn));
    return false;
  }
  return true;
}

// Creates the bench database with kLoadedRows cameras.
bool Prepare() {
  const char* host = getenv("GATE_DB_HOST");
  const char* port = getenv("GATE_DB_PORT");
  if (!host || !port) return false;
  g_server = {host, getenv("GATE_DB_USER"), getenv("GATE_DB_PASSWORD"),
              "cachebench_" + std::to_string(getpid()), static_cast<unsigned>(atoi(port))};
  MYSQL* conn = mysql_init(nullptr);
  mysql_options(conn, MYSQL_SET_CHARSET_NAME, "euckr");
  if (!mysql_real_connect(conn, g_server.host.c_str(), g_server.user.c_str(), g_server.password.c_str(), nullptr,
                          g_server.port, nullptr, 0)) {
    fprintf(stderr, "%s\n", mysql_error(conn));
    return false;
  }
  bool ok = Run(conn, "CREATE DATABASE " + g_server.database + " CHARACTER SET euckr") &&
            Run(conn, "USE " + g_server.database) && Run(conn, GetCreateTableText(CTBLCameraBase::Descriptor()));
  for (int first = 0; ok && first < kLoadedRows; first += 1000) {
    std::string sql = "INSERT INTO TBL_Camera (name, addr, model_type, device_type, stream1_url, user1) VALUES ";
    for (int row = first; row < first + 1000; ++row) {
      const std::string n = std::to_string(row);
      sql += (row == first ? "(" : ", (") + std::string("'camera ") + n + "', '10.0." + std::to_string(row % 250) +
             ".1', 'IP Camera', 'Dome', 'rtsp://10.0.0.1/stream/" + n + "', 'note " + n + "')";
    }
    ok = Run(conn, sql);
  }
  mysql_close(conn);
  return ok;
}

void Cleanup() {
  MYSQL* conn = mysql_init(nullptr);
  if (mysql_real_connect(conn, g_server.host.c_str(), g_server.user.c_str(), g_server.password.c_str(), nullptr,
                         g_server.port, nullptr, 0)) {
    Run(conn, "DROP DATABASE IF EXISTS " + g_server.database);
  }
  mysql_close(conn);
}

void BM_StoreLoadsCameras(benchmark::State& state) {
  if (!g_haveServer) {
    state.SkipWithError("no server: run under scripts/with-mariadb");
    return;
  }
  CDBDataStore service;
  service.Initialize(g_server.host.c_str(), static_cast<int>(g_server.port), g_server.database.c_str(),
                     g_server.user.c_str(), g_server.password.c_str());
  if (!service.IsConnected(0)) {
    state.SkipWithError("cannot connect");
    return;
  }
  CDataStore store(&service);
  int rows = 0;
  for (auto _ : state) {
    store.LoadEntityList("TBL_Camera");  // the first loads, later ones reload in place
    state.PauseTiming();
    rows = store.HasEntityList("TBL_Camera");
    state.ResumeTiming();
  }
  if (rows != kLoadedRows) state.SkipWithError("wrong row count");
  state.counters["rows"] = rows;
}

void BM_MariadbClientSelectsCameras(benchmark::State& state) {
  if (!g_haveServer) {
    state.SkipWithError("no server: run under scripts/with-mariadb");
    return;
  }
  std::vector<std::string> argv = {"mariadb", "--no-defaults", "-h", g_server.host, "-P",
                                   std::to_string(g_server.port), "-u", g_server.user,
                                   "-p" + g_server.password, "--default-character-set=euckr",
                                   g_server.database, "-e", "SELECT * FROM TBL_Camera WHERE IsDeleted = 0"};
  std::vector<char*> args;
  for (std::string& arg : argv) args.push_back(arg.data());
  args.push_back(nullptr);
  for (auto _ : state) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, "mariadb", &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
      state.SkipWithError("cannot start mariadb");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("mariadb failed");
  }
}

}  // namespace

BENCHMARK(BM_FindCachedEntity)->Threads(1)->Threads(8)->UseRealTime();
BENCHMARK(BM_StoreLoadsCameras)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);
BENCHMARK(BM_MariadbClientSelectsCameras)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  CachedStore();
  g_haveServer = Prepare();
  if (!g_haveServer) fprintf(stderr, "no database server: the load benchmarks are skipped\n");
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (g_haveServer) Cleanup();
  return 0;
}
