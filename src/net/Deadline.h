// A deadline measured on the monotonic clock from the moment it is made, so a
// wall clock that steps back or forward never stretches or cuts a wait.
#pragma once

#include <chrono>

class CDeadline {
 public:
  // Starts the clock now; a time-out of 0 or less has already passed.
  explicit CDeadline(int timeoutMs)
      : end_(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0)) {}

  // Milliseconds left, never below 0 (rounded up so a wait never ends early).
  int RemainingMs() const {
    auto left = end_ - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) return 0;
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
  }
  bool Passed() const { return std::chrono::steady_clock::now() >= end_; }
  // Moves the deadline `ms` later.
  void Extend(int ms) { end_ += std::chrono::milliseconds(ms); }

 private:
  std::chrono::steady_clock::time_point end_;
};
