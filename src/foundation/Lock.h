// CLock: the re-entrant lock that shared objects embed; CScopedLock: a hold on
// a CLock that is released exactly once, at the end of its scope or earlier.
#pragma once

#include <mutex>

class CLock {
 public:
  CLock() = default;
  virtual ~CLock() = default;
  CLock(const CLock&) = delete;
  CLock& operator=(const CLock&) = delete;

  // Enters the lock; the owning thread may enter again. Always returns true.
  bool Lock() {
    mutex_.lock();
    return true;
  }
  // Leaves the lock once. Always returns true.
  bool Unlock() {
    mutex_.unlock();
    return true;
  }
  // Enters the lock only when it is free or already owned by this thread.
  bool TryLock() { return mutex_.try_lock(); }

  // For std::unique_lock / std::condition_variable_any.
  void lock() { mutex_.lock(); }
  void unlock() { mutex_.unlock(); }
  bool try_lock() { return mutex_.try_lock(); }

 private:
  std::recursive_mutex mutex_;
};

class CScopedLock {
 public:
  // Enters `lock` (blocks until it is free) and holds it until released.
  explicit CScopedLock(CLock& lock) : lock_(&lock) { lock_->Lock(); }
  // Enters `lock` when it is not null; a null lock holds nothing.
  explicit CScopedLock(CLock* lock) : lock_(lock) {
    if (lock_) lock_->Lock();
  }
  ~CScopedLock() { ReleaseScopedLock(); }
  CScopedLock(const CScopedLock&) = delete;
  CScopedLock& operator=(const CScopedLock&) = delete;

  // Leaves the lock when it is still held; later calls do nothing.
  void ReleaseScopedLock() {
    if (lock_) {
      lock_->Unlock();
      lock_ = nullptr;
    }
  }

 private:
  CLock* lock_;
};
