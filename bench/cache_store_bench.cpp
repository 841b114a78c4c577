// bench-libs: gate_entities gate_database
// The entity cache store: FindCachedEntity on a cached 10,000-row camera
// table from 1 and 8 threads (ns per look-up), and loading 100,000 camera
// rows into the cache through the database service beside the mariadb client
// selecting the same rows to /dev/null. Run beside a server:
//   bash scripts/with-mariadb build/bench/bench/cache_store_bench
// (bench/cache_store.sh does that and prints the load ratio).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "BenchDatabase.h"
#include "database/DBDataStore.h"
#include "database/DataStore.h"
#include "entities/Camera.h"
#include "entities/base/EntitySchema.h"

namespace {

constexpr int kCachedRows = 10000;
constexpr int kLoadedRows = 100000;

BenchServer g_server;
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

// Creates the bench database with kLoadedRows cameras.
bool Prepare() {
  if (!BenchServerFromEnvironment("cachebench_", &g_server)) return false;
  MYSQL* conn = CreateBenchDatabase(g_server, GetCreateTableText(CTBLCameraBase::Descriptor()));
  bool ok = conn != nullptr;
  for (int first = 0; ok && first < kLoadedRows; first += 1000) {
    std::string sql = "INSERT INTO TBL_Camera (name, addr, model_type, device_type, stream1_url, user1) VALUES ";
    for (int row = first; row < first + 1000; ++row) {
      const std::string n = std::to_string(row);
      sql += (row == first ? "(" : ", (") + std::string("'camera ") + n + "', '10.0." + std::to_string(row % 250) +
             ".1', 'IP Camera', 'Dome', 'rtsp://10.0.0.1/stream/" + n + "', 'note " + n + "')";
    }
    ok = RunSql(conn, sql);
  }
  if (conn) mysql_close(conn);
  return ok;
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
  RunMariadbClient(state, g_server, "SELECT * FROM TBL_Camera WHERE IsDeleted = 0");
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
  DropBenchDatabase(g_server);
  return 0;
}
