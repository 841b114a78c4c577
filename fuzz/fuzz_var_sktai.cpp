// fuzz-libs: gate_analysis
// The SKT AI result reader over arbitrary texts: never crashes or reads
// outside the text; every event has one region with its level, and belongs
// to an object that was kept.
#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "analysis/VARSerializerSKTAI.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  CVAR result;
  if (!CVARSerializerSKTAI::Deserialize(text.data(), static_cast<int>(size), &result)) {
    if (result.Channel != -1 || !result.Type.empty()) __builtin_trap();
    return 0;
  }
  for (const CVAREvent& event : result.Events) {
    if (event.ROINumbers.size() != 1 || event.Levels.size() != 1) __builtin_trap();
    if (!result.FindObject(event.TrackID)) __builtin_trap();
  }
  return 0;
}
