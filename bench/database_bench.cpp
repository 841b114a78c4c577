// bench-libs: gate_database
// Loading a wide table through the MariaDB adapter, against the mariadb
// command-line client selecting the same rows to /dev/null. Run beside a
// server: bash scripts/with-mariadb build/bench/bench/database_bench
// (bench/database_load.sh does that and prints the ratio).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "BenchDatabase.h"
#include "database/MariaAdapter.h"
#include "entities/base/EntitySchema.h"
#include "entities/base/RowClass.h"

// A table as wide as the camera table (113 columns of the usual kinds).
#define BENCH_WIDE_COLUMNS(C) \
  C(Int, "CameraID", CameraID, 0)                                   \
  C(Int, "IntColumn01", IntColumn01, 0)                             \
  C(Int, "IntColumn02", IntColumn02, 0)                             \
  C(Int, "IntColumn03", IntColumn03, 0)                             \
  C(Int, "IntColumn04", IntColumn04, 0)                             \
  C(Int, "IntColumn05", IntColumn05, 0)                             \
  C(Int, "IntColumn06", IntColumn06, 0)                             \
  C(Int, "IntColumn07", IntColumn07, 0)                             \
  C(Int, "IntColumn08", IntColumn08, 0)                             \
  C(Int, "IntColumn09", IntColumn09, 0)                             \
  C(Int, "IntColumn10", IntColumn10, 0)                             \
  C(Int, "IntColumn11", IntColumn11, 0)                             \
  C(Int, "IntColumn12", IntColumn12, 0)                             \
  C(Int, "IntColumn13", IntColumn13, 0)                             \
  C(Int, "IntColumn14", IntColumn14, 0)                             \
  C(Int, "IntColumn15", IntColumn15, 0)                             \
  C(Int, "IntColumn16", IntColumn16, 0)                             \
  C(Int, "IntColumn17", IntColumn17, 0)                             \
  C(Int, "IntColumn18", IntColumn18, 0)                             \
  C(Int, "IntColumn19", IntColumn19, 0)                             \
  C(Int, "IntColumn20", IntColumn20, 0)                             \
  C(Int, "IntColumn21", IntColumn21, 0)                             \
  C(Int, "IntColumn22", IntColumn22, 0)                             \
  C(Int, "IntColumn23", IntColumn23, 0)                             \
  C(Int, "IntColumn24", IntColumn24, 0)                             \
  C(Int, "IntColumn25", IntColumn25, 0)                             \
  C(Int, "IntColumn26", IntColumn26, 0)                             \
  C(Int, "IntColumn27", IntColumn27, 0)                             \
  C(Int, "IntColumn28", IntColumn28, 0)                             \
  C(Int, "IntColumn29", IntColumn29, 0)                             \
  C(Int, "IntColumn30", IntColumn30, 0)                             \
  C(Int, "IntColumn31", IntColumn31, 0)                             \
  C(Int, "IntColumn32", IntColumn32, 0)                             \
  C(Int, "IntColumn33", IntColumn33, 0)                             \
  C(Int, "IntColumn34", IntColumn34, 0)                             \
  C(Int, "IntColumn35", IntColumn35, 0)                             \
  C(Int, "IntColumn36", IntColumn36, 0)                             \
  C(Int, "IntColumn37", IntColumn37, 0)                             \
  C(Int, "IntColumn38", IntColumn38, 0)                             \
  C(Int, "IntColumn39", IntColumn39, 0)                             \
  C(Int, "IntColumn40", IntColumn40, 0)                             \
  C(Int, "IntColumn41", IntColumn41, 0)                             \
  C(Int, "IntColumn42", IntColumn42, 0)                             \
  C(Int, "IntColumn43", IntColumn43, 0)                             \
  C(Int, "IntColumn44", IntColumn44, 0)                             \
  C(Int, "IntColumn45", IntColumn45, 0)                             \
  C(Int, "IntColumn46", IntColumn46, 0)                             \
  C(Int, "IntColumn47", IntColumn47, 0)                             \
  C(Int, "IntColumn48", IntColumn48, 0)                             \
  C(Int, "IntColumn49", IntColumn49, 0)                             \
  C(Int, "IntColumn50", IntColumn50, 0)                             \
  C(Int, "IntColumn51", IntColumn51, 0)                             \
  C(Int, "IntColumn52", IntColumn52, 0)                             \
  C(Int, "IntColumn53", IntColumn53, 0)                             \
  C(Int, "IntColumn54", IntColumn54, 0)                             \
  C(Int, "IntColumn55", IntColumn55, 0)                             \
  C(String, "TextColumn01", TextColumn01, "", column::VarChar(64))  \
  C(String, "TextColumn02", TextColumn02, "", column::VarChar(64))  \
  C(String, "TextColumn03", TextColumn03, "", column::VarChar(64))  \
  C(String, "TextColumn04", TextColumn04, "", column::VarChar(64))  \
  C(String, "TextColumn05", TextColumn05, "", column::VarChar(64))  \
  C(String, "TextColumn06", TextColumn06, "", column::VarChar(64))  \
  C(String, "TextColumn07", TextColumn07, "", column::VarChar(64))  \
  C(String, "TextColumn08", TextColumn08, "", column::VarChar(64))  \
  C(String, "TextColumn09", TextColumn09, "", column::VarChar(64))  \
  C(String, "TextColumn10", TextColumn10, "", column::VarChar(64))  \
  C(String, "TextColumn11", TextColumn11, "", column::VarChar(64))  \
  C(String, "TextColumn12", TextColumn12, "", column::VarChar(64))  \
  C(String, "TextColumn13", TextColumn13, "", column::VarChar(64))  \
  C(String, "TextColumn14", TextColumn14, "", column::VarChar(64))  \
  C(String, "TextColumn15", TextColumn15, "", column::VarChar(64))  \
  C(String, "TextColumn16", TextColumn16, "", column::VarChar(64))  \
  C(String, "TextColumn17", TextColumn17, "", column::VarChar(64))  \
  C(String, "TextColumn18", TextColumn18, "", column::VarChar(64))  \
  C(String, "TextColumn19", TextColumn19, "", column::VarChar(64))  \
  C(String, "TextColumn20", TextColumn20, "", column::VarChar(64))  \
  C(String, "TextColumn21", TextColumn21, "", column::VarChar(64))  \
  C(String, "TextColumn22", TextColumn22, "", column::VarChar(64))  \
  C(String, "TextColumn23", TextColumn23, "", column::VarChar(64))  \
  C(String, "TextColumn24", TextColumn24, "", column::VarChar(64))  \
  C(String, "TextColumn25", TextColumn25, "", column::VarChar(64))  \
  C(String, "TextColumn26", TextColumn26, "", column::VarChar(64))  \
  C(String, "TextColumn27", TextColumn27, "", column::VarChar(64))  \
  C(String, "TextColumn28", TextColumn28, "", column::VarChar(64))  \
  C(String, "TextColumn29", TextColumn29, "", column::VarChar(64))  \
  C(String, "TextColumn30", TextColumn30, "", column::VarChar(64))  \
  C(String, "TextColumn31", TextColumn31, "", column::VarChar(64))  \
  C(String, "TextColumn32", TextColumn32, "", column::VarChar(64))  \
  C(String, "TextColumn33", TextColumn33, "", column::VarChar(64))  \
  C(String, "TextColumn34", TextColumn34, "", column::VarChar(64))  \
  C(String, "TextColumn35", TextColumn35, "", column::VarChar(64))  \
  C(String, "TextColumn36", TextColumn36, "", column::VarChar(64))  \
  C(String, "TextColumn37", TextColumn37, "", column::VarChar(64))  \
  C(String, "TextColumn38", TextColumn38, "", column::VarChar(64))  \
  C(String, "TextColumn39", TextColumn39, "", column::VarChar(64))  \
  C(String, "TextColumn40", TextColumn40, "", column::VarChar(64))  \
  C(DateTime, "TimeColumn01", TimeColumn01, "")                     \
  C(DateTime, "TimeColumn02", TimeColumn02, "")                     \
  C(DateTime, "TimeColumn03", TimeColumn03, "")                     \
  C(DateTime, "TimeColumn04", TimeColumn04, "")                     \
  C(DateTime, "TimeColumn05", TimeColumn05, "")                     \
  C(DateTime, "TimeColumn06", TimeColumn06, "")                     \
  C(DateTime, "TimeColumn07", TimeColumn07, "")                     \
  C(DateTime, "TimeColumn08", TimeColumn08, "")                     \
  C(Double, "RealColumn01", RealColumn01, 0.0)                      \
  C(Double, "RealColumn02", RealColumn02, 0.0)                      \
  C(Double, "RealColumn03", RealColumn03, 0.0)                      \
  C(Double, "RealColumn04", RealColumn04, 0.0)                      \
  C(Double, "RealColumn05", RealColumn05, 0.0)                      \
  C(Double, "RealColumn06", RealColumn06, 0.0)                      \
  C(Double, "RealColumn07", RealColumn07, 0.0)                      \
  C(Double, "RealColumn08", RealColumn08, 0.0)                      \
  C(Bool, "IsDeleted", IsDeleted, 0)                               

