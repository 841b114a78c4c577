// bench-libs: gate_analysis
// The own-kind analysis result reader on three result texts: S (one object),
// M (20 objects with region events, line crossings and crowd densities) and
// L (M with a 64 KB thumbnail). Beside each, RapidJSON parsing the same bytes
// into a document (the anchor). Figures in results/s; the run ends with the
// reader's CPU time per result as a ratio to the anchor's, text by text (the
// medians when run with --benchmark_repetitions; the two run interleaved at
// random unless told otherwise, so that a shared machine's load falls on both).
#include <stdio.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <rapidjson/document.h>

#include "VarResultTexts.h"
#include "analysis/VARSerializer.h"

namespace {

const std::string& TextOf(int size) {
  return size == 0 ? bench_texts::SmallText() : size == 1 ? bench_texts::MediumText() : bench_texts::LargeText();
}

// The reader as the parser job runs it: the part copied into a writable
// buffer, a new result, the reader.
void BM_Deserialize(benchmark::State& state) {
  const std::string& text = TextOf(static_cast<int>(state.range(0)));
  std::vector<char> buffer(text.size() + 1);
  size_t events = 0;
  for (auto _ : state) {
    memcpy(buffer.data(), text.c_str(), text.size() + 1);
    CVAR result;
    if (!CVARSerializer::Deserialize(buffer.data(), static_cast<int>(text.size()), &result))
      state.SkipWithError("the text did not parse");
    events += result.Events.size();
    benchmark::DoNotOptimize(result.Objects.data());
  }
  benchmark::DoNotOptimize(events);
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// The anchor: RapidJSON parsing the same bytes into a document.
void BM_RapidJsonParse(benchmark::State& state) {
  const std::string& text = TextOf(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    rapidjson::Document document;
    document.Parse(text.c_str());
    if (document.HasParseError()) state.SkipWithError("the text did not parse");
    benchmark::DoNotOptimize(document.MemberCount());
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

BENCHMARK(BM_Deserialize)->ArgName("SML")->DenseRange(0, 2);
BENCHMARK(BM_RapidJsonParse)->ArgName("SML")->DenseRange(0, 2);

// Keeps the console output and notes each run's time per iteration.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.iterations > 0) times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const char* names[] = {"S", "M", "L"};
    for (int size = 0; size < 3; ++size) {
      std::string argument = "/SML:" + std::to_string(size);
      double reader = Time("BM_Deserialize" + argument);
      double anchor = Time("BM_RapidJsonParse" + argument);
      if (reader > 0 && anchor > 0)
        printf("%s (%zu bytes): reader / RapidJSON parse = %.2f\n", names[size], TextOf(size).size(),
               reader / anchor);
    }
  }

 private:
  // The median of a repeated run, else the run itself; 0 when it did not run.
  double Time(const std::string& name) {
    if (times_.count(name + "_median")) return times_[name + "_median"];
    return times_.count(name) ? times_[name] : 0;
  }

  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> arguments(argv, argv + argc);
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  arguments.insert(arguments.begin() + 1, interleave);
  argc = static_cast<int>(arguments.size());
  argv = arguments.data();
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
