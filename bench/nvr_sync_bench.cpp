// bench-libs: gate_sync gate_database_client
// The NVR data synchronizer copying 2,000 cameras (one recording server), 50
// groups with 2,000 links, 200 users and 5,000 camera permissions from the
// central database into an empty NVR database, and a run with no change,
// beside mariadb-dump of the same five tables piped into the mariadb client
// (the rows moved from one database into another by the server's own
// tools). Needs GATE_DB_* (scripts/with-mariadb) and GATE_BENCH_TARGET_PORT
// (an HTTP server answering 200 under /system/, the NVR's management
// service): run it through bench/nvr_sync.sh.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "InstallationBenchDatabase.h"
#include "SyncServiceBench.h"
#include "sync/NvrDataSynchronizer.h"

namespace {

constexpr int kCameras = 2000;
constexpr int kGroups = 50;
constexpr int kUsers = 200;
constexpr int kPermissions = 5000;
constexpr int kPeriodSec = 3600;
const char* const kTables = "TBL_Camera TBL_Camera_Group TBL_Camera_Group_Camera_List TBL_User TBL_UserPermissions";

BenchServer g_central, g_nvr, g_anchor;
bool g_ready = false;

// Rows "(a), (b), ..." of `count` values made by `row(i)`, i from 1.
template <typename Row>
std::string Values(int count, Row row) {
  std::string sql;
  for (int i = 1; i <= count; ++i) sql += (i == 1 ? "(" : ", (") + row(i) + ")";
  return sql;
}

bool PrepareCentral() {
  MYSQL* conn = CreateBenchDatabase(g_central, "CREATE TABLE bench_marker (id INT)");
  bool ok = conn && CreateInstallationTables(conn) &&
            RunSql(conn, "INSERT INTO TBL_Zav (no, name, addr) VALUES (1, 'nvr', '" + g_central.host + "')") &&
            RunSql(conn, "INSERT INTO TBL_Camera (no, name, zav_no, zav_channel, model_type, device_type) VALUES " +
                             Values(kCameras, [](int i) {
                               const std::string n = std::to_string(i);
                               return n + ", 'camera " + n + "', 1, " + n + ", 'Box', 'Box'";
                             })) &&
            RunSql(conn, "INSERT INTO TBL_Camera_Group (no, group_name, _order_, parent_no) VALUES " +
                             Values(kGroups, [](int i) {
                               const std::string n = std::to_string(i);
                               return n + ", 'group " + n + "', " + n + ", " + (i == 1 ? "0" : "1");
                             })) &&
            RunSql(conn, "INSERT INTO TBL_Camera_Group_Camera_List (camera_group_no, camera_no, _order_) VALUES " +
                             Values(kCameras, [](int i) {
                               return std::to_string(i % kGroups + 1) + ", " + std::to_string(i) + ", " +
                                      std::to_string(i / kGroups + 1);
                             })) &&
            RunSql(conn, "INSERT INTO TBL_User (no, id, password, camera_list) VALUES " +
                             Values(kUsers, [](int i) {
                               const std::string n = std::to_string(i);
                               return n + ", " + (i == 1 ? std::string("'admin'") : "'user " + n + "'") + ", 'pw" + n +
                                      "', '" + std::to_string(i) + "," + std::to_string(i + 1) + "'";
                             })) &&
            RunSql(conn, "INSERT INTO TBL_UserPermissions (UserID, PermissionID, PrivilegeValue, DeviceID) VALUES " +
                             Values(kPermissions, [](int i) {
                               // 25 cameras for each user.
                               return std::to_string((i - 1) / (kPermissions / kUsers) + 1) + ", 3000, '1', " +
                                      std::to_string((i - 1) % kCameras + 1);
                             }));
  if (conn) mysql_close(conn);
  return ok;
}

bool PrepareNvr() {
  const char* port = getenv("GATE_BENCH_TARGET_PORT");
  MYSQL* conn = CreateBenchDatabase(g_nvr, "CREATE TABLE bench_marker (id INT)");
  bool ok = conn && port && CreateInstallationTables(conn) &&
            RunSql(conn, "INSERT INTO TBL_Zav (no, name, addr) VALUES (5, 'self', '" + g_nvr.host + "')") &&
            RunSql(conn, "INSERT INTO TBL_User (no, id, password) VALUES (1, 'admin', 'pw1')") &&
            RunSql(conn, std::string("INSERT INTO TBL_Client (ClientID, name, kind, web_port, UserID, access_time) "
                                     "VALUES (7, 'm', 1001, ") +
                             port + ", 1, '2024-01-01 00:00:00')") &&
            RunSql(conn, "INSERT INTO TBL_Permissions (PermissionID, Name) VALUES (3000, 'camera'), (4000, 'group')") &&
            RunSql(conn, "INSERT INTO TBL_SystemSettings (Category, `Key`, Setting) VALUES (1, 'ZmsSyncMode', '1')");
  if (conn) mysql_close(conn);
  return ok;
}

// Empties the NVR's five tables but for its user 1.
bool EmptyNvr(MYSQL* conn) {
  return RunSql(conn, "DELETE FROM TBL_UserPermissions") && RunSql(conn, "DELETE FROM TBL_Camera_Group_Camera_List") &&
         RunSql(conn, "DELETE FROM TBL_Camera_Group") && RunSql(conn, "DELETE FROM TBL_Camera") &&
         RunSql(conn, "DELETE FROM TBL_User WHERE no <> 1");
}

// The rows of the five NVR tables, "cameras/groups/links/users/permissions".
std::string NvrCounts(MYSQL* conn) {
  return QueryValues(conn, {"SELECT COUNT(*) FROM TBL_Camera", "SELECT COUNT(*) FROM TBL_Camera_Group",
                            "SELECT COUNT(*) FROM TBL_Camera_Group_Camera_List", "SELECT COUNT(*) FROM TBL_User",
                            "SELECT COUNT(*) FROM TBL_UserPermissions"});
}

const std::string kExpected = std::to_string(kCameras) + "/" + std::to_string(kGroups) + "/" +
                              std::to_string(kCameras) + "/" + std::to_string(kUsers) + "/" +
                              std::to_string(kPermissions);

// The service with one job on the bench's NVR database, started.
struct NvrService {
  BenchProgramFolder folder;
  BenchRunWaiter waiter;
  std::unique_ptr<CNvrDataSynchronizer> service;

