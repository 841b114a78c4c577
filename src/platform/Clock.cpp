#include "platform/Clock.h"

namespace platform {
namespace {

class RealClock : public Clock {
 public:
  int64_t NowMicros() const override {
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
  }
  uint32_t TickCount() const override { return static_cast<uint32_t>(MonotonicMillis()); }
  uint64_t MonotonicMillis() const override {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000 + static_cast<uint64_t>(ts.tv_nsec) / 1000000;
  }
};

}  // namespace

LocalDateTime Clock::LocalNow() const { return ToLocalDateTime(NowMicros()); }

const std::shared_ptr<Clock>& SystemClock() {
  // Never destroyed: objects torn down at exit may still read the clock.
  static const auto* clock = new std::shared_ptr<Clock>(std::make_shared<RealClock>());
  return *clock;
}

uint32_t ManualClock::TickCount() const {
  return static_cast<uint32_t>(SystemClock()->MonotonicMillis() + static_cast<uint64_t>(tickOffset_.load()));
}

uint64_t ManualClock::MonotonicMillis() const { return SystemClock()->MonotonicMillis(); }

void ManualClock::SetLocal(int year, int month, int day, int hour, int minute, int second,
                           int millisecond) {
  time_t t = FromLocalDateTime(year, month, day, hour, minute, second);
  now_.store(static_cast<int64_t>(t) * 1000000 + static_cast<int64_t>(millisecond) * 1000);
}

void ManualClock::SetTickCount(uint32_t tick) {
  uint32_t real = static_cast<uint32_t>(SystemClock()->MonotonicMillis());
  tickOffset_.store(static_cast<int64_t>(static_cast<uint32_t>(tick - real)));
}

LocalDateTime ToLocalDateTime(int64_t micros) {
  int64_t seconds = micros / 1000000;
  int64_t rest = micros % 1000000;
  if (rest < 0) {
    rest += 1000000;
    --seconds;
  }
  time_t t = static_cast<time_t>(seconds);
  tm parts{};
  localtime_r(&t, &parts);
  LocalDateTime out;
  out.year = parts.tm_year + 1900;
  out.month = parts.tm_mon + 1;
  out.day = parts.tm_mday;
  out.hour = parts.tm_hour;
  out.minute = parts.tm_min;
  out.second = parts.tm_sec;
  out.millisecond = static_cast<int>(rest / 1000);
  out.dayOfWeek = parts.tm_wday;
  return out;
}

time_t FromLocalDateTime(int year, int month, int day, int hour, int minute, int second) {
  tm parts{};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_sec = second;
  parts.tm_isdst = -1;
  return mktime(&parts);
}

}  // namespace platform
