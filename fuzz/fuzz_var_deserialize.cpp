// fuzz-libs: gate_analysis
// The analysis result reader over arbitrary metadata parts: never crashes,
// never touches bytes outside the text, leaves an object index that agrees
// with the object list, and gives every region of an event its level.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "analysis/VARSerializer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  // The client hands the reader a writable copy ending in a zero byte.
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  CVAR result;
  if (!CVARSerializer::Deserialize(text.data(), static_cast<int>(size), &result)) return 0;
  if (!result.IndexBuilt && !result.ObjectIndex.empty()) __builtin_trap();
  for (const auto& [id, position] : result.ObjectIndex) {
    if (id == 0 || position < 0 || static_cast<size_t>(position) >= result.Objects.size()) __builtin_trap();
    if (result.Objects[position].ID != id) __builtin_trap();
  }
  for (const CVAREvent& event : result.Events) {
    if (event.ROINumbers.size() != event.Levels.size()) __builtin_trap();
  }
  return 0;
}
