// CPerformanceChecker: a scoped stopwatch that logs its start, its laps and its
// total time (level 1). Elapsed times are differences of the 32-bit
// millisecond tick counter taken modulo 2^32, so a span across the counter's
// wrap is still measured right.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Clock.h"

class CPerformanceChecker {
 public:
  // Logs "INFO - '<name>' Start".
  explicit CPerformanceChecker(const std::string& name,
                               std::shared_ptr<platform::Clock> clock = platform::SystemClock());
  // Takes one more lap when at least one was taken, then logs the total.
  virtual ~CPerformanceChecker();
  CPerformanceChecker(const CPerformanceChecker&) = delete;
  CPerformanceChecker& operator=(const CPerformanceChecker&) = delete;

  // Logs "INFO - '<name>' Performance<n> : <ms> msec" with the time since the last lap.
  void Check();

 private:
  void CheckTotal();

  std::string name_;
  std::shared_ptr<platform::Clock> clock_;
  uint32_t startTick_;
  uint32_t lastTick_;
  int laps_ = 0;
};
