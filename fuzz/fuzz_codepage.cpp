// fuzz-libs: gate_platform
// Code page conversion of arbitrary peer bytes: never crashes, never grows
// without bound, and CP949 -> UTF-8 -> CP949 keeps valid text.
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "platform/CodePage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string utf8 = platform::ConvertCodePage(text, "CP949", "UTF-8");
  if (utf8.size() > size * 4 + 16) __builtin_trap();
  std::string back = platform::ConvertCodePage(utf8, "UTF-8", "CP949");
  if (back.size() > utf8.size() + 16) __builtin_trap();
  return 0;
}
