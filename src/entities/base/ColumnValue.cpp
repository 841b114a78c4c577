#include "entities/base/ColumnValue.h"

#include <locale.h>

#include <cfloat>
#include <cmath>
#include <charconv>
#include <climits>
#include <cstdlib>

std::string CColumnValue::GetSqlValueText() const {
  if (!IsTextColumnKind(kind_)) return value_;
  std::string literal;
  literal.reserve(value_.size() + 2);
  literal.push_back('\'');
  // Doubling the backslashes and escaping the apostrophes in one pass gives the
  // same text as doing them one after the other: the escape added before an
  // apostrophe is never doubled.
  for (char c : value_) {
    if (c == '\\') {
      literal += "\\\\";
    } else if (c == '\'') {
      literal += "\\'";
    } else {
      literal.push_back(c);
    }
  }
  literal.push_back('\'');
  return literal;
}

namespace {

template <typename T>
std::string IntegerText(T value) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

// printf "%.<precision>g" in the C locale.
std::string GeneralText(double value, int precision) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
  return std::string(buffer, result.ptr);
}

locale_t CLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return locale;
}

bool IsEmpty(const char* text) { return text == nullptr || *text == '\0'; }

}  // namespace

std::string ColumnText(int value) { return IntegerText(value); }
std::string ColumnText(uint32_t value) { return IntegerText(value); }
std::string ColumnText(uint64_t value) { return IntegerText(value); }
std::string ColumnText(float value) { return GeneralText(static_cast<double>(value), 6); }
std::string ColumnText(double value) { return GeneralText(value, 18); }

int ParseIntColumnText(const char* text) {
  if (IsEmpty(text)) return 0;
  long long value = std::strtoll(text, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

uint64_t ParseUInt64ColumnText(const char* text) {
  if (IsEmpty(text)) return 0;
  return static_cast<uint64_t>(std::strtoull(text, nullptr, 10));
}

uint32_t ParseUInt32ColumnText(const char* text) {
  return static_cast<uint32_t>(ParseUInt64ColumnText(text));
}

double ParseDoubleColumnText(const char* text) {
  if (IsEmpty(text)) return 0.0;
  return strtod_l(text, nullptr, CLocale());
}

float ParseFloatColumnText(const char* text) {
  double value = ParseDoubleColumnText(text);
  // Beyond the float range the conversion is undefined: give the infinity a float rounds to.
  if (std::isfinite(value) && std::fabs(value) > FLT_MAX) return value > 0 ? HUGE_VALF : -HUGE_VALF;
  return static_cast<float>(value);
}
