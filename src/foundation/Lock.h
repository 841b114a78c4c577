// CLock: the re-entrant lock that shared objects embed; CScopedLock: a hold on
// a CLock that is released exactly once, at the end of its scope or earlier.
// CMutex and CMutexLock (the plain mutex for state that waits on a condition)
// come from platform/Mutex.h.
#pragma once

#include <pthread.h>

#include "platform/Mutex.h"
#include "platform/ThreadAnnotations.h"

class CAPABILITY("mutex") CLock {
 public:
  CLock() {
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&mutex_, &attr);
    pthread_mutexattr_destroy(&attr);
  }
  // Destroys the mutex explicitly (std::recursive_mutex does not), so that race
  // detectors see the lock end and never confuse a later lock at the same address with it.
  virtual ~CLock() { pthread_mutex_destroy(&mutex_); }
  CLock(const CLock&) = delete;
  CLock& operator=(const CLock&) = delete;

  // Enters the lock; the owning thread may enter again. Always returns true.
  bool Lock() ACQUIRE() {
    pthread_mutex_lock(&mutex_);
    return true;
  }
  // Leaves the lock once. Always returns true.
  bool Unlock() RELEASE() {
    pthread_mutex_unlock(&mutex_);
    return true;
  }
  // Enters the lock only when it is free or already owned by this thread.
  bool TryLock() TRY_ACQUIRE(true) { return pthread_mutex_trylock(&mutex_) == 0; }

  // For std::unique_lock / std::condition_variable_any.
  void lock() ACQUIRE() { Lock(); }
  void unlock() RELEASE() { Unlock(); }
  bool try_lock() TRY_ACQUIRE(true) { return TryLock(); }

 private:
  pthread_mutex_t mutex_;
};

class SCOPED_CAPABILITY CScopedLock {
 public:
  // Enters `lock` (blocks until it is free) and holds it until released.
  explicit CScopedLock(CLock& lock) ACQUIRE(lock) NO_THREAD_SAFETY_ANALYSIS : lock_(&lock) { lock_->Lock(); }
  // Enters `lock` when it is not null; a null lock holds nothing.
  explicit CScopedLock(CLock* lock) ACQUIRE(lock) NO_THREAD_SAFETY_ANALYSIS : lock_(lock) {
    if (lock_) lock_->Lock();
  }
  ~CScopedLock() RELEASE() NO_THREAD_SAFETY_ANALYSIS { ReleaseScopedLock(); }
  CScopedLock(const CScopedLock&) = delete;
  CScopedLock& operator=(const CScopedLock&) = delete;

  // Leaves the lock when it is still held; later calls do nothing.
  void ReleaseScopedLock() RELEASE() NO_THREAD_SAFETY_ANALYSIS {
    if (lock_) {
      lock_->Unlock();
      lock_ = nullptr;
    }
  }

 private:
  CLock* lock_;
};
