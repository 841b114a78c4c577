// fuzz-libs: gate_analysis
// The OGQ frame reader (16-byte big-endian headers, then the body) on
// arbitrary peer bytes; see EngineStreamPeer.h.
#include "EngineStreamPeer.h"
#include "analysis/VasMetaClientOGQ.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzEngineStream(data, size, CVasMetaClientOGQ::kHeaderSize, &CVasMetaClientOGQ::DecodeHeader);
}
