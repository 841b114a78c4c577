#include "platform/Event.h"

#include <chrono>
#include <optional>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// The end of a wait of `timeoutMs` (negative: none).
std::optional<Clock::time_point> DeadlineAfter(int64_t timeoutMs) {
  if (timeoutMs < 0) return std::nullopt;
  return Clock::now() + std::chrono::milliseconds(timeoutMs);
}

// Waits once on `cv`, releasing `hold` meanwhile (a wake may be spurious: the
// caller checks its condition again). False once `deadline` has passed.
bool WaitOnce(std::condition_variable& cv, CMutexLock& hold, const std::optional<Clock::time_point>& deadline) {
  if (!deadline) {
    cv.wait(hold.ForWait());
    return true;
  }
  return cv.wait_until(hold.ForWait(), *deadline) == std::cv_status::no_timeout;
}

}  // namespace

void AutoResetEvent::Set() {
  {
    CMutexLock hold(mutex_);
    signalled_ = true;
  }
  changed_.notify_one();
}

void AutoResetEvent::Reset() {
  CMutexLock hold(mutex_);
  signalled_ = false;
}

bool AutoResetEvent::Wait(int64_t timeoutMs) {
  CMutexLock hold(mutex_);
  auto deadline = DeadlineAfter(timeoutMs);
  while (!signalled_ && WaitOnce(changed_, hold, deadline)) {
  }
  if (!signalled_) return false;
  signalled_ = false;
  return true;
}

bool Semaphore::Release() {
  {
    CMutexLock hold(mutex_);
    if (count_ >= maximum_) return false;
    ++count_;
  }
  changed_.notify_one();
  return true;
}

bool Semaphore::Wait(int64_t timeoutMs) {
  CMutexLock hold(mutex_);
  auto deadline = DeadlineAfter(timeoutMs);
  while (count_ <= 0 && WaitOnce(changed_, hold, deadline)) {
  }
  if (count_ <= 0) return false;
  --count_;
  return true;
}

int64_t Semaphore::Count() {
  CMutexLock hold(mutex_);
  return count_;
}

}  // namespace platform
