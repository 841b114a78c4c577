// bench-libs: gate_entities gate_database
// The entity cache store: FindCachedEntity on a cached 10,000-row camera
// table from 1 and 8 threads, beside the same look-ups in a std::map under one
// std::shared_mutex and in the same map with no lock (how far the machine's
// free cores let 8 threads scale at all); and loading 100,000 camera rows into the cache through
// the database service beside the same rows (the store's own query) read by
// the mariadb client to /dev/null and by a bare Connector/C walk of every
// cell. Run beside a server:
//   bash scripts/with-mariadb build/bench/bench/cache_store_bench
// (bench/cache_store.sh does that and prints the ratios).
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
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

// The anchor of the look-ups: the same rows in a std::map under one shared mutex.
struct MapUnderSharedMutex {
  std::shared_mutex lock;
  std::map<int, EntityPtr> rows;
};

MapUnderSharedMutex& AnchorMap() {
  static MapUnderSharedMutex* anchor = [] {
    auto* a = new MapUnderSharedMutex;
    for (const auto& [id, row] : CachedStore().GetCachedEntityList("TBL_Camera")) a->rows[id] = row;
    return a;
  }();
  return *anchor;
}

// The ids each thread looks up: the same pseudo-random sequence in both benchmarks.
int NextId(unsigned* seed) {
  *seed = *seed * 1103515245u + 12345u;
  return 1 + static_cast<int>((*seed >> 8) % kCachedRows);
}

void BM_FindCachedEntity(benchmark::State& state) {
  CDataStore& store = CachedStore();
  unsigned seed = 12345u + static_cast<unsigned>(state.thread_index()) * 7919u;
  size_t found = 0;
  for (auto _ : state) {
    EntityPtr row = store.FindCachedEntity("TBL_Camera", NextId(&seed));
    found += row != nullptr;
    benchmark::DoNotOptimize(row);
  }
  if (found != static_cast<size_t>(state.iterations())) state.SkipWithError("a look-up missed");
  state.SetItemsProcessed(state.iterations());
}

void BM_SharedMutexMapFind(benchmark::State& state) {
  MapUnderSharedMutex& anchor = AnchorMap();
  unsigned seed = 12345u + static_cast<unsigned>(state.thread_index()) * 7919u;
  size_t found = 0;
  for (auto _ : state) {
    EntityPtr row;
    {
      std::shared_lock<std::shared_mutex> hold(anchor.lock);
      auto it = anchor.rows.find(NextId(&seed));
      if (it != anchor.rows.end()) row = it->second;
    }
    found += row != nullptr;
    benchmark::DoNotOptimize(row);
  }
  if (found != static_cast<size_t>(state.iterations())) state.SkipWithError("a look-up missed");
  state.SetItemsProcessed(state.iterations());
}

// What the machine gives 8 threads at the moment: the same look-ups in the
// same std::map with no lock at all (the rows are only read), so nothing but
// free cores limits its scaling.
void BM_UnlockedMapFind(benchmark::State& state) {
  const std::map<int, EntityPtr>& rows = AnchorMap().rows;
  unsigned seed = 12345u + static_cast<unsigned>(state.thread_index()) * 7919u;
  size_t found = 0;
  for (auto _ : state) {
    EntityPtr row;
    auto it = rows.find(NextId(&seed));
    if (it != rows.end()) row = it->second;
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
  RunStoreLoad<CDBDataStore, CDataStore>(state, g_server, "TBL_Camera", kLoadedRows);
}

// The statement of the store's load: every row not marked deleted (all of
// them here: the seeded rows have IsDeleted NULL).
const char* const kLoadQuery = "SELECT * FROM TBL_Camera WHERE `IsDeleted` = 0 OR `IsDeleted` is NULL";

void BM_MariadbClientSelectsCameras(benchmark::State& state) {
  if (!g_haveServer) {
    state.SkipWithError("no server: run under scripts/with-mariadb");
    return;
  }
  RunMariadbClient(state, g_server, kLoadQuery);
}

// Connector/C alone: the load's statement, mysql_store_result, and every
// cell of every row touched (its bytes summed).
void BM_BareConnectorWalk(benchmark::State& state) {
  if (!g_haveServer) {
    state.SkipWithError("no server: run under scripts/with-mariadb");
    return;
  }
  MYSQL* conn = ConnectBenchServer(g_server);
  if (!conn || !RunSql(conn, "USE " + g_server.database)) {
    state.SkipWithError("cannot connect");
    if (conn) mysql_close(conn);
    return;
  }
  uint64_t rows = 0;
  for (auto _ : state) {
    if (!RunSql(conn, kLoadQuery)) {
      state.SkipWithError("query failed");
      break;
    }
    MYSQL_RES* result = mysql_store_result(conn);
    const unsigned columns = mysql_num_fields(result);
    uint64_t bytes = 0;
    rows = 0;
    while (MYSQL_ROW row = mysql_fetch_row(result)) {
      const unsigned long* lengths = mysql_fetch_lengths(result);
      for (unsigned c = 0; c < columns; ++c) {
        if (row[c]) bytes += lengths[c] + static_cast<unsigned char>(row[c][0]);
      }
      ++rows;
    }
    benchmark::DoNotOptimize(bytes);
    mysql_free_result(result);
  }
  mysql_close(conn);
  if (rows != kLoadedRows) state.SkipWithError("wrong row count");
  state.counters["rows"] = static_cast<double>(rows);
}

}  // namespace

BENCHMARK(BM_FindCachedEntity)->Threads(1)->Threads(8)->UseRealTime();
BENCHMARK(BM_SharedMutexMapFind)->Threads(1)->Threads(8)->UseRealTime();
BENCHMARK(BM_UnlockedMapFind)->Threads(1)->Threads(8)->UseRealTime();
BENCHMARK(BM_StoreLoadsCameras)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);
BENCHMARK(BM_MariadbClientSelectsCameras)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);
BENCHMARK(BM_BareConnectorWalk)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  KeepFreedHeap();
  CachedStore();
  AnchorMap();
  g_haveServer = Prepare();
  if (!g_haveServer) fprintf(stderr, "no database server: the load benchmarks are skipped\n");
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  DropBenchDatabase(g_server);
  return 0;
}
