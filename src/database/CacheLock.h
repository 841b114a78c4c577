// CCacheLock: the reader/writer lock of an entity cache, made for many readers
// and rare writers. Each reader thread takes the reader/writer lock of its own
// slot (one cache line each), so readers on different threads never write to
// a shared cache line; a writer takes every slot in order. Not re-entrant: a
// thread that holds it in either mode must not take it again.
#pragma once

#include <shared_mutex>

#include "foundation/ThreadAnnotations.h"

class CAPABILITY("mutex") CCacheLock {
 public:
  // A writer holds every slot at once: the thread sanitizer's lock tracking
  // takes at most 64 locks held by one thread, the store's own among them.
  static constexpr int kSlots = 32;

  CCacheLock() = default;
  CCacheLock(const CCacheLock&) = delete;
  CCacheLock& operator=(const CCacheLock&) = delete;

  // Shared hold of the calling thread's slot; blocks only while a writer holds it.
  void LockShared(int slot) ACQUIRE_SHARED() { slots_[slot].lock.lock_shared(); }
  void UnlockShared(int slot) RELEASE_SHARED() { slots_[slot].lock.unlock_shared(); }
  // Exclusive hold of every slot, taken in index order; blocks until readers leave.
  void Lock() ACQUIRE() {
    for (Slot& slot : slots_) slot.lock.lock();
  }
  void Unlock() RELEASE() {
    for (int i = kSlots - 1; i >= 0; --i) slots_[i].lock.unlock();
  }

  // The slot of the calling thread, in [0, kSlots): the lowest slot no live
  // thread holds, given back when the thread ends, so that up to kSlots live
  // threads each have one of their own however many threads came and went.
  // Past kSlots live threads, the further ones share slots in turn.
  static int ThreadSlot() {
    thread_local int slot = -1;
    if (slot < 0) slot = ClaimThreadSlot();
    return slot;
  }

 private:
  // Claims a slot for the calling thread, released when the thread ends.
  static int ClaimThreadSlot();

  struct alignas(128) Slot {  // two cache lines: the adjacent-line prefetch never shares one
    std::shared_mutex lock;
  };
  Slot slots_[kSlots];
};

// A shared hold of a CCacheLock for the length of a scope.
class SCOPED_CAPABILITY CCacheReadHold {
 public:
  explicit CCacheReadHold(CCacheLock& lock) ACQUIRE_SHARED(lock) NO_THREAD_SAFETY_ANALYSIS
      : lock_(lock), slot_(CCacheLock::ThreadSlot()) {
    lock_.LockShared(slot_);
  }
  ~CCacheReadHold() RELEASE() NO_THREAD_SAFETY_ANALYSIS { lock_.UnlockShared(slot_); }
  CCacheReadHold(const CCacheReadHold&) = delete;
  CCacheReadHold& operator=(const CCacheReadHold&) = delete;

 private:
  CCacheLock& lock_;
  const int slot_;
};

// An exclusive hold of a CCacheLock for the length of a scope.
class SCOPED_CAPABILITY CCacheWriteHold {
 public:
  explicit CCacheWriteHold(CCacheLock& lock) ACQUIRE(lock) NO_THREAD_SAFETY_ANALYSIS : lock_(lock) { lock_.Lock(); }
  ~CCacheWriteHold() RELEASE() NO_THREAD_SAFETY_ANALYSIS { lock_.Unlock(); }
  CCacheWriteHold(const CCacheWriteHold&) = delete;
  CCacheWriteHold& operator=(const CCacheWriteHold&) = delete;

 private:
  CCacheLock& lock_;
};
