#include "shell/UtcTimeText.h"

#include <time.h>

#include "foundation/DateTimeUtil.h"
#include "foundation/StringUtil.h"

std::string FormatUtcTimeText(int64_t seconds) {
  time_t t = static_cast<time_t>(seconds);
  tm parts{};
  if (!gmtime_r(&t, &parts)) return std::string();
  return StrFormat("%04d-%02d-%02d %02d:%02d:%02d", parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                   parts.tm_hour, parts.tm_min, parts.tm_sec);
}

bool ParseUtcTimeText(const std::string& text, int64_t* seconds) {
  SystemTime fields;
  if (!ParseDateTimeText(text, &fields)) return false;
  tm wanted{};
  wanted.tm_year = fields.year - 1900;
  wanted.tm_mon = fields.month - 1;
  wanted.tm_mday = fields.day;
  wanted.tm_hour = fields.hour;
  wanted.tm_min = fields.minute;
  wanted.tm_sec = fields.second;
  tm parts = wanted;
  time_t t = timegm(&parts);
  // timegm carries fields over (31 February becomes 3 March): only a time
  // whose fields come back unchanged is real.
  if (parts.tm_year != wanted.tm_year || parts.tm_mon != wanted.tm_mon || parts.tm_mday != wanted.tm_mday ||
      parts.tm_hour != wanted.tm_hour || parts.tm_min != wanted.tm_min || parts.tm_sec != wanted.tm_sec)
    return false;
  *seconds = static_cast<int64_t>(t);
  return true;
}

std::string UtcTimeTextToLocalText(const std::string& text) {
  int64_t seconds = 0;
  if (!ParseUtcTimeText(text, &seconds)) return std::string();
  SystemTime local;
  TimeToSystemTime(seconds, &local);
  if (local.year == 0) return std::string();  // beyond what the local time conversion takes
  return FormatDateTimeText(local);
}

int64_t UtcTimeTextToTimeOrZero(const std::string& text) {
  int64_t seconds = 0;
  if (!ParseUtcTimeText(text, &seconds) || seconds < 0) return 0;
  return seconds;
}
