#include "database/ISettingManager.h"

#include <locale.h>
#include <stdlib.h>

#include <climits>

#include "foundation/StringUtil.h"

namespace {

locale_t CLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return locale;
}

}  // namespace

int32_t SettingTextToLong(const std::string& text) {
  long long value = strtoll_l(text.c_str(), nullptr, 10, CLocale());
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

uint32_t SettingTextToUInt(const std::string& text) {
  long long value = strtoll_l(text.c_str(), nullptr, 10, CLocale());
  return static_cast<uint32_t>(static_cast<unsigned long long>(value));
}

double SettingTextToDouble(const std::string& text) { return strtod_l(text.c_str(), nullptr, CLocale()); }

std::string SettingLongText(int32_t value) { return IntToString(value); }
std::string SettingUIntText(uint32_t value) { return UIntToString(value); }
std::string SettingFloatText(float value) { return StrFormat("%g", static_cast<double>(value)); }
std::string SettingDoubleText(double value) { return DoubleToString(value); }
