#include "analysis/VAREngineTime.h"

#include <math.h>
#include <stdint.h>

#include "foundation/StringUtil.h"

bool SetEngineTime(double seconds, CVAR* result) {
  // 2^63: the first value that no longer fits a signed 64-bit count.
  constexpr double kBeyondSeconds = 9223372036854775808.0;
  if (!(seconds >= 0.0) || seconds >= kBeyondSeconds) return false;
  int64_t whole = static_cast<int64_t>(seconds);
  SystemTime time;
  TimeToSystemTime(whole, &time);
  if (time.year == 0) return false;  // the local calendar cannot hold it
  double fraction = seconds - static_cast<double>(whole);
  int millis = static_cast<int>(fraction * 1000.0);
  int last = static_cast<int>(fraction * 1000000.0) % 1000;
  time.millisecond = millis;
  result->EventTime = time;
  result->Time = StrFormat("%04d%02d%02d%02d%02d%02d%03d_%d", time.year, time.month, time.day, time.hour,
                           time.minute, time.second, millis, last);
  return true;
}
