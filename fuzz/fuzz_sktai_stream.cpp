// fuzz-libs: gate_analysis
// The SKT AI frame reader (4-byte little-endian lengths, then the body) on
// arbitrary peer bytes; see EngineStreamPeer.h.
#include "EngineStreamPeer.h"
#include "analysis/VasMetaClientSKTAI.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzEngineStream(data, size, CVasMetaClientSKTAI::kHeaderSize, &CVasMetaClientSKTAI::DecodeHeader);
}