class CBenchWideRow : public CDBEntity {
  GATE_ENTITY_TABLE(CBenchWideRow, "TBL_BenchWide", BENCH_WIDE_COLUMNS, AutoIncrement, "CameraID",
                    kEntityNoFlags)
};
GATE_REGISTER_ENTITY(CBenchWideRow);

namespace {

constexpr int kRows = 100000;

BenchServer g_server;

// Creates the bench database and fills the wide table with kRows rows.
bool Prepare() {
  if (!BenchServerFromEnvironment("bench_", &g_server)) {
    fprintf(stderr, "run beside a server: bash scripts/with-mariadb %s\n", "build/bench/bench/database_bench");
    return false;
  }
  MYSQL* conn = CreateBenchDatabase(g_server, GetCreateTableText(CBenchWideRow::Descriptor()));
  bool ok = conn != nullptr;
  CBenchWideRow prototype;
  std::string names;
  for (const CColumnValue& column : prototype.GetColumnValues()) {
    if (column.GetName() == "CameraID") continue;
    names += (names.empty() ? "`" : ", `") + column.GetName() + "`";
  }
  for (int first = 0; ok && first < kRows; first += 1000) {
    std::string sql = "INSERT INTO TBL_BenchWide (" + names + ") VALUES ";
    for (int row = first; row < first + 1000; ++row) {
      std::string values;
      for (int i = 1; i <= 55; ++i) values += std::to_string(row * 7 + i) + ", ";
      for (int i = 1; i <= 40; ++i) values += "'text " + std::to_string(row) + " of column " + std::to_string(i) + "', ";
      for (int i = 1; i <= 8; ++i) values += "'2024-05-0" + std::to_string(i) + " 12:34:56', ";
      for (int i = 1; i <= 8; ++i) values += std::to_string(row) + ".25, ";
      values += "0";
      sql += (row == first ? "(" : ", (") + values + ")";
    }
    ok = RunSql(conn, sql);
  }
  if (conn) mysql_close(conn);
  return ok;
}

void BM_AdapterLoadsWideTable(benchmark::State& state) {
  CMariaAdapter adapter;
  if (!adapter.Connect(g_server.host.c_str(), static_cast<int>(g_server.port), g_server.database.c_str(),
                       g_server.user.c_str(), g_server.password.c_str())) {
    state.SkipWithError("cannot connect");
    return;
  }
  adapter.GetDBSchema();
  size_t rows = 0;
  for (auto _ : state) {
    EntityMap entities;
    adapter.GetEntityList("TBL_BenchWide", "", entities);
    rows = entities.size();
    benchmark::DoNotOptimize(entities);
  }
  if (rows != kRows) state.SkipWithError("wrong row count");
  state.counters["rows"] = static_cast<double>(rows);
}

void BM_MariadbClientSelectsToDevNull(benchmark::State& state) {
  RunMariadbClient(state, g_server, "SELECT * FROM TBL_BenchWide");
}

}  // namespace

BENCHMARK(BM_AdapterLoadsWideTable)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);
BENCHMARK(BM_MariadbClientSelectsToDevNull)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5.0);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!Prepare()) {
    DropBenchDatabase(g_server);
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  DropBenchDatabase(g_server);
  return 0;
}
