// The serialization tree: every record that is stored in a file, posted over
// HTTP or read from a server document writes its values into a
// CSerializationInfo node (nested records and lists into child nodes), and a
// text form (CJsonSerializer, CXmlSerializer) turns the tree into text and
// back. The tree holds names and texts only. A tree belongs to the thread
// that builds or reads it; nodes have no locks.
#pragma once

#include <stdint.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <string_view>
#include <utility>
#include <vector>

class CSerializationInfo;

// A record that writes itself to and reads itself from a tree node.
class CSerializable {
 public:
  // The record's element name, a constant text ("AIEventItem", a table name).
  virtual const char* GetTypeName() const = 0;
  // Names the node after GetTypeName and adds the record's values, nested
  // records and lists. A list sets the node's array flag and adds one child
  // per item (GetOrAddChild, then AppendSibling on the previous item's node).
  virtual void Serialize(CSerializationInfo& node) const = 0;
  // Reads the record back from a node built by a reader: values by their
  // lower-case names, the getters' defaults for absent ones.
  virtual void Deserialize(const CSerializationInfo& node) = 0;
  virtual ~CSerializable() = default;
};

class CSerializationInfo {
 public:
  using Value = std::pair<std::string, std::string>;  // name, text

  // An empty root: no name, no values, no links, depth 0, array flag 0.
  CSerializationInfo() = default;
  // Frees the first child (with its chain) and, on the first node of a chain,
  // every node after it. Iterative along chains.
  virtual ~CSerializationInfo();
  CSerializationInfo(const CSerializationInfo&) = delete;
  CSerializationInfo& operator=(const CSerializationInfo&) = delete;

  const std::string& GetName() const { return name_; }
  void SetName(std::string_view name) { name_.assign(name); }
  // Set by a record on a node that holds a list; only the JSON writer reads it.
  bool IsArray() const { return array_ != 0; }
  void SetArray(bool array) { array_ = array ? 1 : 0; }
  int GetDepth() const { return depth_; }

  CSerializationInfo* GetParent() const { return parent_; }
  CSerializationInfo* GetFirstChild() const { return first_child_; }
  CSerializationInfo* GetNextSibling() const { return next_; }
  CSerializationInfo* GetPreviousSibling() const { return previous_; }

  // Each appends one value; a name may be added more than once; an empty text
  // is still a value. Numbers in the C locale.
  void AddValue(std::string_view name, std::string_view text);
  // The same, taking the strings (a reader that built them gives them up).
  void TakeValue(std::string name, std::string text);
  // Makes room for `count` more values, for a reader that knows how many come.
  void ReserveValues(size_t count) { values_.reserve(values_.size() + count); }
  void AddInt(std::string_view name, int32_t value);      // "%d"
  void AddUInt(std::string_view name, uint32_t value);    // "%u"
  void AddInt64(std::string_view name, int64_t value);    // "%I64d"
  void AddDouble(std::string_view name, double value);    // "%f"
  void AddFloat(std::string_view name, float value);      // "%g"
  // The value "LoopCount" as "%u".
  void SetLoopCount(uint32_t count) { AddUInt("LoopCount", count); }

  // The getters read the first value added under a name (exact,
  // case-sensitive). Position of that value in the value list; -1 when absent.
  int IndexOf(std::string_view name) const;
  // The text; "" when absent.
  const std::string& GetValue(std::string_view name) const;
  // The text; `fallback` when absent.
  std::string GetValue(std::string_view name, std::string_view fallback) const;
  // Leading decimal number (blanks, sign, digits; clamped to the type's
  // limits); 0 when absent or no number.
  int32_t GetInt(std::string_view name) const;
  int64_t GetInt64(std::string_view name) const;
  // Leading floating-point number, 0 when none; `fallback` when absent.
  double GetFloat(std::string_view name, double fallback = 0) const;
  // True only when the text is exactly "1".
  bool GetBool(std::string_view name) const;

  // The values as (name, text) in the order added, whatever their names.
  const std::vector<Value>& GetOrderedValues() const { return values_; }
  int GetValueCount() const { return static_cast<int>(values_.size()); }
  // The text at a position from IndexOf; "" outside the list.
  const std::string& GetValueAt(int position) const;
  bool HasValues() const { return !values_.empty(); }

  // The first child; made (parent = this, depth + 1) when there is none.
  CSerializationInfo* GetOrAddChild();
  // Makes a node at the end of this node's chain: right after this node when
  // it has no next sibling, else after the node this node's chain tail
  // designates (the last one appended through this node). The new node takes
  // this node's parent and depth and becomes the tail. Grow a chain either
  // through its last node each time or through its first node each time.
  CSerializationInfo* AppendSibling();

 private:
  std::string name_;
  std::vector<Value> values_;
  // Name -> position of its first value; built only once a node holds more
  // than kScanLimit values (smaller nodes are scanned). Open addressing over
  // the positions alone (position + 1, 0 for a free slot; at most half full),
  // the names staying in values_: a node of many values costs no allocation
  // or copy of a name per value.
  static constexpr size_t kScanLimit = 16;
  void IndexValue(int position);
  std::vector<int> first_index_;
  CSerializationInfo* previous_ = nullptr;
  CSerializationInfo* next_ = nullptr;  // owned by the chain's first node
  CSerializationInfo* tail_ = nullptr;  // last node appended through this node
  CSerializationInfo* first_child_ = nullptr;  // owned
  CSerializationInfo* parent_ = nullptr;
  int depth_ = 0;
  int array_ = 0;
};

// The list patterns every record follows. Items are records, or shared
// pointers to records.
namespace serialization_detail {
template <typename T>
struct IsSharedPtr : std::false_type {};
template <typename T>
struct IsSharedPtr<std::shared_ptr<T>> : std::true_type {};

template <typename T>
const CSerializable& Record(const T& item) {
  if constexpr (IsSharedPtr<T>::value) {
    return *item;
  } else {
    return item;
  }
}
}  // namespace serialization_detail

// A list record's items under `node`: the first into its first child, each
// further one into a node appended after the previous item's node.
template <typename Items>
void SerializeItems(CSerializationInfo& node, const Items& items) {
  CSerializationInfo* item_node = nullptr;
  for (const auto& item : items) {
    item_node = item_node ? item_node->AppendSibling() : node.GetOrAddChild();
    serialization_detail::Record(item).Serialize(*item_node);
  }
}

// A list inside a record: when not empty, the record's first child named
// `name`, with the array flag, holding the items. An empty list leaves no trace.
template <typename Items>
void SerializeNamedList(CSerializationInfo& node, std::string_view name, const Items& items) {
  if (items.empty()) return;
  CSerializationInfo* list = node.GetOrAddChild();
  list->SetName(name);
  list->SetArray(true);
  SerializeItems(*list, items);
}

// Appends one item per node under `node` (its first child and that child's
// next siblings), each read by the item's Deserialize.
template <typename Items>
void DeserializeItems(const CSerializationInfo& node, Items* items) {
  using Item = typename Items::value_type;
  for (const CSerializationInfo* n = node.GetFirstChild(); n; n = n->GetNextSibling()) {
    if constexpr (serialization_detail::IsSharedPtr<Item>::value) {
      auto item = std::make_shared<typename Item::element_type>();
      item->Deserialize(*n);
      items->push_back(std::move(item));
    } else {
      Item item;
      item.Deserialize(*n);
      items->push_back(std::move(item));
    }
  }
}

// The list inside a record: the record's first child when its name equals
// `name` without regard to case; null (an empty list) otherwise.
const CSerializationInfo* FindListChild(const CSerializationInfo& node, std::string_view name);
