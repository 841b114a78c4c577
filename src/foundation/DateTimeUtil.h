// Date-and-time texts of records and logs, conversions between seconds since
// the epoch and broken-down local times, and the folder and file-name parts of
// a path. All times are local (TZ). Nothing here keeps state or logs.
#pragma once

#include <stdint.h>

#include <string>

#include "platform/Clock.h"

// A broken-down local time: year, month (1-12), day of the week (0 = Sunday),
// day, hour, minute, second, millisecond; all 0 when default-constructed.
using SystemTime = platform::LocalDateTime;

// Date orders: 1 year-month-day "%04d-%02d-%02d", 2 month-day-year and
// 3 day-month-year "%02d-%02d-%04d"; 0 the system's order (or, for
// ParseDateTime, the compact form YYYYMMDDhhmmss[mmm]).
constexpr int kDateOrderSystem = 0;
constexpr int kDateOrderYmd = 1;
constexpr int kDateOrderMdy = 2;
constexpr int kDateOrderDmy = 3;

// The order of the environment's short-date format (LC_ALL, LC_TIME, LANG):
// 1, 2 or 3 by its first field; 2 when it begins with anything else.
int GetSystemDateOrder();
// The order of a strftime date format: "%Y..." or "%y..." 1, "%m..." 2,
// "%d..." or "%e..." 3, anything else 2.
int DateOrderFromFormat(const char* format);

// The date in `order` (0: the system's), a blank and "hh:mm:ss"; "" for an
// order other than 0-3.
std::string FormatDateTime(const SystemTime& time, int order);
// "yyyy-mm-dd hh:mm:ss", whatever the system's order.
std::string FormatDateTimeText(const SystemTime& time);

// Clears `out`, then reads a date text ("-" between three fields in `order`)
// and/or a time text ("hh:mm:ss[.ms]"); either may be null. False when a given
// text has not exactly three pieces. Values are not checked.
bool ParseDateTimeParts(SystemTime* out, const char* date, const char* time, int order);
// Order 0: the compact form (at least 14 characters; milliseconds only when
// exactly 17), other fields of `out` kept. Other orders: "<date> <time>" through
// ParseDateTimeParts. False for a text shorter than 14 or without a time.
bool ParseDateTime(SystemTime* out, const std::string& text, int order);
// Reads "yyyy-mm-dd hh:mm:ss[.ms]" (the form of status and job records) into
// `out`. Returns 1, or 0 with `out` untouched for any other shape. The day of
// the week, and the milliseconds when the text has none, are not written.
int ParseDateTimeText(const std::string& text, SystemTime* out);

// The local time of `seconds` since 1970-01-01 00:00:00 UTC, milliseconds 0;
// `out` is untouched when the time cannot be converted.
void TimeToSystemTime(int64_t seconds, SystemTime* out);
// `in` (as local time; year below 1900: the epoch) plus `seconds`, into `out`.
void AddSecondsToSystemTime(const SystemTime& in, SystemTime* out, int32_t seconds);
// The seconds since the epoch of `time` read as local time; -1 when it cannot be represented.
int64_t SystemTimeToTime(const SystemTime& time);

// The folder of `path` with its trailing '/' ("/opt/gate/x" gives "/opt/gate/",
// "x" gives ""). A relative folder stays relative ("sub/x" gives "sub/", not
// "/sub/", which would name a folder at the root). Returns true.
bool GetFolderPart(const std::string& path, std::string* out);
// The file name of `path` with its extension ("/opt/gate/x.log" gives "x.log",
// "/opt/gate/" gives ""). Returns true.
bool GetFileNamePart(const std::string& path, std::string* out);
