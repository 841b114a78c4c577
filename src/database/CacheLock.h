// CCacheLock: the reader/writer lock of an entity cache, made for many readers
// and rare writers. Readers take one of several stripes (each its own
// reader/writer lock on its own cache line, chosen by the calling thread), so
// readers on different threads never write to a shared cache line; a writer
// takes every stripe in order. Not re-entrant: a thread that holds it in
// either mode must not take it again.
#pragma once

#include <atomic>
#include <shared_mutex>

#include "foundation/ThreadAnnotations.h"

class CAPABILITY("mutex") CCacheLock {
 public:
  CCacheLock() = default;
  CCacheLock(const CCacheLock&) = delete;
  CCacheLock& operator=(const CCacheLock&) = delete;

  // Shared hold of the calling thread's stripe; blocks only while a writer holds it.
  void LockShared(int stripe) ACQUIRE_SHARED() { stripes_[stripe].lock.lock_shared(); }
  void UnlockShared(int stripe) RELEASE_SHARED() { stripes_[stripe].lock.unlock_shared(); }
  // Exclusive hold of every stripe, taken in index order; blocks until readers leave.
  void Lock() ACQUIRE() {
    for (Stripe& stripe : stripes_) stripe.lock.lock();
  }
  void Unlock() RELEASE() {
    for (int i = kStripes - 1; i >= 0; --i) stripes_[i].lock.unlock();
  }

  // The stripe of the calling thread: threads take stripes in turn as they
  // first ask, so up to kStripes threads each have one of their own.
  static int ThreadStripe() {
    static std::atomic<unsigned> next{0};
    thread_local const int stripe = static_cast<int>(next.fetch_add(1, std::memory_order_relaxed) % kStripes);
    return stripe;
  }

 private:
  static constexpr int kStripes = 16;
  struct alignas(128) Stripe {  // two cache lines: the adjacent-line prefetch never shares one
    std::shared_mutex lock;
  };
  Stripe stripes_[kStripes];
};

// A shared hold of a CCacheLock for the length of a scope.
class SCOPED_CAPABILITY CCacheReadHold {
 public:
  explicit CCacheReadHold(CCacheLock& lock) ACQUIRE_SHARED(lock) NO_THREAD_SAFETY_ANALYSIS
      : lock_(lock), stripe_(CCacheLock::ThreadStripe()) {
    lock_.LockShared(stripe_);
  }
  ~CCacheReadHold() RELEASE() NO_THREAD_SAFETY_ANALYSIS { lock_.UnlockShared(stripe_); }
  CCacheReadHold(const CCacheReadHold&) = delete;
  CCacheReadHold& operator=(const CCacheReadHold&) = delete;

 private:
  CCacheLock& lock_;
  const int stripe_;
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
