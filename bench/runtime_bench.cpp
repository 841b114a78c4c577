// bench-libs: gate_foundation
// The runtime's hot paths: pool hand-off (AddJob to the job's start), log
// lines per second from several threads with file output on, and the cost of
// a log call whose level writes nothing.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "foundation/GenericLogger.h"
#include "foundation/Log.h"
#include "foundation/SimpleThreadPool.h"

namespace {

using Clock = std::chrono::steady_clock;

struct HandOff {
  std::atomic<int64_t> startedNs{0};
};

void MarkStart(void* context, intptr_t) {
  static_cast<HandOff*>(context)->startedNs.store(
      std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count());
}

// One job at a time on an idle pool: the time from AddJob to the job's first line.
void BM_PoolHandOff(benchmark::State& state) {
  CSimpleThreadPool pool;
  pool.Start("BENCH", static_cast<int>(state.range(0)));
  HandOff handOff;
  for (auto _ : state) {
    handOff.startedNs.store(0);
    int64_t queued =
        std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
    pool.AddJob(&MarkStart, &handOff, 0);
    int64_t started;
    while ((started = handOff.startedNs.load()) == 0) {
    }
    state.SetIterationTime(static_cast<double>(started - queued) / 1e9);
    while (pool.FindJob("")) {
    }
  }
  pool.Stop();
}
BENCHMARK(BM_PoolHandOff)->Arg(1)->Arg(8)->UseManualTime()->Unit(benchmark::kMicrosecond);

std::string BenchFolder() {
  const char* tmp = getenv("TMPDIR");
  return std::string(tmp && *tmp ? tmp : "/tmp") + "/gate-bench-log-" + std::to_string(getpid());
}

CGenericLogger* SharedLogger() {
  static CGenericLogger* logger = [] {
    auto* l = new CGenericLogger("bench.log", BenchFolder());
    l->SetLevelFlags(1, LOG_OUTPUT_FILE | LOG_OUTPUT_FUNCTION);
    return l;
  }();
  return logger;
}

// File lines from N threads through the log call: 100,000 lines per run in
// all, about 9.5 MB, so that the 10 MiB cap never drops a line.
void BM_LogLinesToFile(benchmark::State& state) {
  CGenericLogger* logger = SharedLogger();
  int i = 0;
  for (auto _ : state) {
    GATE_LOG_TO(logger, 1, "INFO - Load '%s' Entity List. (%d)\r\n", "TBL_Camera", ++i);
  }
  state.SetItemsProcessed(state.iterations());
  if (state.thread_index() == 0) {
    // Start each run from an empty file so the size cap is never reached.
    std::error_code ignored;
    std::filesystem::remove_all(BenchFolder(), ignored);
  }
}
BENCHMARK(BM_LogLinesToFile)->Threads(1)->Iterations(100000)->UseRealTime();
BENCHMARK(BM_LogLinesToFile)->Threads(8)->Iterations(12500)->UseRealTime();

// A log call at a level without output: returns before formatting.
void BM_LogCallWithoutOutput(benchmark::State& state) {
  CGenericLogger* logger = SharedLogger();
  for (auto _ : state) {
    GATE_LOG_TO(logger, 2, "INFO - never written %d\r\n", 1);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LogCallWithoutOutput)->Threads(1)->Threads(8)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
