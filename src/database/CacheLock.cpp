#include "database/CacheLock.h"

#include <bitset>
#include <mutex>

namespace {

// The slots live threads hold, and the turn of the shared slots given once
// every slot is held.
struct SlotRegistry {
  std::mutex mutex;
  std::bitset<CCacheLock::kSlots> held;
  unsigned nextShared = 0;
};

SlotRegistry& Registry() {
  static SlotRegistry* registry = new SlotRegistry;  // outlives every thread's release
  return *registry;
}

// Gives the thread's own slot back when the thread ends.
struct SlotRelease {
  int slot = -1;
  ~SlotRelease() {
    if (slot < 0) return;
    SlotRegistry& registry = Registry();
    std::lock_guard<std::mutex> hold(registry.mutex);
    registry.held.reset(static_cast<size_t>(slot));
  }
};

}  // namespace

int CCacheLock::ClaimThreadSlot() {
  thread_local SlotRelease release;
  SlotRegistry& registry = Registry();
  std::lock_guard<std::mutex> hold(registry.mutex);
  for (int slot = 0; slot < kSlots; ++slot) {
    if (!registry.held.test(static_cast<size_t>(slot))) {
      registry.held.set(static_cast<size_t>(slot));
      release.slot = slot;
      return slot;
    }
  }
  return static_cast<int>(registry.nextShared++ % kSlots);  // shared: never released
}
