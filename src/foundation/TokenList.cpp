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

CTokenList::CTokenList(const CTokenList& other) {
  for (const CToken& token : other.tokens_) Add(token.name_, token.value_);
}

CTokenList& CTokenList::operator=(const CTokenList& other) {
  if (this != &other) {
    RemoveAll();
    for (const CToken& token : other.tokens_) Add(token.name_, token.value_);
  }
  return *this;
}

bool CTokenList::Add(std::string name, std::string value) {
  const CToken& token = tokens_.emplace_back(std::move(name), std::move(value));
  index_.insert_or_assign(std::string_view(token.name_), &token);
  return true;
}

void CTokenList::SetValueAt(size_t position, std::string value) {
  if (position < tokens_.size()) tokens_[position].value_ = std::move(value);
}

bool CTokenList::Lookup(std::string_view name, std::string* value) const {
  auto it = index_.find(name);
  if (it == index_.end()) return false;
  if (value) *value = it->second->value_;
  return true;
}

const std::string& CTokenList::GetValue(std::string_view name) const {
  auto it = index_.find(name);
  return it == index_.end() ? EmptyValue() : it->second->value_;
}

void CTokenList::RemoveAll() {
  index_.clear();
  tokens_.clear();
}
