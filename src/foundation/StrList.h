// CStrList: a list of texts taken apart from, or joined into, one text with a
// separator string. Not guarded: a list belongs to one thread at a time.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class CStrList {
 public:
  CStrList() = default;
  virtual ~CStrList() = default;

  // Replaces the items with the non-empty pieces of `text` between whole,
  // non-overlapping occurrences of `separator` (byte-wise, case-sensitive;
  // nothing trimmed). An empty separator gives the whole text as one item
  // when it is not empty. Returns the item count.
  int Split(std::string_view text, std::string_view separator);
  // The items joined: `separator` goes before an item whenever the text built
  // so far is not empty. The list is unchanged.
  std::string Join(std::string_view separator) const;

  int GetCount() const { return static_cast<int>(items_.size()); }
  // The item at `index`, or an empty text (valid for the process' life) when
  // the index is outside the list.
  const std::string& GetAt(int index) const;
  void Add(std::string text) { items_.push_back(std::move(text)); }
  void RemoveAll() { items_.clear(); }

  const std::vector<std::string>& Items() const { return items_; }

 private:
  std::vector<std::string> items_;
};
