#include "shell/ListSortValue.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a decimal integer at `*p` (optional sign, digits) as 64-bit, saturating;
// advances `*p` past it. Returns false, leaving `*p`, when no digit follows.
bool ReadInteger(const char** p, const char* end, int64_t* value) {
  const char* s = *p;
  bool negative = false;
  if (s < end && (*s == '+' || *s == '-')) negative = *s++ == '-';
  if (s >= end || !IsDigit(*s)) return false;
  int64_t v = 0;
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max() / 10 - 1;
  for (; s < end && IsDigit(*s); ++s) {
    if (v < kMax) v = v * 10 + (*s - '0');
  }
  *value = negative ? -v : v;
  *p = s;
  return true;
}

const char* SkipBlanks(const char* s, const char* end) {
  while (s < end && IsBlank(*s)) ++s;
  return s;
}

int64_t TruncateToInt64(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9.2233720368547758e18) return std::numeric_limits<int64_t>::max();
  if (value <= -9.2233720368547758e18) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(value);
}

template <typename T>
int Sign(T a, T b) {
  return a > b ? 1 : (a < b ? -1 : 0);
}

}  // namespace

int32_t ReadLeadingInt32(const std::string& text) {
  const char* end = text.data() + text.size();
  const char* s = SkipBlanks(text.data(), end);
  int64_t v = 0;
  if (!ReadInteger(&s, end, &v)) return 0;
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

double ReadLeadingReal(const std::string& text) {
  const char* end = text.data() + text.size();
  const char* s = SkipBlanks(text.data(), end);
  bool negative = false;
  if (s < end && (*s == '+' || *s == '-')) negative = *s++ == '-';
  // from_chars reads in the C locale and never accepts a sign of its own here.
  if (s >= end || !(IsDigit(*s) || *s == '.')) return 0.0;
  double v = 0.0;
  auto result = std::from_chars(s, end, v, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: what strtod answers.
    bool tiny = false;
    for (const char* q = s; q < result.ptr; ++q) {
      if (*q == 'e' || *q == 'E') {
        tiny = q + 1 < result.ptr && q[1] == '-';
        break;
      }
    }
    v = tiny ? 0.0 : HUGE_VAL;
  } else if (result.ec != std::errc()) {
    return 0.0;
  }
  if (std::isnan(v)) return 0.0;
  return negative ? -v : v;
}

uint32_t ResolutionSortValue(const std::string& text) {
  // "%dx%d": each number may follow blanks; the 'x' must follow the first at once.
  const char* end = text.data() + text.size();
  const char* s = SkipBlanks(text.data(), end);
  int64_t width = 0;
  int64_t height = 0;
  if (ReadInteger(&s, end, &width) && s < end && *s == 'x') {
    s = SkipBlanks(s + 1, end);
    if (!ReadInteger(&s, end, &height)) height = 0;
  }
  return static_cast<uint32_t>(width) * static_cast<uint32_t>(height);
}

int64_t BitRateSortValue(const std::string& text) {
  size_t p = text.find("bps");
  if (p == std::string::npos || p == 0) return 0;
  char before = text[p - 1];
  if (IsDigit(before)) return TruncateToInt64(ReadLeadingReal(text.substr(0, p)));
  double unit = 0.0;
  switch (before) {
    case 'K': unit = 1024.0; break;
    case 'M': unit = 1024.0 * 1024.0; break;
    case 'G': unit = 1024.0 * 1024.0 * 1024.0; break;
    default: return 0;
  }
  return TruncateToInt64(ReadLeadingReal(text.substr(0, p - 1)) * unit);
}

int64_t ByteSizeSortValue(const std::string& text) {
  size_t p = text.find("Bytes");
  if (p != std::string::npos && p > 0) return ReadLeadingInt32(text.substr(0, p));
  if (text.size() < 2 || text.back() != 'B') return 0;
  double unit = 0.0;
  switch (text[text.size() - 2]) {
    case 'K': unit = 1024.0; break;
    case 'M': unit = 1024.0 * 1024.0; break;
    case 'G': unit = 1024.0 * 1024.0 * 1024.0; break;
    case 'T': unit = 1024.0 * 1024.0 * 1024.0 * 1024.0; break;
    default: return 0;
  }
  return TruncateToInt64(ReadLeadingReal(text.substr(0, text.size() - 2)) * unit);
}

int64_t DurationSortValue(const std::string& text) {
  if (text.empty() || text == "s" || text.back() != 's') return 0;
  if (text.size() == 1 && (text[0] == 'x' || text[0] == 'X')) return 0;
  char before = text[text.size() - 2];
  if (IsDigit(before)) return TruncateToInt64(ReadLeadingReal(text.substr(0, text.size() - 1)) * 1000000.0);
  double unit = 0.0;
  switch (before) {
    case 'm': unit = 1000.0; break;
    case 'u': unit = 1.0; break;
    default: return 0;
  }
  return TruncateToInt64(ReadLeadingReal(text.substr(0, text.size() - 2)) * unit);
}

double PercentSortValue(const std::string& text) {
  if (text.empty() || text.back() != '%') return 0.0;
  return ReadLeadingReal(text);
}

int CompareListCells(int sortType, const std::string& a, const std::string& b, bool ascending) {
  int result = 0;
  switch (sortType) {
    case LIST_SORT_ROW_NUMBER:
    case LIST_SORT_INTEGER:
      result = Sign(ReadLeadingInt32(a), ReadLeadingInt32(b));
      break;
    case LIST_SORT_TEXT: {
      // Unsigned byte order, as strcmp compares: a shorter prefix sorts first.
      int c = std::strcmp(a.c_str(), b.c_str());
      result = c > 0 ? 1 : (c < 0 ? -1 : 0);
      break;
    }
    case LIST_SORT_REAL:
      result = Sign(static_cast<float>(ReadLeadingReal(a)), static_cast<float>(ReadLeadingReal(b)));
      break;
    case LIST_SORT_PERCENT:
      result = Sign(PercentSortValue(a), PercentSortValue(b));
      break;
    case LIST_SORT_RESOLUTION:
      result = Sign(ResolutionSortValue(a), ResolutionSortValue(b));
      break;
    case LIST_SORT_BIT_RATE:
      result = Sign(BitRateSortValue(a), BitRateSortValue(b));
      break;
    case LIST_SORT_BYTE_SIZE:
      result = Sign(ByteSizeSortValue(a), ByteSizeSortValue(b));
      break;
    case LIST_SORT_DURATION:
      result = Sign(DurationSortValue(a), DurationSortValue(b));
      break;
    default:
      return 0;
  }
  return ascending ? result : -result;
}
