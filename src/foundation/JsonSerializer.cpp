#include "foundation/JsonSerializer.h"

#include <charconv>
#include <exception>
#include <memory>

#include <json/reader.h>
#include <json/value.h>

#include "foundation/Log.h"
#include "foundation/StringUtil.h"

namespace {

// Appends `text` in double quotation marks, escaped by JsonEscape.
void AppendQuoted(std::string* out, std::string_view text) {
  out->push_back('"');
  bool plain = true;
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '\\' || c == '/') {
      plain = false;
      break;
    }
  }
  if (plain) {
    out->append(text);
  } else {
    out->append(JsonEscape(text));
  }
  out->push_back('"');
}

void AppendPair(std::string* out, std::string_view name, std::string_view text) {
  AppendQuoted(out, name);
  out->push_back(':');
  AppendQuoted(out, text);
}

// Whether the node is written as "[...]": a root with the array flag, or a
// node with the flag and no values of its own (one with values is written as
// an object, so that the text stays JSON).
bool WrittenAsArray(const CSerializationInfo& node) {
  return node.IsArray() && (node.GetDepth() == 0 || !node.HasValues());
}

// Elements of a list have no name.
bool InArray(const CSerializationInfo& node) { return node.GetParent() && WrittenAsArray(*node.GetParent()); }

bool IsEmpty(const CSerializationInfo& node) { return !node.HasValues() && !node.GetFirstChild(); }

bool WriteChain(const CSerializationInfo* node, std::string* out);

// One node: opening, values, children, closing.
void WriteNode(const CSerializationInfo& node, std::string* out) {
  const char* closing = "";
  if (node.GetDepth() != 0) {
    bool as_array = WrittenAsArray(node);
    if (!InArray(node)) {
      AppendQuoted(out, node.GetName());
      out->push_back(':');
    }
    out->push_back(as_array ? '[' : '{');
    closing = as_array ? "]" : "}";
  }
  bool first = true;
  for (const auto& [name, text] : node.GetOrderedValues()) {
    if (!first) out->append(", ");
    first = false;
    AppendPair(out, name, text);
  }
  if (node.GetFirstChild()) {
    size_t mark = out->size();
    if (node.HasValues()) out->append(", ");
    if (!WriteChain(node.GetFirstChild(), out)) out->resize(mark);
  }
  out->append(closing);
}

// The node and its next siblings, separated by ", ". A node with neither
// values nor children writes nothing (inside a list: an empty object, so the
// list keeps its length). Returns whether anything was written.
bool WriteChain(const CSerializationInfo* node, std::string* out) {
  bool wrote = false;
  for (; node; node = node->GetNextSibling()) {
    if (IsEmpty(*node) && !(node->GetDepth() != 0 && InArray(*node))) continue;
    if (wrote) out->append(", ");
    wrote = true;
    WriteNode(*node, out);
  }
  return wrote;
}

// JsonCpp's reader with its default features (comments allowed, any value at
// the root), one per thread.
Json::CharReader& Reader() {
  thread_local std::unique_ptr<Json::CharReader> reader = [] {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    return std::unique_ptr<Json::CharReader>(builder.newCharReader());
  }();
  return *reader;
}

// Objects and arrays a text may hold: one per 32 bytes beyond the first
// 65,536. Each costs the reader some hundred bytes and a few allocations
// whatever its size, so a text of nested or empty brackets ("[[[[", "[[],[],")
// would cost about a hundred times its size in memory and far more time than
// a plain text of the same size; real texts hold far fewer.
constexpr size_t kFreeComposites = 65536;
constexpr size_t kBytesPerComposite = 32;

// Counts '[' and '{' outside strings; true when within the bound. Linear.
bool CompositesWithinBound(std::string_view json) {
  size_t count = 0;
  const size_t bound = kFreeComposites + json.size() / kBytesPerComposite;
  bool in_string = false;
  for (size_t i = 0; i < json.size(); ++i) {
    char c = json[i];
    if (in_string) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        in_string = false;
      }
    } else if (c == '"') {
      in_string = true;
    } else if ((c == '[' || c == '{') && ++count > bound) {
      return false;
    }
  }
  return true;
}

bool Parse(std::string_view json, Json::Value* root) {
  std::string errors;
  bool ok;
  if (!CompositesWithinBound(json)) {
    GATE_LOG(1, "ERROR - Error rarised when parse json data.(%s)\r\n", "too many objects and arrays for its size");
    return false;
  }
  try {
    ok = Reader().parse(json.data(), json.data() + json.size(), root, &errors);
  } catch (const std::exception& e) {  // JsonCpp throws when nesting exceeds its stack limit
    ok = false;
    errors = e.what();
  }
  if (!ok) GATE_LOG(1, "ERROR - Error rarised when parse json data.(%s)\r\n", errors.c_str());
  return ok;
}

bool IsComposite(const Json::Value& value) {
  return value.isNull() || value.isArray() || value.isObject();
}

std::string ScalarText(const Json::Value& value) {
  switch (value.type()) {
    case Json::intValue: {
      char buffer[24];
      auto result = std::to_chars(buffer, buffer + sizeof(buffer), value.asLargestInt());
      return std::string(buffer, result.ptr);
    }
    case Json::uintValue:
      return UInt64ToString(value.asLargestUInt());
    case Json::realValue:
      return DoubleToString(value.asDouble());
    case Json::stringValue: {
      const char* begin = nullptr;
      const char* end = nullptr;
      value.getString(&begin, &end);
      return begin ? std::string(begin, end) : std::string();
    }
    case Json::booleanValue:
      return value.asBool() ? "1" : "0";
    default:
      return "";
  }
}

