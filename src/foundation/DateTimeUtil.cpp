#include "foundation/DateTimeUtil.h"

#include <langinfo.h>
#include <locale.h>
#include <stdlib.h>
#include <time.h>

#include "foundation/StrList.h"
#include "foundation/StringUtil.h"

namespace {

int ReadNumber(const std::string& text) { return static_cast<int>(atol(text.c_str())); }

// Seconds and milliseconds from the third piece of a time text: "ss" or
// "ss.mmm" (the digits after the point read as a count: ".5" is 5 ms).
void ReadSeconds(const std::string& piece, SystemTime* out, bool keepMilliseconds) {
  if (piece.find('.') == std::string::npos) {
    out->second = ReadNumber(piece);
    if (!keepMilliseconds) out->millisecond = 0;
    return;
  }
  CStrList parts;
  parts.Split(piece, ".");
  out->second = ReadNumber(parts.GetAt(0));
  out->millisecond = ReadNumber(parts.GetAt(1));
}

// Fields of a date text in `order`: false unless it has exactly three pieces.
bool ReadDate(const std::string& text, int order, SystemTime* out) {
  CStrList pieces;
  if (pieces.Split(text, "-") != 3) return false;
  int a = ReadNumber(pieces.GetAt(0)), b = ReadNumber(pieces.GetAt(1)), c = ReadNumber(pieces.GetAt(2));
  switch (order) {
    case kDateOrderYmd: out->year = a; out->month = b; out->day = c; break;
    case kDateOrderMdy: out->month = a; out->day = b; out->year = c; break;
    case kDateOrderDmy: out->day = a; out->month = b; out->year = c; break;
    default: break;
  }
  return true;
}

}  // namespace

int DateOrderFromFormat(const char* format) {
  if (!format || format[0] != '%') return kDateOrderMdy;
  size_t i = 1;
  while (format[i] == 'E' || format[i] == 'O' || format[i] == '-' || format[i] == '_' || format[i] == '0' ||
         format[i] == '^' || format[i] == '#')
    ++i;  // flags and modifiers
  switch (format[i]) {
    case 'Y': case 'y': case 'F': case 'G': case 'C': return kDateOrderYmd;
    case 'm': case 'D': case 'b': case 'B': case 'h': return kDateOrderMdy;
    case 'd': case 'e': return kDateOrderDmy;
    default: return kDateOrderMdy;
  }
}

int GetSystemDateOrder() {
  locale_t locale = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) locale = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) return kDateOrderMdy;
  int order = DateOrderFromFormat(nl_langinfo_l(D_FMT, locale));
  freelocale(locale);
  return order;
}

std::string FormatDateTime(const SystemTime& time, int order) {
  if (order == kDateOrderSystem) order = GetSystemDateOrder();
  std::string date;
  switch (order) {
    case kDateOrderYmd: date = StrFormat("%04d-%02d-%02d", time.year, time.month, time.day); break;
    case kDateOrderMdy: date = StrFormat("%02d-%02d-%04d", time.month, time.day, time.year); break;
    case kDateOrderDmy: date = StrFormat("%02d-%02d-%04d", time.day, time.month, time.year); break;
    default: return std::string();
  }
  return date + StrFormat(" %02d:%02d:%02d", time.hour, time.minute, time.second);
}

std::string FormatDateTimeText(const SystemTime& time) { return FormatDateTime(time, kDateOrderYmd); }

bool ParseDateTimeParts(SystemTime* out, const char* date, const char* time, int order) {
  if (date && order == kDateOrderSystem) order = GetSystemDateOrder();
  *out = SystemTime();
  if (date && !ReadDate(date, order, out)) return false;
  if (time) {
    CStrList pieces;
    if (pieces.Split(time, ":") != 3) return false;
    out->hour = ReadNumber(pieces.GetAt(0));
    out->minute = ReadNumber(pieces.GetAt(1));
    ReadSeconds(pieces.GetAt(2), out, false);
  }
  return true;
}

bool ParseDateTime(SystemTime* out, const std::string& text, int order) {
  if (text.size() < 14) return false;
  if (order == kDateOrderSystem) {
    out->year = ReadNumber(text.substr(0, 4));
    out->month = ReadNumber(text.substr(4, 2));
    out->day = ReadNumber(text.substr(6, 2));
    out->hour = ReadNumber(text.substr(8, 2));
    out->minute = ReadNumber(text.substr(10, 2));
    out->second = ReadNumber(text.substr(12, 2));
    out->millisecond = text.size() == 17 ? ReadNumber(text.substr(14, 3)) : 0;
    return true;
  }
  CStrList pieces;
  if (pieces.Split(text, " ") < 2) return false;
  return ParseDateTimeParts(out, pieces.GetAt(0).c_str(), pieces.GetAt(1).c_str(), order);
}

int ParseDateTimeText(const std::string& text, SystemTime* out) {
  CStrList pieces, date, time;
  if (pieces.Split(text, " ") != 2) return 0;
  if (date.Split(pieces.GetAt(0), "-") != 3) return 0;
  if (time.Split(pieces.GetAt(1), ":") != 3) return 0;
  out->year = ReadNumber(date.GetAt(0));
  out->month = ReadNumber(date.GetAt(1));
  out->day = ReadNumber(date.GetAt(2));
  out->hour = ReadNumber(time.GetAt(0));
  out->minute = ReadNumber(time.GetAt(1));
  ReadSeconds(time.GetAt(2), out, true);
  return 1;
}

void TimeToSystemTime(int64_t seconds, SystemTime* out) {
  time_t t = static_cast<time_t>(seconds);
  tm parts{};
  if (!localtime_r(&t, &parts)) return;
  out->year = parts.tm_year + 1900;
  out->month = parts.tm_mon + 1;
  out->dayOfWeek = parts.tm_wday;
  out->day = parts.tm_mday;
  out->hour = parts.tm_hour;
  out->minute = parts.tm_min;
  out->second = parts.tm_sec;
  out->millisecond = 0;
}

int64_t SystemTimeToTime(const SystemTime& time) {
  return static_cast<int64_t>(
      platform::FromLocalDateTime(time.year, time.month, time.day, time.hour, time.minute, time.second));
}

void AddSecondsToSystemTime(const SystemTime& in, SystemTime* out, int32_t seconds) {
  int64_t base = in.year >= 1900 ? SystemTimeToTime(in) : 0;
  TimeToSystemTime(base + seconds, out);
}

bool GetFolderPart(const std::string& path, std::string* out) {
  size_t slash = path.rfind('/');
  *out = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  return true;
}

bool GetFileNamePart(const std::string& path, std::string* out) {
  size_t slash = path.rfind('/');
  *out = slash == std::string::npos ? path : path.substr(slash + 1);
  return true;
}
