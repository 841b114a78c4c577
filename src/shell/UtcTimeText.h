// The time texts of the job run statuses: "YYYY-MM-DD hh:mm:ss", always in
// UTC, shown in local time (TZ). Conversions go straight between seconds since
// the epoch and UTC fields (timegm, gmtime_r), so they are exact in the hour
// that daylight saving time repeats or skips. No state; any thread.
#pragma once

#include <stdint.h>

#include <string>

// The UTC time text of `seconds` since 1970-01-01 00:00:00 UTC; "" when the
// time cannot be broken down.
std::string FormatUtcTimeText(int64_t seconds);
// The seconds of a UTC time text read by ParseDateTimeText (milliseconds
// dropped). False, `seconds` untouched, when the text does not parse or its
// fields name no real time (month 13, 31 February, hour 24).
bool ParseUtcTimeText(const std::string& text, int64_t* seconds);
// The UTC time text as a local time text of the same form; "" when it does not parse.
std::string UtcTimeTextToLocalText(const std::string& text);
// The seconds of a UTC time text; 0 when it does not parse or lies before 1970,
// so that a job whose last run time cannot be used counts as due.
int64_t UtcTimeTextToTimeOrZero(const std::string& text);
