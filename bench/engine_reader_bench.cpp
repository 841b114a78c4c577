// bench-libs: gate_analysis
// The AI-engine result readers (ZAV AI, OGQ, SKT AI) on an M-size text each
// (20 objects, see EngineResultTexts.h), each beside RapidJSON parsing the
// same bytes into a document (the anchor). Figures in results/s; the run ends
// with each reader's CPU time per result as a ratio to the anchor's (the
// medians with --benchmark_repetitions; the runs are interleaved at random
// so that a shared machine's load falls on both).
#include <string.h>

#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "AnchorRatioReporter.h"
#include "EngineResultTexts.h"
#include "analysis/VARSerializerOGQ.h"
#include "analysis/VARSerializerSKTAI.h"
#include "analysis/VARSerializerZavAI.h"

namespace {

const char* const kEngines[] = {"ZavAI", "OGQ", "SKTAI"};

const std::string& TextOf(int engine) {
  static const std::string texts[] = {bench_texts::ZavAIText(), bench_texts::OgqText(), bench_texts::SktAIText()};
  return texts[engine];
}

// The reader as the parser job runs it: the body in a writable buffer, a new
// result, the reader (and for ZAV AI its event names).
bool ReadOnce(int engine, char* text, int length, CVAR* result) {
  switch (engine) {
    case 0: {
      std::vector<std::string> names;
      return CVARSerializerZavAI::Deserialize(text, length, result, &names);
    }
    case 1: {
      int camera = 0;
      std::string name;
      return CVARSerializerOGQ::Deserialize(text, length, result, &camera, &name);
    }
    default: return CVARSerializerSKTAI::Deserialize(text, length, result);
  }
}

void BM_EngineReader(benchmark::State& state) {
  int engine = static_cast<int>(state.range(0));
  const std::string& text = TextOf(engine);
  std::vector<char> buffer(text.size() + 1);
  size_t objects = 0;
  for (auto _ : state) {
    memcpy(buffer.data(), text.c_str(), text.size() + 1);
    CVAR result;
    if (!ReadOnce(engine, buffer.data(), static_cast<int>(text.size()), &result))
      state.SkipWithError("the text did not parse");
    objects += result.Objects.size();
    benchmark::DoNotOptimize(result.Events.data());
  }
  if (objects != 20 * static_cast<size_t>(state.iterations())) state.SkipWithError("a reader passed over objects it should read");
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// The anchor: RapidJSON parsing the same bytes into a document.
void BM_RapidJsonParse(benchmark::State& state) { RapidJsonParseLoop(state, TextOf(static_cast<int>(state.range(0)))); }

BENCHMARK(BM_EngineReader)->ArgName("engine")->DenseRange(0, 2);
BENCHMARK(BM_RapidJsonParse)->ArgName("engine")->DenseRange(0, 2);

}  // namespace

int main(int argc, char** argv) {
  return RunWithAnchorRatios(argc, argv, ReaderRatios("BM_EngineReader", "engine", {kEngines[0], kEngines[1], kEngines[2]},
                                                      {TextOf(0).size(), TextOf(1).size(), TextOf(2).size()}));
}
