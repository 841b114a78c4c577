// bench-libs: gate_sync gate_database_client
// One camera job of the data synchronizer: 10,000 camera rows of which 100
// changed since the snapshot, read, compared, posted as one body to nginx
// and the snapshot saved, beside the mariadb client selecting the same rows
// to /dev/null. Needs GATE_DB_* (scripts/with-mariadb) and
// GATE_BENCH_TARGET_PORT (an HTTP server answering 200 on /echo): run it
// through bench/sync_job.sh.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "InstallationBenchDatabase.h"
#include "sync/DataSyncRun.h"
#include "sync/DeviceUserFields.h"

namespace {

constexpr int kCameras = 10000;
constexpr int kChanged = 100;
BenchServer g_server;
bool g_ready = false;
std::string g_snapshot;

// The database with every table, one recording server and kCameras cameras
// whose site code sits in user3.
bool Prepare() {
  if (!BenchServerFromEnvironment("syncbench_", &g_server)) return false;
  MYSQL* conn = CreateBenchDatabase(g_server, "CREATE TABLE bench_marker (id INT)");
  bool ok = conn != nullptr && CreateInstallationTables(conn);
  ok = ok && RunSql(conn, "INSERT INTO TBL_Zav (no, name, addr, service_port, RtspPort) VALUES (1, 'z', '10.0.0.5', 7000, 554)");
  for (int first = 1; ok && first <= kCameras; first += 1000) {
    std::string sql = "INSERT INTO TBL_Camera (no, name, addr, model_type, device_type, zav_no, zav_channel, user3) VALUES ";
    for (int row = first; row < first + 1000; ++row) {
      const std::string n = std::to_string(row);
      sql += (row == first ? "(" : ", (") + n + ", 'camera " + n + "', '10.0." + std::to_string(row % 250) +
             ".1', 'Box', 'Box', 1, " + std::to_string(row % 64) + ", 'S" + n + "')";
    }
    ok = RunSql(conn, sql);
  }
  if (conn) mysql_close(conn);
  return ok;
}

CDataSynchronizerItem Job() {
  CDataSynchronizerItem job;
  job.SetID(1);
  job.SetSourceData("TBL_Camera");
  const char* port = getenv("GATE_BENCH_TARGET_PORT");
  job.SetTargetUrl(std::string("http://127.0.0.1:") + (port ? port : "0") + "/echo");
  return job;
}

void BM_CameraJob100Changed(benchmark::State& state) {
  if (!g_ready || !getenv("GATE_BENCH_TARGET_PORT")) {
    state.SkipWithError("run through bench/sync_job.sh");
    return;
  }
  CDataSyncSettings settings;
  settings.database = {g_server.host, static_cast<int>(g_server.port), g_server.database, g_server.user,
                       g_server.password};
  settings.service.encryptContents = true;
  settings.service.encryptKey = "0123456789abcdef";
  CDeviceUserFields fields;
  const std::string fieldsPath = g_snapshot + ".fields.xml";
  FILE* file = fopen(fieldsPath.c_str(), "w");
  if (file) {
    fputs("<Settings>\r\n\t<Setting>\r\n\t\t<Category>0</Category>\r\n\t\t<Name>SITE_CODE</Name>\r\n"
          "\t\t<Value>2</Value>\r\n\t</Setting>\r\n</Settings>\r\n",
          file);
    fclose(file);
  }
  fields.Load(fieldsPath, fieldsPath + ".none");
  const CDataSynchronizerItem job = Job();
  remove(g_snapshot.c_str());
  // The first snapshot: every row an Add.
  const CDataSyncResult firstRun = RunDataSync(job, settings, &fields, g_snapshot);
  const int first = firstRun.accepted ? firstRun.code : -1;
  if (first != 0) {
    state.SkipWithError(("first run failed with code " + std::to_string(first)).c_str());
    return;
  }
  MYSQL* conn = ConnectBenchServer(g_server);
  if (!conn || !RunSql(conn, "USE " + g_server.database)) {
    state.SkipWithError("cannot connect");
    return;
  }
  static int round = 0;  // across the calls the benchmark library makes
  for (auto _ : state) {
    state.PauseTiming();
    ++round;
    if (!RunSql(conn, "UPDATE TBL_Camera SET name = CONCAT('camera ', no, ' r" + std::to_string(round) +
                          "') WHERE no <= " + std::to_string(kChanged)) ||
        mysql_affected_rows(conn) != static_cast<my_ulonglong>(kChanged)) {
      state.SkipWithError(("the update changed " + std::to_string(mysql_affected_rows(conn)) + " rows").c_str());
      break;
    }
    state.ResumeTiming();
    CDataSyncResult result = RunDataSync(job, settings, &fields, g_snapshot);
    if (result.code != 0 || !result.accepted) {
      state.SkipWithError(("run failed with code " + std::to_string(result.code)).c_str());
      break;
    }
  }
  mysql_close(conn);
  state.counters["rows"] = kCameras;
  state.counters["changed"] = kChanged;
}

void BM_MariadbClientSelectsCameras(benchmark::State& state) {
  if (!g_ready) {
    state.SkipWithError("no server: run under scripts/with-mariadb");
    return;
  }
  RunMariadbClient(state, g_server, "SELECT * FROM TBL_Camera WHERE IsDeleted = 0 OR IsDeleted IS NULL");
}

BENCHMARK(BM_CameraJob100Changed)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);
BENCHMARK(BM_MariadbClientSelectsCameras)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  char folder[] = "/tmp/sync-bench-XXXXXX";
  if (mkdtemp(folder)) g_snapshot = std::string(folder) + "/DataSync_127_0_0_1_Device_Data_1.dat";
  g_ready = !g_snapshot.empty() && Prepare();
  if (!g_ready) fprintf(stderr, "no database server: the benchmarks are skipped\n");
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  DropBenchDatabase(g_server);
  if (!g_snapshot.empty()) {
    remove(g_snapshot.c_str());
    remove((g_snapshot + ".fields.xml").c_str());
    remove(folder);
  }
  return 0;
}
