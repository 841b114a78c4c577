// CTokenList: an ordered list of name/value tokens with a name index (a later
// token of the same name wins). It holds the keys of CXmlCfg and the
// parameters of query strings. Each name and value is stored once: the index
// points into the tokens, which never move. Not guarded: a list belongs to one
// thread at a time, or is only read once filled.
#pragma once

#include <stddef.h>

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

class CStrList;

class CToken {
 public:
  CToken(std::string name, std::string value) : name_(std::move(name)), value_(std::move(value)) {}
  ~CToken() = default;  // not virtual: no class derives from it, and a store holds millions
  CToken(const CToken&) = default;
  CToken& operator=(const CToken&) = default;
  CToken(CToken&&) = default;
  CToken& operator=(CToken&&) = default;

  const std::string& GetName() const { return name_; }
  const std::string& GetValue() const { return value_; }

 private:
  friend class CTokenList;
  std::string name_;
  std::string value_;
};

class CTokenList {
 public:
  CTokenList() = default;
  // One token per text of `list`: the name is its first piece and the value
  // its second piece (empty when there is none; further pieces are ignored),
  // pieces being the non-empty runs between occurrences of `separator`. A
  // text made only of separators gives no token.
  CTokenList(const CStrList& list, std::string_view separator);
  virtual ~CTokenList() = default;
  CTokenList(const CTokenList& other);
  CTokenList& operator=(const CTokenList& other);
  CTokenList(CTokenList&&) = default;  // a deque's elements keep their place when it moves
  CTokenList& operator=(CTokenList&&) = default;

  // Appends a token and makes it the one its name finds. Always true.
  bool Add(std::string name, std::string value);
  // Replaces the value of the token at `position` (nothing outside the list).
  void SetValueAt(size_t position, std::string value);
  // Whether the name is present (exact, case-sensitive), and its value.
  bool Lookup(std::string_view name, std::string* value) const;
  // The value of the name; a process-wide empty text when absent.
  const std::string& GetValue(std::string_view name) const;
  // The tokens in the order added.
  const std::deque<CToken>& GetTokens() const { return tokens_; }
  int GetCount() const { return static_cast<int>(tokens_.size()); }
  // How many distinct names the tokens have.
  size_t GetNameCount() const { return index_.size(); }
  void RemoveAll();

 private:
  std::deque<CToken> tokens_;
  // Name (a view of the token's own name) -> the last token of that name.
  std::unordered_map<std::string_view, const CToken*> index_;
};
