// The process-wide legacy code page. Every text of the system is a byte string
// in this code page (CP949 by default, a superset of EUC-KR); conversions to and
// from UTF-8 happen only where the system itself converts and at the Qt boundary.
#pragma once

#include <string>

namespace platform {

// The iconv name of the legacy code page, "CP949" unless changed.
std::string LegacyCodePage();

// Switches the legacy code page (tests may use "UTF-8"). Returns false, and
// keeps the old one, when iconv does not know `name`. Call before other threads start.
bool SetLegacyCodePage(const std::string& name);

// Converts `text` from code page `from` to code page `to` with iconv. A
// character that cannot be read or written becomes '?'; the rest is kept.
// Returns "" for an empty text or when iconv cannot convert between the two.
std::string ConvertCodePage(const std::string& text, const std::string& from, const std::string& to);

// True when `c` is the lead byte of a double-byte character of the legacy code
// page (the byte after it is a trail byte, which may be an ASCII letter).
bool IsLeadByte(unsigned char c);

}  // namespace platform
