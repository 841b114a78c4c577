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

#include "analysis/VARSerializer.h"

namespace {

std::string ObjectItems(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) {
    if (i > 1) text += ',';
    text += R"({"b":{"l":)" + std::to_string(10 * i) + R"(,"t":)" + std::to_string(20 * i) +
            R"(,"w":50,"h":120},"o":[1,2],"c":[0.91,0.07],"oR":[1,2],"tid":)" + std::to_string(i) +
            R"(,"cid":[2,5],"reid":)" + std::to_string(100 + i) + "}";
  }
  return text;
}

std::string EventItems(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) {
    if (i > 1) text += ',';
    text += R"({"o":)" + std::to_string(i % 4) + R"(,"t":)" + std::to_string(i) + R"(,"e":[1,2]})";
  }
  return text;
}

std::string LineItems() {
  std::string text;
  for (int line = 1; line <= 4; ++line) {
    if (line > 1) text += ',';
    text += R"({"I":)" + std::to_string(line) +
            R"(,"C":[{"o":1,"FC":12,"BC":7},{"o":2,"FC":3,"BC":0}],"T":[)";
    for (int t = 1; t <= 5; ++t) {
      if (t > 1) text += ',';
      text += R"({"t":)" + std::to_string(line * 5 + t - 5) + R"(,"s":"O","ccw":1})";
    }
    text += R"(],"E":[{"o":1,"t":)" + std::to_string(line) + R"(,"d":"F"},{"o":5,"t":)" +
            std::to_string(line + 10) + R"(,"d":"B"}]})";
  }
  return text;
}

std::string CrowdItems() {
  std::string text;
  for (int region = 1; region <= 4; ++region) {
    if (region > 1) text += ',';
    text += R"({"I":)" + std::to_string(region) + R"(,"S":2,"W":0.45,"C":9,"E":)" +
            std::to_string(region % 2) +
            R"(,"B":[{"l":10,"t":10,"w":5,"h":5},{"l":30,"t":12,"w":6,"h":9},{"l":50,"t":40,"w":8,"h":8}]})";
  }
  return text;
}

const std::string& SmallText() {
  static const std::string text = R"({"T":"a","w":1920,"h":1080,"C":1,"S":"20201008123456789","DO":[)" +
                                  ObjectItems(1) + R"(],"N":[)" + EventItems(1) + "]}";
  return text;
}

const std::string& MediumText() {
  static const std::string text = R"({"T":"a","w":1920,"h":1080,"C":1,"S":"20201008123456789","DO":[)" +
                                  ObjectItems(20) + R"(],"N":[)" + EventItems(20) + R"(],"P":[)" +
                                  LineItems() + R"(],"CWD":[)" + CrowdItems() + "]}";
  return text;
}

const std::string& LargeText() {
  static const std::string text = [] {
    const std::string& medium = MediumText();
    std::string thumbnail;
    const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int i = 0; i < 65536; ++i) thumbnail += alphabet[(i * 7) % 64];
    return medium.substr(0, medium.size() - 1) + R"(,"X":")" + thumbnail + R"(","t_size":65536})";
  }();
  return text;
}

const std::string& TextOf(int size) {
  return size == 0 ? SmallText() : size == 1 ? MediumText() : LargeText();
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
