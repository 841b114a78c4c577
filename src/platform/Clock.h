// The clocks of the system behind one small interface, so that tests can set
// the wall time (midnight, day changes, old folders) and the millisecond tick
// counter (its 32-bit wrap) without waiting.
#pragma once

#include <stdint.h>
#include <time.h>

#include <atomic>
#include <memory>

namespace platform {

// A broken-down local time, as the system's log lines, file names and
// date-time texts use it. Default-constructed, every field is 0.
struct LocalDateTime {
  int year = 0;         // e.g. 2024
  int month = 0;        // 1-12
  int dayOfWeek = 0;    // 0 = Sunday
  int day = 0;          // 1-31
  int hour = 0;         // 0-23
  int minute = 0;       // 0-59
  int second = 0;       // 0-60
  int millisecond = 0;  // 0-999

  bool operator==(const LocalDateTime&) const = default;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Wall-clock time in microseconds since 1970-01-01 00:00:00 UTC.
  virtual int64_t NowMicros() const = 0;
  // Milliseconds of a monotonic counter that wraps at 2^32, as the Windows
  // tick count does; only differences taken modulo 2^32 mean anything.
  virtual uint32_t TickCount() const = 0;
  // Milliseconds of a monotonic counter that never wraps (for deadlines).
  virtual uint64_t MonotonicMillis() const = 0;

  // Wall-clock seconds since the epoch.
  time_t NowSeconds() const { return static_cast<time_t>(NowMicros() / 1000000); }
  // The wall-clock time in the local time zone (TZ), with milliseconds.
  LocalDateTime LocalNow() const;
};

// The real clocks (clock_gettime of CLOCK_REALTIME and CLOCK_MONOTONIC).
// The object lives for the whole process.
const std::shared_ptr<Clock>& SystemClock();

// A clock that tests set by hand. The wall time stands still until set or
// advanced; the tick counter is the real monotonic counter plus an offset, so
// real waits still pass while the counter can be placed just before its wrap.
// Thread-safe: readers and setters may run on any thread.
class ManualClock : public Clock {
 public:
  explicit ManualClock(int64_t nowMicros = 0) : now_(nowMicros) {}
  int64_t NowMicros() const override { return now_.load(); }
  uint32_t TickCount() const override;
  uint64_t MonotonicMillis() const override;

  void SetNowMicros(int64_t micros) { now_.store(micros); }
  // Sets the wall time to a local date and time (TZ rules, as mktime reads them).
  void SetLocal(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                int millisecond = 0);
  void AdvanceMillis(int64_t ms) { now_.fetch_add(ms * 1000); }
  // Makes TickCount() answer `tick` now and count on from there in real time.
  void SetTickCount(uint32_t tick);

 private:
  std::atomic<int64_t> now_;
  std::atomic<int64_t> tickOffset_{0};
};

// The local time of `micros` (microseconds since the epoch), by localtime_r.
LocalDateTime ToLocalDateTime(int64_t micros);
// Seconds since the epoch of a local date and time (mktime, daylight saving
// decided by the system); -1 when it cannot be represented.
time_t FromLocalDateTime(int year, int month, int day, int hour, int minute, int second);

}  // namespace platform
