#include "entities/NoList.h"

#include <cstdlib>

#include "foundation/StrList.h"
#include "foundation/StringUtil.h"

bool CNoList::Add(int no) {
  if (positions_.count(no) != 0) return false;
  items_.push_back(no);
  positions_[no] = static_cast<int>(items_.size()) - 1;
  return true;
}

void CNoList::Clear() {
  positions_.clear();
  items_.clear();
}

std::string FormatNoList(const std::vector<int>& numbers) {
  std::string text;
  for (int no : numbers) {
    if (no <= 0) continue;
    text += StrFormat(text.empty() ? "%d" : ",%d", no);
  }
  return text;
}

void ParseNoList(const std::string& text, CNoList* list) {
  list->Clear();
  CStrList pieces;
  pieces.Split(text, ",");
  for (const std::string& piece : pieces.Items()) {
    // A 32-bit atol: a number past the int range saturates.
    long value = std::atol(piece.c_str());
    if (value > 0x7fffffffL) value = 0x7fffffffL;
    if (value > 0) list->Add(static_cast<int>(value));
  }
}
