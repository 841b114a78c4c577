// CXmlCfg: an XML document flattened into path keys with their texts, and
// written back from them. The key of an element is its parent's key followed
// by "$" + name + "$" ("$Hidden$$Debug$$UseLogFile$"); an element whose name is
// in the caller's list of repeated names gets "$" + name + "%" + n + "$", n
// counting such elements under the same parent from 1. Keys compare exactly.
//
// A store has no lock: make one per call, or fill it once and only read it.
#pragma once

#include <stddef.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/TokenList.h"

class CStrList;

// The longest key the store reads or writes, in bytes.
constexpr size_t kXmlCfgMaxKeyLength = 4096;

class CXmlCfg {
 public:
  CXmlCfg() = default;
  virtual ~CXmlCfg() = default;
  CXmlCfg(const CXmlCfg&) = delete;
  CXmlCfg& operator=(const CXmlCfg&) = delete;

  // Empties the tokens and the repeat counters (the remembered path stays).
  void Clear();
  // Replaces the content with the flattened document. False, with the log line
  // "ERROR - Not found tag name from xml." and an empty store, when the text has
  // no root element; a document broken after its root tag keeps what was read
  // (logged "ERROR - Malformed xml ..."). Reading is bounded: a key longer than
  // kXmlCfgMaxKeyLength ("key too long") or a store past 8 x the text's size
  // + 1 MiB, and at most 4 x its size + 15 MiB ("document too large"), ends it
  // the same way. Linear in the text's size.
  bool ToCfg(std::string_view xml, const CStrList* repeated = nullptr);
  // Reads the whole file (up to its first zero byte) and calls ToCfg. False,
  // with a log line and the store unchanged, when the file is missing,
  // unreadable or empty.
  bool ToCfgCore(const std::string& path, const CStrList* repeated = nullptr);
  // Remembers `path` when it is not empty, then ToCfgCore on the remembered path.
  bool Load(const std::string& path = "", const CStrList* repeated = nullptr);

  // Whether the key is present, and its text.
  bool Lookup(std::string_view key, std::string* value) const { return tokens_.Lookup(key, value); }
  // The key's text, or "" when absent.
  const std::string& GetValue(std::string_view key) const { return tokens_.GetValue(key); }
  // How many elements of a repeated name lie under a parent, asked as parent
  // key + "$" + name + "$"; 0 when none.
  int GetCount(std::string_view key) const;

  // Appends a token (a caller that builds a store to save).
  bool Add(std::string key, std::string value) { return tokens_.Add(std::move(key), std::move(value)); }
  const CTokenList& GetTokens() const { return tokens_; }
  const std::string& GetPath() const { return path_; }

  // Writes the tokens as XML to `path`, or to the remembered path when empty.
  bool Save(const std::string& path = "");
  // Writes the tokens as XML to `path` (temporary file, flush, rename: the old
  // file stays whole on failure). False for an empty path (without a log
  // line) and when writing fails (logged).
  bool ToXml2Core(const std::string& path);
  // The XML text of the tokens: tab indentation, CR LF line ends, values
  // trimmed and escaped, no declaration. A token whose key is longer than
  // kXmlCfgMaxKeyLength or whose last element is no element name (empty, or
  // holding blanks, control bytes, '/' or '>') is left out with a log line, and the result is then false; the text always reads back.
  bool ToXml2(std::string* out);
  // Replaces the file with the bytes through a temporary file in the same
  // folder; false (logged) when it cannot be created, written or flushed.
  bool FileWrite(const std::string& path, std::string_view bytes);

 private:
  struct OpenElement {
    std::string key;
    std::string tag;
  };

  CTokenList tokens_;
  std::vector<OpenElement> open_;               // scratch stack of the writer
  std::map<std::string, int> repeat_counters_;  // parent key + "$" + name + "$" -> count
  std::string path_;
};

// "$name$".
std::string MakeKey(std::string_view name);
// "$name%n$" when n is above 0, else MakeKey(name).
std::string MakeIndexedKey(std::string_view name, int n);
// The key followed by "$name$", or by the name itself when it begins with "$".
std::string JoinKeyPath(std::string_view key, std::string_view name);
