// bench-libs: gate_entities gate_database
// The analysis rows the AI event publisher reads: loading 100,000 region rows
// (TBL_VasROI) into the entity cache store through the database service beside
// the mariadb client selecting the same rows to /dev/null, and a region's
// schedule check on a built table (ns per call) beside a bare mktime of the
// same time. Run beside a server:
//   bash scripts/with-mariadb build/bench/bench/analysis_rows_bench
// (bench/analysis_rows.sh does that and prints the ratios).
#include <benchmark/benchmark.h>
#include <time.h>

#include <memory>
#include <string>

#include "BenchDatabase.h"
#include "database/DBDataStore.h"
#include "database/DataStore.h"
#include "entities/analysis/VasDevice.h"
#include "entities/analysis/VasROI.h"
#include "entities/base/EntitySchema.h"
#include "entities/operations/Schedule.h"
#include "entities/operations/ScheduleTask.h"
#include "entities/operations/ScheduleWeek.h"
#include "entities/operations/TimeCoverages.h"

namespace {

constexpr int kLoadedRows = 100000;

BenchServer g_server;
bool g_haveServer = false;

// 2024-03-06 (a Wednesday) 09:30, inside the schedule below.
SystemTime CheckedTime() {
  SystemTime time;
  time.year = 2024;
  time.month = 3;
  time.day = 6;
  time.hour = 9;
  time.minute = 30;
  return time;
}

// An in-memory store with one device whose region 1 follows a task covering
// Wednesdays 09:00-10:29, made once; its tables built by a first check.
CTBLVasDevice& ScheduledDevice() {
  static std::shared_ptr<CTBLVasDevice> device = [] {
    auto* store = new CDataStore(nullptr);
    CTBLScheduleTask task;
    task.SetScheduleTaskID(1);
    store->AddEntity(&task, 0);
    CTBLSchedule schedule;
    schedule.SetScheduleID(1);
    schedule.SetScheduleTaskID(1);
    store->AddEntity(&schedule, 0);
    CTBLScheduleWeek week;
    week.SetScheduleWeekID(1);
    week.SetScheduleID(1);
    week.SetWednesday(1);
    store->AddEntity(&week, 0);
    CTBLTimeCoverages coverage;
    coverage.SetTimeCoverageID(1);
    coverage.SetScheduleID(1);
    coverage.SetScheduleWeekID(1);
    coverage.SetStartTime("09:00:00");
    coverage.SetEndTime("10:00:00");
    store->AddEntity(&coverage, 0);
    CTBLVasDevice row;
    row.SetVasDeviceID(1);
    store->AddEntity(&row, 0);
    CTBLVasROI region;
    region.SetVasROIID(1);
    region.SetVasDeviceID(1);
    region.SetEnable(1);
    region.SetROINumber(1);
    region.SetVasIntelligentEventID(1);
    region.SetScheduleTaskID(1);
    store->AddEntity(&region, 0);
    return std::dynamic_pointer_cast<CTBLVasDevice>(store->FindCachedEntity("TBL_VasDevice", 1));
  }();
  return *device;
}

void BM_RegionScheduleCheck(benchmark::State& state) {
  CTBLVasDevice& device = ScheduledDevice();
  const SystemTime time = CheckedTime();
  if (device.IsROIScheduleActive(1, time) != 1) {
    state.SkipWithError("the schedule does not cover the time");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(device.IsROIScheduleActive(1, time));
}

void BM_BareMktime(benchmark::State& state) {
  const SystemTime time = CheckedTime();
  for (auto _ : state) {
    tm parts{};
    parts.tm_year = time.year - 1900;
    parts.tm_mon = time.month - 1;
    parts.tm_mday = time.day;
    parts.tm_hour = time.hour;
    parts.tm_min = time.minute;
    parts.tm_sec = time.second;
    parts.tm_isdst = -1;
    benchmark::DoNotOptimize(mktime(&parts));
  }
}

// Creates the bench database with kLoadedRows regions.
bool Prepare() {
  if (!BenchServerFromEnvironment("analysisbench_", &g_server)) return false;
  MYSQL* conn = CreateBenchDatabase(g_server, GetCreateTableText(CTBLVasROIBase::Descriptor()));
  bool ok = conn != nullptr;
  for (int first = 0; ok && first < kLoadedRows; first += 1000) {
    std::string sql =
        "INSERT INTO TBL_VasROI (VasDeviceID, Enable, ROINumber, Name, Type, VasIntelligentEventID, "
        "ScheduleTaskID, Detail1) VALUES ";
    for (int row = first; row < first + 1000; ++row) {
      const std::string n = std::to_string(row);
      sql += (row == first ? "(" : ", (") + std::to_string(row / 16) + ", 1, " + std::to_string(row % 16 + 1) +
             ", 'region " + n + "', 1, " + std::to_string(row % 7 + 1) + ", " + std::to_string(row % 5) +
             ", 'Events=1&Classes=1,2&LoitTime=" + n + "')";
    }
    ok = RunSql(conn, sql);
  }
  if (conn) mysql_close(conn);
  return ok;
}

void BM_StoreLoadsRegions(benchmark::State& state) {
  if (!g_haveServer) {
    state.SkipWithError("no server: run under scripts/with-mariadb");
    return;
  }
  RunStoreLoad<CDBDataStore, CDataStore>(state, g_server, "TBL_VasROI", kLoadedRows);
}

void BM_MariadbClientSelectsRegions(benchmark::State& state) {
  if (!g_haveServer) {
    state.SkipWithError("no server: run under scripts/with-mariadb");
    return;
  }
  // TBL_VasROI has no IsDeleted column: the store's list selects every row too.
  RunMariadbClient(state, g_server, "SELECT * FROM TBL_VasROI");
}

}  // namespace

BENCHMARK(BM_RegionScheduleCheck);
BENCHMARK(BM_BareMktime);
BENCHMARK(BM_StoreLoadsRegions)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);
BENCHMARK(BM_MariadbClientSelectsRegions)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  KeepFreedHeap();
  g_haveServer = Prepare();
  if (!g_haveServer) fprintf(stderr, "no database server: the load benchmarks are skipped\n");
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  DropBenchDatabase(g_server);
  return 0;
}
