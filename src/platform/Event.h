// Waitable signals: an auto-reset event (wakes one waiter, or the next one to
// wait) and a counting semaphore with a maximum count. Every wait takes a
// time-out in milliseconds.
#pragma once

#include <stdint.h>

#include <condition_variable>

#include "platform/Mutex.h"

namespace platform {

class AutoResetEvent {
 public:
  AutoResetEvent() = default;
  AutoResetEvent(const AutoResetEvent&) = delete;
  AutoResetEvent& operator=(const AutoResetEvent&) = delete;

  // Signals the event: one waiter (or the next Wait) returns true; the signal
  // is then consumed.
  void Set();
  // Clears a pending signal.
  void Reset();
  // Blocks up to `timeoutMs` for the signal (negative: no limit). True when
  // signalled, false on time-out.
  bool Wait(int64_t timeoutMs);

 private:
  CMutex mutex_;
  std::condition_variable changed_;
  bool signalled_ GUARDED_BY(mutex_) = false;
};

class Semaphore {
 public:
  // A count of `initial`, never above `maximum`.
  Semaphore(int64_t initial, int64_t maximum) : count_(initial), maximum_(maximum) {}
  Semaphore(const Semaphore&) = delete;
  Semaphore& operator=(const Semaphore&) = delete;

  // Adds one to the count. False (count unchanged) when it is at the maximum.
  bool Release();
  // Blocks up to `timeoutMs` (negative: no limit) for a count above 0 and takes
  // one. False on time-out.
  bool Wait(int64_t timeoutMs);
  int64_t Count();

 private:
  CMutex mutex_;
  std::condition_variable changed_;
  int64_t count_ GUARDED_BY(mutex_);
  const int64_t maximum_;
};

}  // namespace platform
