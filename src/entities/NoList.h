// CNoList: a list of numbers without repeats, in the order they were added,
// with an index from each number to its position. Not guarded: its owner
// holds a lock around it.
#pragma once

#include <map>
#include <string>
#include <vector>

class CNoList {
 public:
  CNoList() = default;
  virtual ~CNoList() = default;

  // Appends `no` and returns true; false, with nothing changed, when it is
  // already in the list.
  bool Add(int no);
  void Clear();
  const std::vector<int>& GetItems() const { return items_; }

 private:
  std::vector<int> items_;
  std::map<int, int> positions_;  // number -> index into items_
};

// The numbers above 0 joined for a list column: the first "%d", each further
// one ",%d"; "" when none.
std::string FormatNoList(const std::vector<int>& numbers);
// The numbers of a list column: the pieces between "," (empty pieces dropped,
// nothing trimmed), each read like atol, those above 0 kept at their first
// appearance.
void ParseNoList(const std::string& text, CNoList* list);
