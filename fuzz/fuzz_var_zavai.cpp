// fuzz-libs: gate_analysis
// The ZAV AI result reader over arbitrary texts: never crashes, never touches
// bytes outside the text, hands back one event name per event, leaves an
// object index that agrees with the object list, and gives every region of an
// event its level.
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "analysis/VARSerializerZavAI.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  // The client hands the reader a writable copy ending in a zero byte.
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  CVARSerializerZavAI::GetMessageType(text.data());
  CVAR result;
  std::vector<std::string> names;
  if (!CVARSerializerZavAI::Deserialize(text.data(), static_cast<int>(size), &result, &names)) return 0;
  if (names.size() != result.Events.size()) __builtin_trap();
  for (const auto& [id, position] : result.ObjectIndex) {
    if (id == 0 || position < 0 || static_cast<size_t>(position) >= result.Objects.size()) __builtin_trap();
    if (result.Objects[position].ID != id) __builtin_trap();
  }
  for (const CVAREvent& event : result.Events) {
    if (event.ROINumbers.empty() || event.ROINumbers.size() != event.Levels.size()) __builtin_trap();
  }
  return 0;
}
