#include "foundation/XmlCfg.h"

#include <errno.h>

#include <set>

#include "foundation/FileUtil.h"
#include "foundation/Log.h"
#include "foundation/StrList.h"
#include "foundation/StringUtil.h"
#include "foundation/XmlParser.h"
#include "platform/AtomicFile.h"

namespace {

// Only this many characters of a key are examined for its last element.
constexpr size_t kKeyExamined = 4094;

// The element text without trailing, then leading, CR, LF and tabs (blanks stay).
std::string TrimLineBreaksAndTabs(const std::string& text) {
  size_t end = text.find_last_not_of("\r\n\t");
  if (end == std::string::npos) return "";
  size_t begin = text.find_first_not_of("\r\n\t");
  return text.substr(begin, end + 1 - begin);
}

// The last element of a key: the text between its last two '$'.
std::string LastTag(std::string_view key) {
  key = key.substr(0, kKeyExamined);
  size_t last = key.rfind('$');
  if (last == std::string_view::npos) return std::string(key);
  size_t before = last == 0 ? std::string_view::npos : key.rfind('$', last - 1);
  if (before == std::string_view::npos) return std::string(key.substr(0, last));
  return std::string(key.substr(before + 1, last - before - 1));
}

class Flattener {
 public:
  Flattener(CTokenList* tokens, std::map<std::string, int>* counters, const CStrList* repeated)
      : tokens_(tokens), counters_(counters) {
    if (repeated) repeated_.insert(repeated->Items().begin(), repeated->Items().end());
  }

  void Element(const XmlElement& element, const std::string& parent_key) {
    int n = 0;
    if (repeated_.count(element.name)) n = ++(*counters_)[JoinKeyPath(parent_key, element.name)];
    std::string key = parent_key;
    key.append(MakeIndexedKey(element.name, n));
    tokens_->Add(key, TrimLineBreaksAndTabs(element.text));
    for (const auto& child : element.children) Element(*child, key);
  }

 private:
  CTokenList* tokens_;
  std::map<std::string, int>* counters_;
  std::set<std::string, std::less<>> repeated_;
};

}  // namespace

void CXmlCfg::Clear() {
  tokens_.RemoveAll();
  open_.clear();
  repeat_counters_.clear();
}

bool CXmlCfg::ToCfg(std::string_view xml, const CStrList* repeated) {
  Clear();
  std::unique_ptr<XmlDocument> doc = XmlParseText(xml);
  if (doc->root.name.empty()) {
    GATE_LOG(1, "ERROR - Not found tag name from xml.\r\n");
    Clear();
    return false;
  }
  if (!doc->error.empty()) GATE_LOG(1, "ERROR - Malformed xml %s; what came before it is kept.\r\n", doc->error.c_str());
  Flattener(&tokens_, &repeat_counters_, repeated).Element(doc->root, "");
  return true;
}

bool CXmlCfg::ToCfgCore(const std::string& path, const CStrList* repeated) {
  std::string text;
  if (!ReadWholeFile(path, &text)) {
    GATE_LOG(1, "ERROR - Error raised when read '%s' xml.\r\n", path.c_str());
    return false;
  }
  GATE_LOG_DEFAULT("INFO - Try parse '%s' xml.\r\n", path.c_str());
  return ToCfg(text, repeated);
}

bool CXmlCfg::Load(const std::string& path, const CStrList* repeated) {
  if (!path.empty()) path_ = path;
  return ToCfgCore(path_, repeated);
}

int CXmlCfg::GetCount(std::string_view key) const {
  auto it = repeat_counters_.find(std::string(key));
  return it == repeat_counters_.end() ? 0 : it->second;
}

bool CXmlCfg::Save(const std::string& path) { return ToXml2Core(path.empty() ? path_ : path); }

bool CXmlCfg::ToXml2Core(const std::string& path) {
  if (path.empty()) return false;
  std::string text;
  ToXml2(&text);
  if (!FileWrite(path, text)) {
    GATE_LOG(1, "ERROR - Error raised when write to '%s' file.\r\n", path.c_str());
    return false;
  }
  return true;
}

bool CXmlCfg::ToXml2(std::string* out) {
  out->clear();
  open_.clear();
  bool at_line_start = false;
  auto close_while = [&](auto still_open) {
    while (!open_.empty() && !still_open(open_.back().key)) {
      std::string tag = std::move(open_.back().tag);
      open_.pop_back();
      if (at_line_start) out->append(open_.size(), '\t');
      out->append("</").append(tag.substr(0, tag.find('%'))).append(">\r\n");
      at_line_start = true;
    }
  };
  for (const CToken& token : tokens_.GetTokens()) {
    const std::string& key = token.GetName();
    close_while([&](const std::string& top) { return StrStartsWithNoCase(key, top); });
    out->append(open_.size(), '\t');
    std::string tag = LastTag(key);
    out->append("<").append(tag.substr(0, tag.find('%'))).append(">");
    open_.push_back({key, std::move(tag)});
    std::string value = StrTrim(token.GetValue());
    if (!value.empty()) {
      out->append(XmlEscape(value));
      at_line_start = false;
    } else {
      out->append("\r\n");
      at_line_start = true;
    }
  }
  close_while([](const std::string&) { return false; });
  return true;
}

bool CXmlCfg::FileWrite(const std::string& path, std::string_view bytes) {
  std::string error;
  errno = 0;
  if (platform::WriteFileAtomically(path, std::string(bytes), &error)) return true;
  unsigned code = static_cast<unsigned>(errno);
  if (error.rfind("cannot create", 0) == 0) {
    GATE_LOG(1, "ERROR - Error raised when create '%s' file. the error is %u\r\n", path.c_str(), code);
  } else {
    GATE_LOG(1, "ERROR - Error raised when write to '%s' file. the error is %u\r\n", path.c_str(), code);
  }
  return false;
}

std::string MakeKey(std::string_view name) { return MakeIndexedKey(name, 0); }

std::string MakeIndexedKey(std::string_view name, int n) {
  std::string key;
  key.reserve(name.size() + 16);
  key.push_back('$');
  key.append(name);
  if (n > 0) {
    key.push_back('%');
    key.append(std::to_string(n));
  }
  key.push_back('$');
  return key;
}

std::string JoinKeyPath(std::string_view key, std::string_view name) {
  std::string path(key);
  if (!name.empty() && name[0] == '$') {
    path.append(name);
  } else {
    path.append(MakeKey(name));
  }
  return path;
}
