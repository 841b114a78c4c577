// The single-instance rule: an exclusive flock on a lock file. The kernel
// drops the lock when the holder ends, however it ends, so a crashed instance
// never leaves a stale lock behind. The descriptor is close-on-exec, so a child
// process (the watchdog) never inherits the lock.
#pragma once

#include <string>

namespace platform {

class SingleInstanceLock {
 public:
  enum class Result {
    kAcquired,      // this process holds the lock now
    kHeldElsewhere, // another process holds it
    kFailed,        // the lock file cannot be opened or locked (see `error`)
  };

  SingleInstanceLock() = default;
  ~SingleInstanceLock();  // releases the lock
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  // Creates `path` when missing and tries to lock it without blocking. A lock
  // already held by this object is released first. Not thread-safe.
  Result Acquire(const std::string& path, std::string* error = nullptr);

  // Releases the lock (the file stays: removing it would race with a new
  // instance locking it). Does nothing when no lock is held.
  void Release();

  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace platform
