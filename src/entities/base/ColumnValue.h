// CColumnValue: one column of one row as (column name, value text, kind), the
// form in which a row describes itself to the stores, the SQL text builder and
// the serialisation. ColumnKind codes are stored in the database layer's
// statements and must keep their numbers.
#pragma once

#include <cstdint>
#include <string>

enum ColumnKind : int {
  kColumnKindNone = 0,  // only the empty value of a missing two-column key part
  kColumnKindInt = 1,
  kColumnKindString = 2,
  kColumnKindDouble = 3,
  kColumnKindBool = 4,  // held as a 32-bit int 0 or 1
  kColumnKindDateTime = 5,
  kColumnKindDate = 6,
  kColumnKindTime = 7,
  kColumnKindUInt64 = 8,
  kColumnKindUInt32 = 9,
  kColumnKindFloat = 10,
};

// True for the kinds whose member is a text (string, datetime, date, time).
inline bool IsTextColumnKind(int kind) {
  return kind == kColumnKindString || kind == kColumnKindDateTime || kind == kColumnKindDate ||
         kind == kColumnKindTime;
}

class CColumnValue {
 public:
  CColumnValue() = default;
  CColumnValue(std::string name, std::string value, int kind)
      : name_(std::move(name)), value_(std::move(value)), kind_(kind) {}

  const std::string& GetName() const { return name_; }
  const std::string& GetValue() const { return value_; }
  int GetKind() const { return kind_; }

  // The value as an SQL literal: text kinds get every backslash doubled, then
  // every apostrophe escaped as \', and are enclosed in apostrophes; every other
  // kind is the value text unchanged.
  std::string GetSqlValueText() const;

  // Names and value texts compared byte-wise (letter case counts), kinds equal.
  bool operator==(const CColumnValue& other) const = default;

 private:
  std::string name_;   // as the table spells it
  std::string value_;  // in the format of the kind; "" for NULL
  int kind_ = kColumnKindNone;
};

// Value texts in the format of each kind, written in the C locale whatever the
// process locale: "%d" (int and bool), "%u", the 64-bit unsigned decimal, "%g"
// (float) and "%.18g" (double).
std::string ColumnText(int value);
std::string ColumnText(uint32_t value);
std::string ColumnText(uint64_t value);
std::string ColumnText(float value);
std::string ColumnText(double value);

// Readers of a value text as a row loads it; a null or empty text gives 0.
// Int: decimal with leading blanks and sign, digits up to the first non-digit,
// outside the 32-bit range held at INT_MIN/INT_MAX. Unsigned: unsigned 64-bit
// decimal (a leading minus wraps: "-1" is the largest value; past 2^64-1 held
// there), kept to the low 32 bits for uint32. Float and double: decimal
// fraction in the C locale, 0 when nothing converts.
int ParseIntColumnText(const char* text);
uint32_t ParseUInt32ColumnText(const char* text);
uint64_t ParseUInt64ColumnText(const char* text);
float ParseFloatColumnText(const char* text);
double ParseDoubleColumnText(const char* text);
