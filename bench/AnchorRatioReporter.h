// A console reporter that also notes each run's CPU time per iteration and,
// at the end, prints named ratios of one run to its anchor run (the medians
// when run with --benchmark_repetitions); the main of a program that runs its
// benchmarks interleaved at random through it; and the common anchor of the
// JSON readers, RapidJSON parsing the same bytes into a document.
#pragma once

#include <stdio.h>

#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <rapidjson/document.h>

class AnchorRatioReporter : public benchmark::ConsoleReporter {
 public:
  struct Ratio {
    std::string label;   // printed before the ratio
    std::string run;     // the benchmark measured
    std::string anchor;  // the benchmark it is divided by
  };

  explicit AnchorRatioReporter(std::vector<Ratio> ratios) : ratios_(std::move(ratios)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.iterations > 0) times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const Ratio& ratio : ratios_) {
      double run = Time(ratio.run);
      double anchor = Time(ratio.anchor);
      if (run > 0 && anchor > 0) printf("%s = %.2f\n", ratio.label.c_str(), run / anchor);
    }
  }

 private:
  // The median of a repeated run, else the run itself; 0 when it did not run.
  double Time(const std::string& name) {
    if (times_.count(name + "_median")) return times_[name + "_median"];
    return times_.count(name) ? times_[name] : 0;
  }

  std::vector<Ratio> ratios_;
  std::map<std::string, double> times_;
};

// Runs the program's benchmarks through the reporter, interleaved at random
// unless the arguments say otherwise, so that a shared machine's load falls
// on a run and its anchor alike. Returns main's exit status.
inline int RunWithAnchorRatios(int argc, char** argv, std::vector<AnchorRatioReporter::Ratio> ratios) {
  std::vector<char*> arguments(argv, argv + argc);
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  arguments.insert(arguments.begin() + 1, interleave);
  argc = static_cast<int>(arguments.size());
  benchmark::Initialize(&argc, arguments.data());
  AnchorRatioReporter reporter(std::move(ratios));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

// The ratios of a JSON reader's benchmark `reader` to BM_RapidJsonParse, one per
// text, each argument i (named `arg`) printed as "<names[i]> (<size> bytes)".
inline std::vector<AnchorRatioReporter::Ratio> ReaderRatios(const std::string& reader, const std::string& arg,
                                                            const std::vector<std::string>& names,
                                                            const std::vector<size_t>& sizes) {
  std::vector<AnchorRatioReporter::Ratio> ratios;
  for (size_t i = 0; i < names.size(); ++i) {
    std::string argument = "/" + arg + ":" + std::to_string(i);
    ratios.push_back({names[i] + " (" + std::to_string(sizes[i]) + " bytes): reader / RapidJSON parse",
                      reader + argument, "BM_RapidJsonParse" + argument});
  }
  return ratios;
}

// The anchor of a JSON reader: RapidJSON parsing `text` into a document, the
// loop of a benchmark's state.
inline void RapidJsonParseLoop(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    rapidjson::Document document;
    document.Parse(text.c_str());
    if (document.HasParseError()) state.SkipWithError("the text did not parse");
    benchmark::DoNotOptimize(document.MemberCount());
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
