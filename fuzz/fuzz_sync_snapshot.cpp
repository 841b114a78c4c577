// fuzz-libs: gate_sync
// The snapshot loader over arbitrary file contents (a torn or hand-edited
// snapshot): loading never crashes, and what was loaded is saved and loads
// back to the same entities.
#include <stddef.h>
#include <stdint.h>
#include <unistd.h>

#include <string>

#include "platform/AtomicFile.h"
#include "sync/SyncSnapshot.h"

namespace {

std::string ScratchPath(const char* name) {
  return std::string("/tmp/fuzz_sync_snapshot_") + std::to_string(getpid()) + "_" + name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string input = ScratchPath("in.dat");
  static const std::string output = ScratchPath("out.dat");
  if (!platform::WriteFileAtomically(input, std::string(reinterpret_cast<const char*>(data), size))) return 0;
  for (const char* entity : {"Device", "IntelligentEvent"}) {
    SyncEntityMap loaded;
    if (!LoadSyncSnapshot(input, entity, &loaded)) continue;
    if (!SaveSyncSnapshot(output, loaded)) continue;
    SyncEntityMap back;
    if (!LoadSyncSnapshot(output, entity, &back) || back.size() != loaded.size()) __builtin_trap();
    for (const auto& [key, entity_ptr] : loaded) {
      auto it = back.find(key);
      if (it == back.end() || !it->second->IsEqual(*entity_ptr)) __builtin_trap();
    }
  }
  return 0;
}
