#include "foundation/JsonSerializer.h"

#include <charconv>
#include <exception>
#include <vector>

#include "foundation/JsonTree.h"
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

// Objects and arrays a text may hold: one per 32 bytes beyond the first
// 65,536. Real texts hold far fewer; a text of nested or empty brackets
// ("[[[[", "[[],[],") is refused before it is read.
constexpr size_t kFreeComposites = 65536;
constexpr size_t kBytesPerComposite = 32;

// Counts '[' and '{' outside strings; false when over the bound. Else
// `values` is at least the number of values the text can hold (one more than
// its brackets and commas outside strings). Linear.
bool CountValues(std::string_view json, size_t* values) {
  size_t composites = 0;
  size_t commas = 0;
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
    } else if (c == ',') {
      ++commas;
    } else if ((c == '[' || c == '{') && ++composites > bound) {
      return false;
    }
  }
  *values = 1 + composites + commas;
  return true;
}

bool Parse(std::string_view json, CJsonTree* doc) {
  size_t values = 0;
  if (!CountValues(json, &values)) {
    GATE_LOG(1, "ERROR - Error rarised when parse json data.(%s)\r\n", "too many objects and arrays for its size");
    return false;
  }
  doc->Reserve(values);
  std::string error;
  if (doc->Parse(json, &error)) return true;
  GATE_LOG(1, "ERROR - Error rarised when parse json data.(%s)\r\n", error.c_str());
  return false;
}

// A scalar member as a value: lower-cased name, scalar text.
void AddScalar(CSerializationInfo* node, const CJsonTree& doc, uint32_t member) {
  node->AddValue(StrToLower(doc.GetName(member)), doc.GetText(member));
}

// Builds `node` from an object or array value: scalar members become values
// (lower-cased names), composite members child nodes (names as written).
void Fill(const CJsonTree& doc, uint32_t value, CSerializationInfo* node) {
  std::vector<uint32_t> members;
  doc.GetMembers(value, &members);
  size_t scalars = 0;
  for (uint32_t member : members) scalars += !doc.IsComposite(member);
  node->ReserveValues(scalars);  // an object of many members grows its values once
  CSerializationInfo* lastChild = nullptr;
  for (uint32_t member : members) {
    if (doc.IsComposite(member)) {
      CSerializationInfo* child = lastChild ? lastChild->AppendSibling() : node->GetOrAddChild();
      child->SetName(doc.GetName(member));
      Fill(doc, member, child);
      lastChild = child;
    } else {
      AddScalar(node, doc, member);
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
  CJsonTree doc;
  if (!Parse(json, &doc)) return false;
  if (!record) return true;
  try {
    CSerializationInfo node;
    Fill(doc, CJsonTree::kRoot, &node);
    record->Deserialize(node);
  } catch (const std::exception&) {
    GATE_LOG(1, "ERROR - Error raised while deserialize json data.\r\n");
    return false;
  }
  return true;
}

bool CJsonSerializer::Deserialize(std::string_view json, std::nullptr_t) {
  CJsonTree doc;
  return Parse(json, &doc);
}

bool CJsonSerializer::Deserialize(std::string_view json, std::map<std::string, std::string>* map) {
  CJsonTree doc;
  if (!Parse(json, &doc)) return false;
  map->clear();
  if (doc.GetKind(CJsonTree::kRoot) == CJsonTree::Kind::kObject) {
    std::vector<uint32_t> members;
    doc.GetMembers(CJsonTree::kRoot, &members);
    for (uint32_t member : members) {
      std::string_view name = doc.GetName(member);
      // Members come in name order: each goes in at the end.
      if (!name.empty()) map->emplace_hint(map->end(), name, doc.GetText(member));
    }
  }
  return true;
}

bool CJsonSerializer::Deserialize(std::string_view json, CSerializationInfo* node) {
  CJsonTree doc;
  if (!Parse(json, &doc)) return false;
  const CJsonTree::Kind kind = doc.GetKind(CJsonTree::kRoot);
  // A null or array root reads into the node's first child (made for it).
  CSerializationInfo* target =
      kind == CJsonTree::Kind::kNull || kind == CJsonTree::Kind::kArray ? node->GetOrAddChild() : node;
  if (kind != CJsonTree::Kind::kArray && kind != CJsonTree::Kind::kObject) return true;
  std::vector<uint32_t> members;
  doc.GetMembers(CJsonTree::kRoot, &members);
  bool first = true;
  for (uint32_t member : members) {
    if (doc.IsComposite(member)) {
      if (!first) target = target->AppendSibling();
      Fill(doc, member, target);
    } else {
      AddScalar(target, doc, member);
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
