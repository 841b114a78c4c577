// bench-libs: gate_sync gate_database_client
// The HT NVR synchronizer importing a 256-channel camera list (the fake
// Hitron NVR of the recorder tests) into a central database of 10,000
// cameras: the first import (256 cameras, 512 group links, 256 permissions
// in one transaction) and a run with the same list (nothing to write). The
// anchors: the mariadb client writing the same rows in one transaction
// (multi-row statements), and the mariadb client selecting the camera table
// to /dev/null (what a no-change run must at least read). Each timed run
// includes the service's start (its pools), as each run needs a new fake
// NVR on a new port. Needs GATE_DB_* (scripts/with-mariadb) and
// GATE_BENCH_TARGET_PORT (an HTTP server answering 200 under /system/, the
// management server): run it through bench/htnvr_sync.sh.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "HitronReplies.h"
#include "InstallationBenchDatabase.h"
#include "SyncServiceBench.h"
#include "sync/HTNvrDataSynchronizer.h"

namespace {

constexpr int kCameras = 10000;
constexpr int kChannels = 256;
constexpr int kPeriodSec = 3600;
const char* const kNvrAddress = "127.0.0.1";

BenchServer g_central;
bool g_ready = false;
std::map<int, std::string> g_channels;

bool Prepare() {
  MYSQL* conn = CreateBenchDatabase(g_central, "CREATE TABLE bench_marker (id INT)");
  bool ok = conn && CreateInstallationTables(conn) &&
            RunSql(conn, "INSERT INTO TBL_SystemSettings (Category, `Key`, Setting) VALUES (1, 'PasswordEncrypted', "
                         "'1')") &&
            RunSql(conn, "INSERT INTO TBL_Camera_Group (no, group_name) VALUES (1, 'All'), (5, 'HT')") &&
            RunSql(conn, "INSERT INTO TBL_User (no, id, password) VALUES (1, 'admin', 'x')");
  for (int first = 1; ok && first <= kCameras; first += 1000) {
    std::string cameras = "INSERT INTO TBL_Camera (no, name, addr, model_type, device_type, sub_channel, _order_) VALUES ";
    std::string links = "INSERT INTO TBL_Camera_Group_Camera_List (camera_group_no, camera_no, _order_) VALUES ";
    for (int row = first; row < first + 1000; ++row) {
      const std::string n = std::to_string(row);
      cameras += (row == first ? "(" : ", (") + n + ", 'camera " + n + "', '10.0." + std::to_string(row / 250) + "." +
                 std::to_string(row % 250) + "', 'Box', 'Box', 1, " + n + ")";
      links += (row == first ? "(1, " : ", (1, ") + n + ", " + n + ")";
    }
    ok = RunSql(conn, cameras) && RunSql(conn, links);
  }
  if (conn) mysql_close(conn);
  for (int channel = 0; channel < kChannels; ++channel) g_channels[channel] = "channel " + std::to_string(channel);
  return ok;
}

// Removes the NVR's cameras with their links and permissions.
bool RemoveImport(MYSQL* conn) {
  return RunSql(conn, "DELETE l FROM TBL_Camera_Group_Camera_List l JOIN TBL_Camera c ON c.no = l.camera_no WHERE "
                      "c.addr = '" + std::string(kNvrAddress) + "'") &&
         RunSql(conn, "DELETE p FROM TBL_UserPermissions p JOIN TBL_Camera c ON c.no = p.DeviceID WHERE c.addr = '" +
                          std::string(kNvrAddress) + "'") &&
         RunSql(conn, "DELETE FROM TBL_Camera WHERE addr = '" + std::string(kNvrAddress) + "'");
}

// "cameras/links/permissions" of the NVR's address.
std::string ImportCounts(MYSQL* conn) {
  const std::string where = " WHERE c.addr = '" + std::string(kNvrAddress) + "'";
  return QueryValues(
      conn, {"SELECT COUNT(*) FROM TBL_Camera c" + where,
             "SELECT COUNT(*) FROM TBL_Camera_Group_Camera_List l JOIN TBL_Camera c ON c.no = l.camera_no" + where,
             "SELECT COUNT(*) FROM TBL_UserPermissions p JOIN TBL_Camera c ON c.no = p.DeviceID" + where});
}

const std::string kExpected =
    std::to_string(kChannels) + "/" + std::to_string(2 * kChannels) + "/" + std::to_string(kChannels);

// One run of a new service against a new fake NVR listing the channels,
// timed from the service's start to the run's report; its code, or -1.
int TimedRun(benchmark::State& state, BenchProgramFolder& folder) {
  state.PauseTiming();
  FakeHitronNvr nvr(hitron_replies::Serving(g_channels));
  CHTNvrDataSynchronizerItem job;
  job.SetID(1);
  job.SetPeriod(kPeriodSec);
  job.SetTargetAddress(kNvrAddress);
  job.SetTargetPort(nvr.port());
  job.SetTargetLoginID("admin");
  job.SetTargetPassword(EncipherJobPassword("admin"));
  job.SetTargetGroup("HT");
  CHTNvrDataSynchronizerItems items;
  items.SetItems({job});
  folder.settings.Option_SetHTNvrDataSyncItems(items);
  folder.clock->AdvanceMillis(int64_t{kPeriodSec} * 1000);
  BenchRunWaiter waiter;
  CHTNvrDataSynchronizer service(folder.settings, folder.clock);
  service.SetSchedulePeriodMs(2);
  service.Subscribe("bench", &BenchRunWaiter::OnMessage, &waiter, nullptr);
  service.Initialize();
  state.ResumeTiming();
  service.Start();
  const bool ran = waiter.WaitPast(0);
  state.PauseTiming();
  service.Stop();
  state.ResumeTiming();
  return ran ? service.GetItemStatus(1).GetLastErrorCode() : -1;
}

bool SetUpFolder(BenchProgramFolder& folder) {
  const char* port = getenv("GATE_BENCH_TARGET_PORT");
  if (!g_ready || !port || !folder.Create(g_central)) return false;
  folder.settings.SetString(0, "ZmsAddress", "127.0.0.1");
  folder.settings.SetLong(0, "ZmsPort", atoi(port));
  return true;
}

void BM_HTNvrFirstImport(benchmark::State& state) {
  BenchProgramFolder folder;
  MYSQL* conn = SetUpFolder(folder) ? ConnectBenchDatabase(g_central) : nullptr;
  if (!conn) {
    state.SkipWithError("run through bench/htnvr_sync.sh");
    return;
  }
  TimeRunsAfterReset(
      state, [&] { return RemoveImport(conn); }, [&] { return TimedRun(state, folder); },
      [&] { return ImportCounts(conn); }, kExpected);
  mysql_close(conn);
}

void BM_HTNvrNoChange(benchmark::State& state) {
  BenchProgramFolder folder;
  MYSQL* conn = SetUpFolder(folder) ? ConnectBenchDatabase(g_central) : nullptr;
  if (!conn) {
    state.SkipWithError("run through bench/htnvr_sync.sh");
    return;
  }
  const bool imported = ImportCounts(conn) == kExpected;
  mysql_close(conn);
  if (!imported) {
    state.SkipWithError("the first import did not run before");
    return;
  }
  for (auto _ : state) {
    const int code = TimedRun(state, folder);
    if (code != 0) {
      state.SkipWithError(("code " + std::to_string(code)).c_str());
      break;
    }
  }
}

// The anchor of the first import: the same 256 cameras (the columns the
// import sets), 512 links and 256 permissions in one transaction.
void BM_MariadbClientWritesTheImport(benchmark::State& state) {
  MYSQL* conn = g_ready ? ConnectBenchDatabase(g_central) : nullptr;
  if (!conn) {
    state.SkipWithError("run through bench/htnvr_sync.sh");
    return;
  }
  std::string sql =
      "START TRANSACTION; INSERT INTO TBL_Camera (enable, model_type, device_type, name, vendor, model_name, zav_no, "
      "zav_channel, addr, id, password, web_port, service_port, stream1_url, stream1_port, stream2_url, stream2_port, "
      "high_res_url, low_res_url, cont_rec_stream, event_rec_stream, sub_channel, _order_, PTZControl) VALUES ";
  for (const auto& [channel, name] : g_channels) {
    const std::string sub = std::to_string(channel + 1);
    sql += (channel == 0 ? "(" : ", (") + std::string("1, 'SNR-64600S', 'Video Server', '") + name +
           "', 'HitronSystems', 'SNR-64600S', 0, 0, '" + kNvrAddress + "', 'admin', 'DE/ezEp+Lw+LFByBAvAG4A==', 80, "
           "9000, '" + sub + "/stream1', 554, '" + sub + "/stream2', 554, '" + sub + "/stream1', '" + sub +
           "/stream2', 1, 1, " + sub + ", " + std::to_string(kCameras + channel + 1) + ", 1)";
  }
  const std::string ours = " FROM TBL_Camera WHERE addr = '" + std::string(kNvrAddress) + "'";
  sql += "; INSERT INTO TBL_Camera_Group_Camera_List (camera_group_no, camera_no, _order_) SELECT 5, no, sub_channel" +
         ours + "; INSERT INTO TBL_Camera_Group_Camera_List (camera_group_no, camera_no, _order_) SELECT 1, no, " +
         std::to_string(kCameras) + " + sub_channel" + ours +
         "; INSERT INTO TBL_UserPermissions (UserID, PermissionID, DeviceID, PrivilegeType, PrivilegeValue) SELECT 1, "
         "3000, no, 4, '1'" + ours + "; COMMIT";
  TimeRunsAfterReset(
      state, [&] { return RemoveImport(conn); }, [&] { return SpawnMariadbClient(g_central, sql) ? 0 : 1; },
      [&] { return ImportCounts(conn); }, kExpected);
  mysql_close(conn);
}

// The anchor of the no-change run: the camera table read to /dev/null.
void BM_MariadbClientSelectsCameras(benchmark::State& state) {
  if (!g_ready) {
    state.SkipWithError("run through bench/htnvr_sync.sh");
    return;
  }
  RunMariadbClient(state, g_central, "SELECT * FROM TBL_Camera");
}

BENCHMARK(BM_MariadbClientWritesTheImport)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);
BENCHMARK(BM_HTNvrFirstImport)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);
BENCHMARK(BM_HTNvrNoChange)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);
BENCHMARK(BM_MariadbClientSelectsCameras)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  g_ready = BenchServerFromEnvironment("htnvrbench_", &g_central) && Prepare();
  if (!g_ready) fprintf(stderr, "no database server: the benchmarks are skipped\n");
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  DropBenchDatabase(g_central);
  return 0;
}
