// fuzz-libs: gate_analysis
// The message kind of an arbitrary metadata part: never reads past the text's
// end and always one of the four kinds.
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "analysis/VARSerializer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  int type = CVARSerializer::GetMessageType(text.c_str());
  if (type < VAR_MESSAGE_OTHER || type > VAR_MESSAGE_ALL_COUNT) __builtin_trap();
  return 0;
}
