// A console reporter that also notes each run's CPU time per iteration and,
// at the end, prints named ratios of one run to its anchor run (the medians
// when run with --benchmark_repetitions).
#pragma once

#include <stdio.h>

#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

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
