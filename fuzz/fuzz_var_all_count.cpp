// fuzz-libs: gate_analysis
// The all-object count reader over arbitrary metadata parts: never crashes and
// never changes the text it reads.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>

#include "analysis/VARSerializer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  std::string text(reinterpret_cast<const char*>(data), size);
  const std::string before = text;
  CVARAllCounts counts;
  CVARSerializer::DeserializeAllCount(text.c_str(), static_cast<int>(size), &counts);
  if (text != before) __builtin_trap();
  return 0;
}
