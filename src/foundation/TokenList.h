// CTokenList: an ordered list of name/value tokens with a name -> value map
// (a later token of the same name wins). It holds the keys of CXmlCfg and the
// parameters of query strings. Not guarded: a list belongs to one thread at a
// time, or is only read once filled.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

class CStrList;

class CToken {
 public:
  CToken(std::string name, std::string value) : name_(std::move(name)), value_(std::move(value)) {}
  virtual ~CToken() = default;

  const std::string& GetName() const { return name_; }
  const std::string& GetValue() const { return value_; }

 private:
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

  // Appends a token and sets the map entry of the name. Always true.
  bool Add(std::string name, std::string value);
  // Whether the name is present (exact, case-sensitive), and its value.
  bool Lookup(std::string_view name, std::string* value) const;
  // The value of the name; a process-wide empty text when absent.
  const std::string& GetValue(std::string_view name) const;
  // The tokens in the order added.
  const std::vector<CToken>& GetTokens() const { return tokens_; }
  int GetCount() const { return static_cast<int>(tokens_.size()); }
  void RemoveAll();

 private:
  std::vector<CToken> tokens_;
  std::map<std::string, std::string, std::less<>> values_;
};