  bool Start() {
    if (!folder.Create(g_central)) return false;
    CNvrDataSynchronizerItem job;
    job.SetID(1);
    job.SetPeriod(kPeriodSec);
    job.SetTargetAddress(g_nvr.host);
    job.SetTargetPort(static_cast<int>(g_nvr.port));
    job.SetTargetName(g_nvr.database);
    job.SetTargetLoginID(g_nvr.user);
    job.SetTargetPasswordPlain(g_nvr.password);
    CNvrDataSynchronizerItems items;
    items.SetItems({job});
    folder.settings.Option_SetNvrDataSyncItems(items);
    service = std::make_unique<CNvrDataSynchronizer>(folder.settings, folder.clock);
    service->SetSchedulePeriodMs(2);
    service->Subscribe("bench", &BenchRunWaiter::OnMessage, &waiter, nullptr);
    service->Initialize();
    service->Start();
    return waiter.WaitPast(0);  // the first run, untimed
  }
  // One run; its code, or -1 on a time-out.
  int Run() { return RunServiceOnce(folder, waiter, kPeriodSec) ? service->GetItemStatus(1).GetLastErrorCode() : -1; }
  ~NvrService() {
    if (service) service->Stop();
  }
};

void BM_NvrSyncIntoEmptyNvr(benchmark::State& state) {
  NvrService nvr;
  MYSQL* conn = g_ready ? ConnectBenchDatabase(g_nvr) : nullptr;
  if (!conn || !nvr.Start()) {
    state.SkipWithError("run through bench/nvr_sync.sh");
    if (conn) mysql_close(conn);
    return;
  }
  TimeRunsAfterReset(
      state, [&] { return EmptyNvr(conn); }, [&] { return nvr.Run(); }, [&] { return NvrCounts(conn); }, kExpected);
  mysql_close(conn);
}

void BM_NvrSyncNoChange(benchmark::State& state) {
  NvrService nvr;
  MYSQL* conn = g_ready ? ConnectBenchDatabase(g_nvr) : nullptr;
  if (!conn || !nvr.Start() || NvrCounts(conn) != kExpected) {
    state.SkipWithError("run through bench/nvr_sync.sh");
    if (conn) mysql_close(conn);
    return;
  }
  mysql_close(conn);
  for (auto _ : state) {
    const int code = nvr.Run();
    if (code != 0) {
      state.SkipWithError(("code " + std::to_string(code)).c_str());
      break;
    }
  }
}

// The anchor: the same five tables, dumped from the central database and
// loaded into an empty database by the server's own client tools.
void BM_MariadbDumpPipedIntoMariadb(benchmark::State& state) {
  if (!g_ready) {
    state.SkipWithError("run through bench/nvr_sync.sh");
    return;
  }
  auto login = [](const BenchServer& s) {
    return "--no-defaults -h " + s.host + " -P " + std::to_string(s.port) + " -u " + s.user + " -p" + s.password +
           " --default-character-set=euckr ";
  };
  const std::string command = "set -o pipefail; mariadb-dump " + login(g_central) + g_central.database + " " +
                              kTables + " | mariadb " + login(g_anchor) + g_anchor.database;
  for (auto _ : state) {
    if (system(("bash -c '" + command + "'").c_str()) != 0) {
      state.SkipWithError("mariadb-dump | mariadb failed");
      break;
    }
  }
}

BENCHMARK(BM_NvrSyncIntoEmptyNvr)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);
BENCHMARK(BM_NvrSyncNoChange)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);
BENCHMARK(BM_MariadbDumpPipedIntoMariadb)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  g_ready = BenchServerFromEnvironment("nvrbench_c", &g_central);
  g_nvr = g_anchor = g_central;
  g_nvr.database = "nvrbench_n" + std::to_string(getpid());
  g_anchor.database = "nvrbench_a" + std::to_string(getpid());
  g_ready = g_ready && PrepareCentral() && PrepareNvr();
  if (g_ready) {
    MYSQL* anchor = CreateBenchDatabase(g_anchor, "CREATE TABLE bench_marker (id INT)");
    g_ready = anchor != nullptr;
    if (anchor) mysql_close(anchor);
  }
  if (!g_ready) fprintf(stderr, "no database server or target: the benchmarks are skipped\n");
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  DropBenchDatabase(g_central);
  DropBenchDatabase(g_nvr);
  DropBenchDatabase(g_anchor);
  return 0;
}
