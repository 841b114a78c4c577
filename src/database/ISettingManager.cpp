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

bool ISettingManager::GetBool(int category, const std::string& key, bool defaultValue) {
  std::string text = GetText(category, key);
  return text.empty() ? defaultValue : SettingTextToLong(text) != 0;
}

int32_t ISettingManager::GetLong(int category, const std::string& key, int32_t defaultValue) {
  std::string text = GetText(category, key);
  return text.empty() ? defaultValue : SettingTextToLong(text);
}

uint32_t ISettingManager::GetUInt(int category, const std::string& key, uint32_t defaultValue) {
  std::string text = GetText(category, key);
  return text.empty() ? defaultValue : SettingTextToUInt(text);
}

float ISettingManager::GetFloat(int category, const std::string& key, float defaultValue) {
  std::string text = GetText(category, key);
  return text.empty() ? defaultValue : static_cast<float>(SettingTextToDouble(text));
}

std::string ISettingManager::GetString(int category, const std::string& key, const std::string& defaultValue) {
  std::string text = GetText(category, key);
  return text.empty() ? defaultValue : text;
}

double ISettingManager::GetDouble(int category, const std::string& key, double defaultValue) {
  std::string text = GetText(category, key);
  return text.empty() ? defaultValue : SettingTextToDouble(text);
}

bool ISettingManager::SetBool(int category, const std::string& key, bool value) {
  return SetText(category, key, SettingLongText(value ? 1 : 0));
}

bool ISettingManager::SetLong(int category, const std::string& key, int32_t value) {
  return SetText(category, key, SettingLongText(value));
}

bool ISettingManager::SetUInt(int category, const std::string& key, uint32_t value) {
  return SetText(category, key, SettingUIntText(value));
}

bool ISettingManager::SetFloat(int category, const std::string& key, float value) {
  return SetText(category, key, SettingFloatText(value));
}

bool ISettingManager::SetString(int category, const std::string& key, const std::string& value) {
  return SetText(category, key, value);
}

bool ISettingManager::SetDouble(int category, const std::string& key, double value) {
  return SetText(category, key, SettingDoubleText(value));
}
