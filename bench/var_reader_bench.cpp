// bench-libs: gate_analysis
// The own-kind analysis result reader on three result texts: S (one object),
// M (20 objects with region events, line crossings and crowd densities) and
// L (M with a 64 KB thumbnail). Beside each, RapidJSON parsing the same bytes
// into a document (the anchor). Figures in results/s; the run ends with the
// reader's CPU time per result as a ratio to the anchor's, text by text (the
// medians when run with --benchmark_repetitions; the two run interleaved at
// random unless told otherwise, so that a shared machine's load falls on both).
#include <string.h>

#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "AnchorRatioReporter.h"
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
void BM_RapidJsonParse(benchmark::State& state) { RapidJsonParseLoop(state, TextOf(static_cast<int>(state.range(0)))); }

BENCHMARK(BM_Deserialize)->ArgName("SML")->DenseRange(0, 2);
BENCHMARK(BM_RapidJsonParse)->ArgName("SML")->DenseRange(0, 2);

}  // namespace

int main(int argc, char** argv) {
  return RunWithAnchorRatios(argc, argv, ReaderRatios("BM_Deserialize", "SML", {"S", "M", "L"},
                                                      {TextOf(0).size(), TextOf(1).size(), TextOf(2).size()}));
}
