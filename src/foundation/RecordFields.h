// The field rules shared by status records read from server documents: each
// record lists its fields once, one line per field (kind, element name), and
// these macros expand the list into the members, the Get/Set accessors and
// the reading and writing of the values, so the conversions live in one place:
//
//   #define TOTAL_STATUS_FIELDS(F) F(RecordText, Version) F(RecordInt, CPU) ...
//   RECORD_DECLARE_FIELDS(TOTAL_STATUS_FIELDS)
//
// Reading looks a value up under the lower-case element name (the XML reader
// lower-cases them) and takes its first occurrence; an absent value gives the
// kind's default, never an earlier value. Writing adds the values in list
// order under the element names as written.
#pragma once

#include <stdint.h>

#include <string>
#include <string_view>

#include "foundation/SerializationInfo.h"
#include "foundation/StringUtil.h"

// int32: leading decimal number as strtol reads it, clamped; written "%d".
struct RecordInt {
  using Type = int32_t;
  static Type Read(const CSerializationInfo& node, std::string_view key) { return node.GetInt(key); }
  static void Write(CSerializationInfo& node, std::string_view name, Type value) { node.AddInt(name, value); }
};

// int32 written as unsigned decimal ("%u"): -1 is written 4294967295.
struct RecordUInt {
  using Type = int32_t;
  static Type Read(const CSerializationInfo& node, std::string_view key) { return node.GetInt(key); }
  static void Write(CSerializationInfo& node, std::string_view name, Type value) {
    node.AddUInt(name, static_cast<uint32_t>(value));
  }
};

// int64 over the 64-bit range; written "%I64d".
struct RecordInt64 {
  using Type = int64_t;
  static Type Read(const CSerializationInfo& node, std::string_view key) { return node.GetInt64(key); }
  static void Write(CSerializationInfo& node, std::string_view name, Type value) { node.AddInt64(name, value); }
};

// float: atof narrowed to 32 bits; written "%g".
struct RecordFloat {
  using Type = float;
  static Type Read(const CSerializationInfo& node, std::string_view key) {
    return static_cast<float>(node.GetFloat(key));
  }
  static void Write(CSerializationInfo& node, std::string_view name, Type value) { node.AddFloat(name, value); }
};

// double: a decimal fraction; written "%f".
struct RecordDouble {
  using Type = double;
  static Type Read(const CSerializationInfo& node, std::string_view key) { return node.GetFloat(key); }
  static void Write(CSerializationInfo& node, std::string_view name, Type value) { node.AddDouble(name, value); }
};

// flag: 1 only for the text "1"; written "1" or "0".
struct RecordFlag {
  using Type = int32_t;
  static Type Read(const CSerializationInfo& node, std::string_view key) { return node.GetBool(key) ? 1 : 0; }
  static void Write(CSerializationInfo& node, std::string_view name, Type value) {
    node.AddValue(name, value ? "1" : "0");
  }
};

// text: as stored, "" when absent.
struct RecordText {
  using Type = std::string;
  static Type Read(const CSerializationInfo& node, std::string_view key) { return node.GetValue(key); }
  static void Write(CSerializationInfo& node, std::string_view name, const Type& value) {
    node.AddValue(name, value);
  }
};

// The lower-case form of an element name, made once per call site.
#define RECORD_KEY_(name)                                        \
  ([]() -> const std::string& {                               \
    static const std::string key = StrToLower(name);          \
    return key;                                               \
  }())

// Members and accessors of a flat field list F(Kind, Name).
#define RECORD_FIELD_DECLARE_(Kind, Name)                                  \
 public:                                                                \
  const Kind::Type& Get##Name() const { return Name##_; }               \
  void Set##Name(const Kind::Type& value) { Name##_ = value; }          \
                                                                        \
 private:                                                               \
  Kind::Type Name##_{};
#define RECORD_DECLARE_FIELDS(LIST) LIST(RECORD_FIELD_DECLARE_)

// Inside Deserialize/Serialize with the node named `node`.
#define RECORD_FIELD_READ_(Kind, Name) Name##_ = Kind::Read(node, RECORD_KEY_(#Name));
#define RECORD_READ_FIELDS(LIST) LIST(RECORD_FIELD_READ_)
#define RECORD_FIELD_WRITE_(Kind, Name) Kind::Write(node, #Name, Name##_);
#define RECORD_WRITE_FIELDS(LIST) LIST(RECORD_FIELD_WRITE_)

