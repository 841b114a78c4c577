#include "foundation/TokenList.h"

#include "foundation/StrList.h"

namespace {

const std::string& EmptyValue() {
  static const std::string* empty = new std::string();  // never destroyed
  return *empty;
}

}  // namespace

CTokenList::CTokenList(const CStrList& list, std::string_view separator) {
  CStrList pieces;
  for (const std::string& text : list.Items()) {
    if (pieces.Split(text, separator) == 0) continue;
    Add(pieces.GetAt(0), pieces.GetAt(1));
  }
}

bool CTokenList::Add(std::string name, std::string value) {
  values_.insert_or_assign(name, value);
  tokens_.emplace_back(std::move(name), std::move(value));
  return true;
}

bool CTokenList::Lookup(std::string_view name, std::string* value) const {
  auto it = values_.find(name);
  if (it == values_.end()) return false;
  if (value) *value = it->second;
  return true;
}

const std::string& CTokenList::GetValue(std::string_view name) const {
  auto it = values_.find(name);
  return it == values_.end() ? EmptyValue() : it->second;
}

void CTokenList::RemoveAll() {
  tokens_.clear();
  values_.clear();
}
