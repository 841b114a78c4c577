#include "database/PerformanceChecker.h"

#include "foundation/Log.h"

CPerformanceChecker::CPerformanceChecker(const std::string& name,
                                         std::shared_ptr<platform::Clock> clock)
    : name_(name), clock_(std::move(clock)) {
  startTick_ = clock_->TickCount();
  lastTick_ = startTick_;
  GATE_LOG(1, "INFO - '%s' Start\r\n", name_.c_str());
}

CPerformanceChecker::~CPerformanceChecker() {
  if (laps_ > 0) Check();
  CheckTotal();
}

void CPerformanceChecker::Check() {
  uint32_t now = clock_->TickCount();
  ++laps_;
  GATE_LOG(1, "INFO - '%s' Performance%d : %u msec\r\n", name_.c_str(), laps_,
           static_cast<unsigned>(now - lastTick_));
  lastTick_ = now;
}

void CPerformanceChecker::CheckTotal() {
  uint32_t now = clock_->TickCount();
  GATE_LOG(1, "INFO - '%s' Total Delay : %u msec\r\n", name_.c_str(),
           static_cast<unsigned>(now - startTick_));
}
