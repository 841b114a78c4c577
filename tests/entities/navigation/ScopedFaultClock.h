// Puts a hand-set clock behind every fault state for the life of the object.
#pragma once

#include "entities/FaultState.h"
#include "platform/Clock.h"

class ScopedFaultClock {
 public:
  explicit ScopedFaultClock(int64_t nowSeconds) : clock_(nowSeconds * 1000000) { CFaultState::SetClock(&clock_); }
  ~ScopedFaultClock() { CFaultState::SetClock(nullptr); }
  ScopedFaultClock(const ScopedFaultClock&) = delete;
  ScopedFaultClock& operator=(const ScopedFaultClock&) = delete;

  void Set(int64_t nowSeconds) { clock_.SetNowMicros(nowSeconds * 1000000); }

 private:
  platform::ManualClock clock_;
};