// The name of an object member (none for an array element).
std::string_view MemberName(const Json::Value& container, const Json::Value::const_iterator& it) {
  if (!container.isObject()) return {};
  const char* end = nullptr;
  const char* begin = it.memberName(&end);
  return begin ? std::string_view(begin, static_cast<size_t>(end - begin)) : std::string_view();
}

// A scalar member as a value: lower-cased name, scalar text.
void AddScalar(CSerializationInfo* node, std::string_view name, const Json::Value& value) {
  const std::string lower = StrToLower(name);
  const char* begin = nullptr;
  const char* end = nullptr;
  if (value.type() == Json::stringValue && value.getString(&begin, &end)) {
    node->AddValue(lower, std::string_view(begin, static_cast<size_t>(end - begin)));
  } else {
    node->AddValue(lower, ScalarText(value));
  }
}

// Builds `node` from an object or array value: scalar members become values
// (lower-cased names), composite members child nodes (names as written).
void Fill(const Json::Value& value, CSerializationInfo* node) {
  if (!value.isObject() && !value.isArray()) return;
  size_t scalars = 0;
  for (const Json::Value& member : value) scalars += !IsComposite(member);
  node->ReserveValues(scalars);  // an object of many members grows its values once
  CSerializationInfo* last_child = nullptr;
  for (auto it = value.begin(); it != value.end(); ++it) {
    const Json::Value& member = *it;
    if (IsComposite(member)) {
      CSerializationInfo* child = last_child ? last_child->AppendSibling() : node->GetOrAddChild();
      child->SetName(MemberName(value, it));
      Fill(member, child);
      last_child = child;
    } else {
      AddScalar(node, MemberName(value, it), member);
    }
  }
}

// About the length of the text of the node's chain (escapes aside), so that
// the output grows once.
size_t EstimateLength(const CSerializationInfo* node) {
  size_t length = 0;
  for (; node; node = node->GetNextSibling()) {
    length += node->GetName().size() + 8;
    for (const auto& [name, text] : node->GetOrderedValues()) length += name.size() + text.size() + 8;
    if (node->GetFirstChild()) length += EstimateLength(node->GetFirstChild());
  }
  return length;
}

}  // namespace

bool CJsonSerializer::Serialize(const CSerializationInfo& node, std::string* out) {
  size_t estimate = EstimateLength(&node);
  out->reserve(out->size() + estimate + estimate / 8);
  if (node.IsArray()) {
    if (!node.GetFirstChild()) return true;
    out->push_back('[');
    WriteChain(node.GetFirstChild(), out);
    out->push_back(']');
    return true;
  }
  out->push_back('{');
  WriteChain(&node, out);
  out->push_back('}');
  return true;
}

bool CJsonSerializer::SerializeMap(const std::map<std::string, std::string>& map, std::string* out) {
  out->clear();
  out->push_back('{');
  bool first = true;
  for (const auto& [name, text] : map) {
    if (!first) out->push_back(',');
    first = false;
    AppendPair(out, name, text);
  }
  out->push_back('}');
  return true;
}

bool CJsonSerializer::Deserialize(std::string_view json, CSerializable* record) {
  Json::Value root;
  if (!Parse(json, &root)) return false;
  if (!record) return true;
  try {
    CSerializationInfo node;
    Fill(root, &node);
    record->Deserialize(node);
  } catch (const std::exception&) {
    GATE_LOG(1, "ERROR - Error raised while deserialize json data.\r\n");
    return false;
  }
  return true;
}

bool CJsonSerializer::Deserialize(std::string_view json, std::nullptr_t) {
  Json::Value root;
  return Parse(json, &root);
}

bool CJsonSerializer::Deserialize(std::string_view json, std::map<std::string, std::string>* map) {
  Json::Value root;
  if (!Parse(json, &root)) return false;
  map->clear();
  if (root.isObject()) {
    for (auto it = root.begin(); it != root.end(); ++it) {
      std::string_view name = MemberName(root, it);
      // The reader walks an object's members in name order: each goes in at the end.
      if (!name.empty()) map->insert_or_assign(map->end(), std::string(name), ScalarText(*it));
    }
  }
  return true;
}

bool CJsonSerializer::Deserialize(std::string_view json, CSerializationInfo* node) {
  Json::Value root;
  if (!Parse(json, &root)) return false;
  CSerializationInfo* target = root.isNull() || root.isArray() ? node->GetOrAddChild() : node;
  if (!root.isObject() && !root.isArray()) return true;
  bool first = true;
  for (auto it = root.begin(); it != root.end(); ++it) {
    const Json::Value& member = *it;
    if (IsComposite(member)) {
      if (!first) target = target->AppendSibling();
      Fill(member, target);
    } else {
      AddScalar(target, MemberName(root, it), member);
    }
    first = false;
  }
  return true;
}

std::string UInt64ToString(uint64_t value) {
  char buffer[24];
  auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
  return std::string(buffer, result.ptr);
}
