// ISettingManager: settings by category number and key, read typed and
// written as texts. Implemented over the settings tables of the database and
// over local XML settings files (CLocalSettings).
//
// Every implementation reads alike: a missing or empty value text gives the
// caller's default; any other text is parsed by the SettingTextTo* rules
// below, so a text that holds no number reads as 0, not as the default.
#pragma once

#include <stdint.h>

#include <string>

class ISettingManager {
 public:
  virtual ~ISettingManager() = default;

  // What an implementation provides: the value text of (category, key), ""
  // when there is none, and storing one (false when the store, the file or
  // the table, could not be written; the value then stays in memory).
  virtual std::string GetText(int category, const std::string& key) = 0;
  virtual bool SetText(int category, const std::string& key, const std::string& text) = 0;

  // The typed accessors, the same for every implementation: each getter reads
  // GetText by the rules below (a missing or empty text gives the default),
  // each setter stores the value's SettingText form through SetText.
  // Non-zero value: true.
  virtual bool GetBool(int category, const std::string& key, bool defaultValue);
  virtual int32_t GetLong(int category, const std::string& key, int32_t defaultValue);
  // The same reading as GetLong.
  int GetInt(int category, const std::string& key, int defaultValue) {
    return GetLong(category, key, defaultValue);
  }
  virtual uint32_t GetUInt(int category, const std::string& key, uint32_t defaultValue);
  virtual float GetFloat(int category, const std::string& key, float defaultValue);
  virtual std::string GetString(int category, const std::string& key, const std::string& defaultValue);
  virtual double GetDouble(int category, const std::string& key, double defaultValue);
  virtual bool SetBool(int category, const std::string& key, bool value);
  virtual bool SetLong(int category, const std::string& key, int32_t value);
  virtual bool SetUInt(int category, const std::string& key, uint32_t value);
  virtual bool SetFloat(int category, const std::string& key, float value);
  virtual bool SetString(int category, const std::string& key, const std::string& value);
  virtual bool SetDouble(int category, const std::string& key, double value);
};

// The parsing rules of the getters (C locale, whatever the process locale).
// Leading blanks, a sign and the digits up to the first other character,
// clamped to the 32-bit range; 0 when there are no digits.
int32_t SettingTextToLong(const std::string& text);
// The text read as a signed 64-bit number (clamped to its range), low 32 bits
// kept: "-1" gives 4294967295.
uint32_t SettingTextToUInt(const std::string& text);
// A leading floating-point number as atof reads it; 0 when there is none.
double SettingTextToDouble(const std::string& text);

// The texts the setters store: "%d" (bools 1 and 0), "%u", "%g", "%.18g".
std::string SettingLongText(int32_t value);
std::string SettingUIntText(uint32_t value);
std::string SettingFloatText(float value);
std::string SettingDoubleText(double value);
