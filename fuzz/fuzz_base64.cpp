// fuzz-libs: gate_foundation
// Base64 decoding of arbitrary peer text: never reads past the text, accepts
// only what re-encodes to the same bytes, and deciphering stored passwords
// never fails loudly.
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <string_view>

#include "foundation/Aria.h"
#include "foundation/Base64.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string bytes;
  long count = Base64Decode(text, &bytes);
  if (count >= 0) {
    if (static_cast<size_t>(count) != bytes.size() || bytes.size() > size / 4 * 3) __builtin_trap();
    std::string again;
    if (Base64Decode(Base64EncodeToString(bytes.data(), bytes.size()), &again) != count || again != bytes) {
      __builtin_trap();
    }
  }
  std::string password = AriaDecryptString(text);
  if (password.size() > size) __builtin_trap();
  return 0;
}