// Writes groups of values as child nodes of a record's node: the first group
// is the node's first child (GetOrAddChild, or the node given), each later
// group a sibling appended through the first; a group may carry one inner
// node that holds its values. Consecutive calls with the same group and inner
// name return the same node.
class CRecordGroupWriter {
 public:
  explicit CRecordGroupWriter(CSerializationInfo& node) : node_(node) {}
  // Continues the chain that begins with `first` (a child already written).
  CRecordGroupWriter(CSerializationInfo& node, CSerializationInfo* first) : node_(node), first_(first) {}

  // The node of `group` (or of its inner node `inner` when not null).
  CSerializationInfo& At(const char* group, const char* inner = nullptr);

 private:
  CSerializationInfo& node_;
  CSerializationInfo* first_ = nullptr;
  CSerializationInfo* current_ = nullptr;
  std::string currentGroup_;
  CSerializationInfo* currentValues_ = nullptr;
};

// True when the node's name equals `name` without regard to case.
inline bool RecordIsNamed(const CSerializationInfo& node, std::string_view name) {
  return StrEqualNoCase(node.GetName(), name);
}

// Fields in groups, G(Group, Kind, Element, Name): the value of element
// `Element` inside the child node `Group` of the record's node. Reading runs
// inside a walk over the record's child nodes, with the child named `child`:
// a group that is present sets all of its fields, a group that occurs twice
// is read twice (the later wins), an absent group leaves its fields alone.
#define RECORD_GROUP_FIELD_DECLARE_(Group, Kind, Element, Name) RECORD_FIELD_DECLARE_(Kind, Name)
#define RECORD_DECLARE_GROUP_FIELDS(LIST) LIST(RECORD_GROUP_FIELD_DECLARE_)
#define RECORD_GROUP_FIELD_READ_(Group, Kind, Element, Name) \
  if (RecordIsNamed(child, #Group)) Name##_ = Kind::Read(child, RECORD_KEY_(#Element));
#define RECORD_READ_GROUP_FIELDS(LIST) LIST(RECORD_GROUP_FIELD_READ_)
// With a CRecordGroupWriter named `groups`.
#define RECORD_GROUP_FIELD_WRITE_(Group, Kind, Element, Name) Kind::Write(groups.At(#Group), #Element, Name##_);
#define RECORD_WRITE_GROUP_FIELDS(LIST) LIST(RECORD_GROUP_FIELD_WRITE_)

// Fields one level deeper, I(Group, Inner, Kind, Element, Name): only the
// group's first child node counts, and only when it is named `Inner`.
#define RECORD_INNER_FIELD_DECLARE_(Group, Inner, Kind, Element, Name) RECORD_FIELD_DECLARE_(Kind, Name)
#define RECORD_DECLARE_INNER_FIELDS(LIST) LIST(RECORD_INNER_FIELD_DECLARE_)
#define RECORD_INNER_FIELD_READ_(Group, Inner, Kind, Element, Name)                                         \
  if (RecordIsNamed(child, #Group) && child.GetFirstChild() && RecordIsNamed(*child.GetFirstChild(), #Inner)) \
    Name##_ = Kind::Read(*child.GetFirstChild(), RECORD_KEY_(#Element));
#define RECORD_READ_INNER_FIELDS(LIST) LIST(RECORD_INNER_FIELD_READ_)
#define RECORD_INNER_FIELD_WRITE_(Group, Inner, Kind, Element, Name) \
  Kind::Write(groups.At(#Group, #Inner), #Element, Name##_);
#define RECORD_WRITE_INNER_FIELDS(LIST) LIST(RECORD_INNER_FIELD_WRITE_)

// Inside a CSerializable whose node holds only the values of LIST:
// Serialize names the node GetTypeName() and adds the values in list order;
// Deserialize leaves the record as it was for a node of another name (any
// letter case), else sets every field, absent values to the kind's default.
#define RECORD_FLAT_SERIALIZATION(LIST)                                  \
  void Serialize(CSerializationInfo& node) const override {              \
    node.SetName(GetTypeName());                                         \
    RECORD_WRITE_FIELDS(LIST)                                            \
  }                                                                      \
  void Deserialize(const CSerializationInfo& node) override {            \
    if (!RecordIsNamed(node, GetTypeName())) return;                     \
    RECORD_READ_FIELDS(LIST)                                             \
  }
