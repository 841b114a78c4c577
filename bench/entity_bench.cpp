// bench-libs: gate_entities_base
// The row pattern on a camera-sized row (116 columns: 70 int or bool, 40 text,
// 6 other numbers): building a row, listing its column values, loading it from
// a result row, copying it into a cached row, cloning it, and the setters.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "entities/base/RowClass.h"

namespace {

#define BENCH_INTS_10(C, n)                                                                                 \
  C(Int, "int_" #n "0", Int##n##0, 0) C(Int, "int_" #n "1", Int##n##1, 0) C(Int, "int_" #n "2", Int##n##2, 0) \
  C(Int, "int_" #n "3", Int##n##3, 0) C(Int, "int_" #n "4", Int##n##4, 0) C(Int, "int_" #n "5", Int##n##5, 0) \
  C(Int, "int_" #n "6", Int##n##6, 0) C(Int, "int_" #n "7", Int##n##7, 0) C(Bool, "flag_" #n "8", Flag##n##8, 0) \
  C(Bool, "flag_" #n "9", Flag##n##9, 0)
#define BENCH_TEXTS_10(C, n)                                                                                \
  C(String, "text_" #n "0", Text##n##0, "") C(String, "text_" #n "1", Text##n##1, "")                         \
  C(String, "text_" #n "2", Text##n##2, "") C(String, "text_" #n "3", Text##n##3, "")                         \
  C(String, "text_" #n "4", Text##n##4, "") C(String, "text_" #n "5", Text##n##5, "")                         \
  C(String, "text_" #n "6", Text##n##6, "") C(String, "text_" #n "7", Text##n##7, "")                         \
  C(DateTime, "time_" #n "8", Time##n##8, "") C(String, "text_" #n "9", Text##n##9, "")
#define BENCH_COLUMNS(C)                                                                                    \
  C(Int, "no", No, 0)                                                                                      \
  BENCH_INTS_10(C, 0) BENCH_INTS_10(C, 1) BENCH_INTS_10(C, 2) BENCH_INTS_10(C, 3) BENCH_INTS_10(C, 4)        \
  BENCH_INTS_10(C, 5) BENCH_TEXTS_10(C, 6) BENCH_TEXTS_10(C, 7) BENCH_TEXTS_10(C, 8) BENCH_TEXTS_10(C, 9)    \
  C(Int, "int_a0", IntA0, 0) C(Int, "int_a1", IntA1, 0) C(Int, "int_a2", IntA2, 0)                            \
  C(Int, "int_a3", IntA3, 0) C(Int, "int_a4", IntA4, 0) C(Int, "int_a5", IntA5, 0)                            \
  C(Int, "int_a6", IntA6, 0) C(Int, "int_a7", IntA7, 0) C(Int, "int_a8", IntA8, 0)                            \
  C(UInt32, "u32", U32, 0) C(UInt64, "u64", U64, 0) C(Float, "f", F, 0.0f) C(Double, "d1", D1, 0.0)         \
  C(Double, "d2", D2, 0.0) C(Double, "d3", D3, 0.0)

class CBenchCamera : public CDBEntity {
  GATE_ENTITY_TABLE(CBenchCamera, "TBL_BenchCamera", BENCH_COLUMNS, AutoIncrement, "no", kEntityNoFlags)
};

GATE_REGISTER_ENTITY(CBenchCamera);

// A result row as the database reader gives it: every column, lower-case names.
CKeyValueData ResultRow() {
  CKeyValueData row;
  const CTableDescriptor& table = CBenchCamera::Descriptor();
  for (size_t i = 0; i < table.GetColumnCount(); ++i) {
    const CColumnDescriptor& column = table.GetColumn(i);
    std::string text = IsTextColumnKind(column.kind) ? "Camera text " + std::to_string(i) : std::to_string(i);
    row.SetValue(table.GetLoadName(i), text);
  }
  return row;
}

void BM_CreateRow(benchmark::State& state) {
  for (auto _ : state) {
    std::unique_ptr<CDBEntity> row(CDBEntityFactory::CreateEntity("TBL_BenchCamera"));
    benchmark::DoNotOptimize(row.get());
  }
}
BENCHMARK(BM_CreateRow);

void BM_LoadFrom(benchmark::State& state) {
  CKeyValueData result = ResultRow();
  CBenchCamera row;
  for (auto _ : state) row.LoadFrom(result);
}
BENCHMARK(BM_LoadFrom);

void BM_GetColumnValues(benchmark::State& state) {
  CKeyValueData result = ResultRow();
  CBenchCamera row;
  row.LoadFrom(result);
  for (auto _ : state) benchmark::DoNotOptimize(row.GetColumnValues());
}
BENCHMARK(BM_GetColumnValues);

void BM_CopyTo(benchmark::State& state) {
  CKeyValueData result = ResultRow();
  CBenchCamera row;
  row.LoadFrom(result);
  CBenchCamera cached;
  for (auto _ : state) row.CopyTo(&cached);
}
BENCHMARK(BM_CopyTo);

void BM_Clone(benchmark::State& state) {
  CKeyValueData result = ResultRow();
  CBenchCamera row;
  row.LoadFrom(result);
  for (auto _ : state) std::unique_ptr<CDBEntity>(row.Clone());
}
BENCHMARK(BM_Clone);

void BM_SetterWithoutChange(benchmark::State& state) {
  CBenchCamera row;
  row.SetInt00(5);
  for (auto _ : state) row.SetInt00(5);
}
BENCHMARK(BM_SetterWithoutChange);

void OnChange(CDBEntity*, const char*, void* context) { ++*static_cast<int*>(context); }

void BM_SetterWithChangeAndSubscriber(benchmark::State& state) {
  CBenchCamera row;
  int calls = 0;
  row.SubscribeCallback(OnChange, &calls);
  int value = 0;
  for (auto _ : state) row.SetInt00(++value);
  benchmark::DoNotOptimize(calls);
}
BENCHMARK(BM_SetterWithChangeAndSubscriber);

void BM_TextGetter(benchmark::State& state) {
  CBenchCamera row;
  row.SetText60("a camera name that is longer than the short-string buffer");
  for (auto _ : state) benchmark::DoNotOptimize(row.GetText60());
}
BENCHMARK(BM_TextGetter);

}  // namespace

BENCHMARK_MAIN();
