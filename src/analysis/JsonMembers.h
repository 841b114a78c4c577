// Member lookups on the JSON values of analysis-server texts, shared by the
// result readers of every server kind. A lookup answers null when the value
// is no object, has no such member, or the member has another JSON type, so
// that a reader passes over what does not fit without a test of its own.
//
// JSON types as the readers use them: an integer is a number written without
// fraction or exponent that fits a signed 32-bit int; a real is a number
// written with a fraction or an exponent (2 is not a real, 2.0 is); a number
// is either.
#pragma once

#include <math.h>
#include <limits.h>
#include <string.h>

#include <string>
#include <vector>

#include <rapidjson/document.h>

namespace var_json {

using rapidjson::Value;

// The first member named `key` (`length` bytes) of `object`, or null when
// `object` is no object or has none.
inline const Value* FindMember(const Value& object, const char* key, size_t length) {
  if (!object.IsObject()) return nullptr;
  for (auto member = object.MemberBegin(), end = object.MemberEnd(); member != end; ++member) {
    if (member->name.GetStringLength() == length && memcmp(member->name.GetString(), key, length) == 0)
      return &member->value;
  }
  return nullptr;
}

// The keys are literals: their length is known when the lookup is compiled.
template <size_t N>
const Value* Member(const Value& object, const char (&key)[N]) {
  return FindMember(object, key, N - 1);
}

// The member `key` when it passes `isType` (IsInt, IsString, ...), else null.
template <size_t N>
const Value* MemberIf(const Value& object, const char (&key)[N], bool (Value::*isType)() const) {
  const Value* value = Member(object, key);
  return value && (value->*isType)() ? value : nullptr;
}

template <size_t N>
const Value* IntMember(const Value& object, const char (&key)[N]) {
  return MemberIf(object, key, &Value::IsInt);
}

template <size_t N>
const Value* StringMember(const Value& object, const char (&key)[N]) {
  return MemberIf(object, key, &Value::IsString);
}

template <size_t N>
const Value* ArrayMember(const Value& object, const char (&key)[N]) {
  return MemberIf(object, key, &Value::IsArray);
}

template <size_t N>
const Value* ObjectMember(const Value& object, const char (&key)[N]) {
  return MemberIf(object, key, &Value::IsObject);
}

// A real: a number written with a fraction or an exponent.
template <size_t N>
const Value* RealMember(const Value& object, const char (&key)[N]) {
  return MemberIf(object, key, &Value::IsDouble);
}

// Any number, integer or real.
template <size_t N>
const Value* NumberMember(const Value& object, const char (&key)[N]) {
  return MemberIf(object, key, &Value::IsNumber);
}

// An array with at least one element.
template <size_t N>
const Value* NonEmptyArrayMember(const Value& object, const char (&key)[N]) {
  const Value* value = ArrayMember(object, key);
  return value && !value->Empty() ? value : nullptr;
}

// Stores the integer member `key` into `out` when there is one.
template <size_t N>
void TakeInt(const Value& object, const char (&key)[N], int* out) {
  if (const Value* value = IntMember(object, key)) *out = value->GetInt();
}

template <size_t N>
void TakeString(const Value& object, const char (&key)[N], std::string* out) {
  if (const Value* value = StringMember(object, key)) out->assign(value->GetString(), value->GetStringLength());
}

// The integer member `key`, 0 when missing or of another type.
template <size_t N>
int IntOrZero(const Value& object, const char (&key)[N]) {
  const Value* value = IntMember(object, key);
  return value ? value->GetInt() : 0;
}

// The text of a string value.
inline std::string StringOf(const Value& value) { return std::string(value.GetString(), value.GetStringLength()); }

// Sums wrap around instead of overflowing: numbers come from the network.
inline int WrappingAdd(int a, int b) {
  return static_cast<int>(static_cast<unsigned>(a) + static_cast<unsigned>(b));
}

// `value` cut toward zero to an int; values beyond the int range give its
// nearest end, so that no text reaches an undefined conversion.
inline int TruncateToInt(double value) {
  if (isnan(value)) return 0;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  return static_cast<int>(value);
}

// One `read(element)` per element of `array` that is an object, in order;
// other elements are passed over.
template <typename Read>
auto ReadObjectElements(const Value& array, Read read) -> std::vector<decltype(read(array))> {
  std::vector<decltype(read(array))> out;
  out.reserve(array.Size());
  for (const Value& element : array.GetArray()) {
    if (element.IsObject()) out.push_back(read(element));
  }
  return out;
}

}  // namespace var_json
