// CMutex: a plain (not re-entrant) mutex that the compile-time lock analysis
// knows, for state that waits on a condition; CMutexLock: a hold on one for
// the length of a scope, which a condition variable may release while it waits.
#pragma once

#include <mutex>

#include "platform/ThreadAnnotations.h"

class CAPABILITY("mutex") CMutex {
 public:
  CMutex() = default;
  CMutex(const CMutex&) = delete;
  CMutex& operator=(const CMutex&) = delete;

  // Not re-entrant: the owning thread must not lock it again.
  void lock() ACQUIRE() { mutex_.lock(); }
  void unlock() RELEASE() { mutex_.unlock(); }
  bool try_lock() TRY_ACQUIRE(true) { return mutex_.try_lock(); }

 private:
  friend class CMutexLock;
  std::mutex mutex_;
};

class SCOPED_CAPABILITY CMutexLock {
 public:
  // Locks `mutex` (blocks until it is free) for the length of the scope.
  explicit CMutexLock(CMutex& mutex) ACQUIRE(mutex) NO_THREAD_SAFETY_ANALYSIS : hold_(mutex.mutex_) {}
  ~CMutexLock() RELEASE() NO_THREAD_SAFETY_ANALYSIS {}
  CMutexLock(const CMutexLock&) = delete;
  CMutexLock& operator=(const CMutexLock&) = delete;

  // The hold for a std::condition_variable wait, which releases the mutex
  // while it waits and holds it again when it returns.
  std::unique_lock<std::mutex>& ForWait() { return hold_; }

 private:
  std::unique_lock<std::mutex> hold_;
};
