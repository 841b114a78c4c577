// fuzz-libs: gate_analysis
// The OGQ result reader over arbitrary texts: never crashes or reads outside
// the text; a refused text leaves the result and the outputs as they were; a
// read one is a 10000 x 10000 result with at most one event, of region 0.
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "analysis/VARSerializerOGQ.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  CVAR result;
  int camera = -12345;
  std::string name = "unset";
  if (!CVARSerializerOGQ::Deserialize(text.data(), static_cast<int>(size), &result, &camera, &name)) {
    if (camera != -12345 || name != "unset" || !result.Type.empty() || !result.Objects.empty()) __builtin_trap();
    return 0;
  }
  if (result.Width != 10000 || result.Height != 10000 || result.Events.size() > 1) __builtin_trap();
  if (!result.Events.empty() && (result.Objects.empty() || result.Events[0].ROINumbers.size() != 1)) __builtin_trap();
  if (result.Events.empty() && !result.Thumbnail.empty()) __builtin_trap();
  return 0;
}
