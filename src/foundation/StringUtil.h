// The text helpers of every component: printf-style formatting, number texts
// (always in the C locale), escaping for XML and JSON, conversions between
// UTF-8 and the legacy code page, and case folding that is aware of the legacy
// code page's double-byte characters. None of them logs or keeps state; all may
// be called from any thread.
#pragma once

#include <stdarg.h>
#include <stdint.h>

#include <string>
#include <string_view>

// The printf-style result of `format` and its arguments, never cut short.
// Numbers are written in the C locale whatever the process locale is.
std::string StrFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
// StrFormat with an argument list (the list is not consumed: it is copied).
std::string StrFormatV(const char* format, va_list args);
// Appends the formatted text to `out` (no temporary string when it fits).
void StrAppendFormatV(std::string* out, const char* format, va_list args);

// `text` as a string; a null pointer gives the empty string.
inline std::string StrOrEmpty(const char* text) { return text ? std::string(text) : std::string(); }

// "%d", "%u" and "%.18g" (1.5 -> "1.5", 100.0 -> "100"), in the C locale.
std::string IntToString(int value);
std::string UIntToString(uint32_t value);
std::string DoubleToString(double value);

// XML: the five characters " & ' < > become &quot; &amp; &apos; &lt; &gt;;
// every other byte passes unchanged.
std::string XmlEscape(std::string_view text);
// The inverse in one pass: only the five named entities are decoded (case-
// sensitive); anything else, numeric references included, stays as written.
std::string XmlUnescape(std::string_view text);

// JSON: backspace, tab, line feed, form feed, carriage return, '"', '/' and '\'
// become two-character escapes; the other control bytes 0x00-0x1F become
// \u00XX; bytes from 0x80 up pass unchanged. With `escapeSlash` false '/'
// stays as it is (the other escapes are the minimum JSON requires).
std::string JsonEscape(std::string_view text, bool escapeSlash = true);
// The inverse: the two-character escapes are decoded, and \u0000-\u001F give
// their control byte; any other backslash sequence (other \uXXXX included)
// stays as written, and a final lone backslash is kept.
std::string JsonUnescape(std::string_view text);

// The value of a hexadecimal digit (either case), or -1 for any other character.
// Inline: per-byte readers (chunk sizes, escapes) call it in their loops.
inline int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// UTF-8 text -> the legacy code page (unmappable characters become '?').
// The text ends at its first zero byte; "" gives "".
std::string Utf8ToAnsi(std::string_view text);
// Legacy code page text -> UTF-8 (unreadable bytes become '?'). The text ends
// at its first zero byte; "" gives "".
std::string AnsiToUtf8(std::string_view text);

// Appends the UTF-8 form of the character value `c` (up to six bytes for
// values up to 2^31 - 1, as the original UTF-8 allowed).
void AppendUtf8(uint32_t c, std::string* out);
// UTF-16 units to UTF-8, surrogate pairs joined; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view units);
// Converts the zero-terminated UTF-16 text `wide`, terminator included, into
// `buffer` of `size` bytes in the Windows code page `code_page` (0 and 3: the
// legacy code page; 65001: UTF-8; any other n: "CPn", such as 949). A
// character that code page lacks becomes '?'. Returns the buffer; null when
// buffer or text is null (nothing touched), and null with the buffer starting
// with a zero byte when the code page is unknown or the text does not fit.
char* WideToMultiByte(char* buffer, const char16_t* wide, int size, unsigned code_page);

// ASCII letters folded to lower (upper) case; the trail byte of a double-byte
// character of the legacy code page is kept as it is (it may look like a letter).
std::string StrToLower(std::string_view text);
std::string StrToUpper(std::string_view text);
void StrMakeLower(std::string* text);
void StrMakeUpper(std::string* text);
// Byte-order comparison with ASCII letters folded to lower case (trail bytes
// compared as they are): <0, 0 or >0.
int StrCompareNoCase(std::string_view a, std::string_view b);
bool StrEqualNoCase(std::string_view a, std::string_view b);
// True when `text` begins with `prefix`, letters compared without regard to case.
bool StrStartsWithNoCase(std::string_view text, std::string_view prefix);

// `text` without blanks, tabs, CR and LF at both ends (at the left, the right).
std::string StrTrim(std::string_view text);
std::string StrTrimLeft(std::string_view text);
std::string StrTrimRight(std::string_view text);
