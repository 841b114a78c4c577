// CJsonTree: a JSON text read into a flat list of values in document
// order, each object or array followed by its members and knowing the index
// past its last one. It reads as JsonCpp's reader with its default settings
// did before it (and as the tests check against it): comments, trailing
// commas, a leading byte-order mark and a '+' before a number are accepted,
// text after the root value is ignored, values nest at most 1,000 deep; the
// same numbers, escapes and error messages. An object's members are handed
// out in byte order of their names, of equal names only the last.
//
// Linear in time (sorting an object's members aside); about 32 bytes per
// value plus the decoded texts of strings with escapes and of numbers whose
// text changes. A document belongs to one thread.
#pragma once

#include <stdint.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

class CJsonTree {
 public:
  enum class Kind : uint8_t { kNull, kBool, kNumber, kString, kArray, kObject };

  // Reads `text`, which must outlive the document (values may point into it).
  // False when the text is no JSON: `error` then holds the message as
  // "* Line L, Column C\n  <what>\n" (or the nesting limit's text), and the
  // document is empty.
  bool Parse(std::string_view text, std::string* error);
  // Makes room for `values` values, so that a caller that has counted them
  // spares the list its growth (a guess too small only costs that growth).
  void Reserve(size_t values) { items_.reserve(std::min<size_t>(values, UINT32_MAX)); }

  bool Empty() const { return items_.empty(); }
  // The root value is the first.
  static constexpr uint32_t kRoot = 0;
  Kind GetKind(uint32_t i) const { return items_[i].kind; }
  // Null, arrays and objects: what becomes a node, not a value, of a tree.
  bool IsComposite(uint32_t i) const {
    Kind kind = items_[i].kind;
    return kind == Kind::kNull || kind == Kind::kArray || kind == Kind::kObject;
  }
  // The member name; "" for an array element and the root.
  std::string_view GetName(uint32_t i) const { return View(items_[i].name, items_[i].nameLength); }
  // A scalar's text: a string decoded, a number in decimal (a real as
  // "%.18g"), true "1", false "0". "" for composites.
  std::string_view GetText(uint32_t i) const { return View(items_[i].text, items_[i].textLength); }
  // The members of an array (in order) or an object (sorted by name, the last
  // of equal names only) into `out`; nothing for other values.
  void GetMembers(uint32_t i, std::vector<uint32_t>* out) const;

 private:
  // Where a text lies: an offset into the input, or with kInArena into arena_.
  static constexpr uint64_t kInArena = uint64_t{1} << 63;
  struct Item {
    uint64_t name = 0;
    uint64_t text = 0;
    uint32_t nameLength = 0;
    uint32_t textLength = 0;
    uint32_t end = 0;  // index past this value's members
    Kind kind = Kind::kNull;
  };
  std::string_view View(uint64_t where, uint32_t length) const {
    const char* base = (where & kInArena) ? arena_.data() : input_.data();
    return std::string_view(base + (where & ~kInArena), length);
  }
  friend class CJsonTreeReader;

  std::string_view input_;
  std::string arena_;
  std::vector<Item> items_;
};
