#include "platform/Event.h"

#include <chrono>

namespace platform {
namespace {

// Waits on `cv` until `ready` or the time-out (negative: none); returns `ready()`.
template <typename Ready>
bool WaitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, int64_t timeoutMs,
             Ready ready) {
  if (timeoutMs < 0) {
    cv.wait(lock, ready);
    return true;
  }
  return cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
}

}  // namespace

void AutoResetEvent::Set() {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    signalled_ = true;
  }
  changed_.notify_one();
}

void AutoResetEvent::Reset() {
  std::lock_guard<std::mutex> hold(mutex_);
  signalled_ = false;
}

bool AutoResetEvent::Wait(int64_t timeoutMs) {
  std::unique_lock<std::mutex> hold(mutex_);
  if (!WaitFor(changed_, hold, timeoutMs, [this] { return signalled_; })) return false;
  signalled_ = false;
  return true;
}

bool Semaphore::Release() {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    if (count_ >= maximum_) return false;
    ++count_;
  }
  changed_.notify_one();
  return true;
}

bool Semaphore::Wait(int64_t timeoutMs) {
  std::unique_lock<std::mutex> hold(mutex_);
  if (!WaitFor(changed_, hold, timeoutMs, [this] { return count_ > 0; })) return false;
  --count_;
  return true;
}

int64_t Semaphore::Count() {
  std::lock_guard<std::mutex> hold(mutex_);
  return count_;
}

}  // namespace platform
