#include "foundation/XmlCfg.h"

#include <errno.h>

#include <algorithm>
#include <set>

#include "foundation/FileUtil.h"
#include "foundation/Log.h"
#include "foundation/StrList.h"
#include "foundation/StringUtil.h"
#include "foundation/XmlParser.h"
#include "platform/AtomicFile.h"

namespace {

// What the store may take while reading a document of N bytes: its tokens and
// counters, counted as allocated. A plain document of small records needs
// about 4 x N, one of records whose names repeat (each key then distinct and
// indexed) about 7 x N; the tree the parser keeps meanwhile holds only the
// open elements. So the store may take 8 x N + 1 MiB, and never more than
// 4 x N + 15 MiB: a text of nested tags of a few MiB stops near the size of a
// plain document's store rather than at many times it.
size_t StoreLimit(size_t text_size) {
  return std::min(8 * text_size + (size_t{1} << 20), 4 * text_size + (size_t{15} << 20));
}
// An index entry of a new name, a repeat counter.
constexpr size_t kIndexEntryCost = 64;
constexpr size_t kCounterCost = 96;

// What a text costs beyond its string object: its heap block, when it has one.
size_t HeapCost(const std::string& text) { return text.capacity() > 15 ? text.capacity() + 1 + 16 : 0; }

// The element text without trailing, then leading, CR, LF and tabs (blanks stay).
void TrimLineBreaksAndTabs(std::string* text) {
  size_t end = text->find_last_not_of("\r\n\t");
  if (end == std::string::npos) {
    text->clear();
    return;
  }
  text->erase(end + 1);
  text->erase(0, text->find_first_not_of("\r\n\t"));
}

// The last element of a key: the text between its last two '$' (the whole key
// is examined, however long).
std::string_view LastTag(std::string_view key) {
  size_t last = key.rfind('$');
  if (last == std::string_view::npos) return key;
  size_t before = last == 0 ? std::string_view::npos : key.rfind('$', last - 1);
  if (before == std::string_view::npos) return key.substr(0, last);
  return key.substr(before + 1, last - before - 1);
}

// Whether the writer can write `name` as an element name that reads back as
// itself: it starts like a name and holds no byte that ends a name (blanks,
// control bytes, '/', '>').
bool IsWritableName(std::string_view name) {
  if (name.empty()) return false;
  unsigned char first = static_cast<unsigned char>(name[0]);
  if (!((first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z') || first == '_' || first == ':' ||
        first >= 0x80)) {
    return false;
  }
  for (char c : name) {
    if (static_cast<unsigned char>(c) <= ' ' || c == '/' || c == '>') return false;
  }
  return true;
}

// Builds the tokens while the parser reads: a token when an element starts
// (its key needs only the open elements' keys), its text when it closes, so
// the document's tree is never held whole. Bounds the key length and the
// store's size; past either the parse stops with an error.
class Flattener : public XmlElementSink {
 public:
  Flattener(CTokenList* tokens, std::map<std::string, int>* counters, const CStrList* repeated, size_t limit)
      : tokens_(tokens), counters_(counters), limit_(limit) {
    if (repeated) repeated_.insert(repeated->Items().begin(), repeated->Items().end());
  }

  std::string Started(const XmlElement& element) override {
    std::string_view parent_key = open_.empty() ? std::string_view() : Key(open_.back().position);
    if (element.name.size() >= kXmlCfgMaxKeyLength) return "key too long <" + element.name + ">";
    int n = 0;
    if (repeated_.count(element.name)) {
      auto [it, added] = counters_->try_emplace(JoinKeyPath(parent_key, element.name), 0);
      n = ++it->second;
      if (added && !Take(kCounterCost + it->first.size())) return "document too large";
    }
    const std::string last = MakeIndexedKey(element.name, n);
    std::string key;
    key.reserve(parent_key.size() + last.size());  // one allocation, no spare room
    key.append(parent_key).append(last);
    if (key.size() > kXmlCfgMaxKeyLength) return "key too long <" + element.name + ">";
    size_t cost = sizeof(CToken) + HeapCost(key);
    const size_t names = tokens_->GetNameCount();
    open_.push_back({&element, static_cast<size_t>(tokens_->GetCount())});
    tokens_->Add(std::move(key), std::string());
    if (tokens_->GetNameCount() != names) cost += kIndexEntryCost;
    return Take(cost) ? std::string() : "document too large";
  }

  std::string Ended(XmlElement& element) override {
    size_t position = open_.back().position;
    open_.pop_back();
    TrimLineBreaksAndTabs(&element.text);
    element.text.shrink_to_fit();
    if (!Take(HeapCost(element.text))) return "document too large";
    tokens_->SetValueAt(position, std::move(element.text));
    return std::string();
  }

  // After the parse: the elements still open (the text broke off inside them)
  // keep the text read so far.
  void Finish() {
    for (const Open& open : open_) {
      std::string text = open.element->text;
      TrimLineBreaksAndTabs(&text);
      tokens_->SetValueAt(open.position, std::move(text));
    }
    open_.clear();
  }

 private:
  struct Open {
    const XmlElement* element;
    size_t position;  // of its token
  };

  std::string_view Key(size_t position) const { return tokens_->GetTokens()[position].GetName(); }
  bool Take(size_t bytes) {
    used_ += bytes;
    return used_ <= limit_;
  }

  CTokenList* tokens_;
  std::map<std::string, int>* counters_;
  std::set<std::string, std::less<>> repeated_;
  std::vector<Open> open_;
  const size_t limit_;
  size_t used_ = 0;
};

}  // namespace

void CXmlCfg::Clear() {
  tokens_.RemoveAll();
  open_.clear();
  repeat_counters_.clear();
}

bool CXmlCfg::ToCfg(std::string_view xml, const CStrList* repeated) {
  Clear();
  Flattener flattener(&tokens_, &repeat_counters_, repeated, StoreLimit(xml.size()));
  std::unique_ptr<XmlDocument> doc = XmlParseText(xml, &flattener);
  flattener.Finish();
  if (doc->root.name.empty()) {
    GATE_LOG(1, "ERROR - Not found tag name from xml.\r\n");
    Clear();
    return false;
  }
  if (!doc->error.empty()) GATE_LOG(1, "ERROR - Malformed xml %s; what came before it is kept.\r\n", doc->error.c_str());
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
  bool whole = true;
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
    std::string tag(LastTag(key));
    if (key.size() > kXmlCfgMaxKeyLength || !IsWritableName(std::string_view(tag).substr(0, tag.find('%')))) {
      // Written, it would not read back (or not as XML at all).
      GATE_LOG(1, "ERROR - Key '%.256s' is too long or names no element; it is not written.\r\n", key.c_str());
      whole = false;
      continue;
    }
    close_while([&](const std::string& top) { return StrStartsWithNoCase(key, top); });
    out->append(open_.size(), '\t');
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
  return whole;
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
