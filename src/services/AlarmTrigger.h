// CAlarmTrigger: debounces one integer input of the alarm output publisher.
// A sample is high when it is at least the threshold; the trigger's state
// follows the input once `required` consecutive samples lie on the new side.
// Not thread-safe: the publisher applies every sample under its trigger lock.
#pragma once

#include <stdint.h>

class CAlarmTrigger {
 public:
  explicit CAlarmTrigger(int64_t required, int threshold = 1) : required_(required), threshold_(threshold) {}
  virtual ~CAlarmTrigger() = default;

  // Applies one sample `value`.
  void Update(int value);
  bool IsActive() const { return active_ != 0; }

 private:
  bool High(int value) const { return value >= threshold_; }

  int active_ = 0;
  int runCount_ = 0;  // consecutive samples on one side, up to required + 1
  int64_t required_;
  int lastValue_ = 0;
  int threshold_;
};
