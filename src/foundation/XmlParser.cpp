#include "foundation/XmlParser.h"

#include <stdint.h>
#include <stdio.h>

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "foundation/StringUtil.h"

namespace {

constexpr size_t npos = std::string::npos;
constexpr size_t kErrorMax = 127;
// Bytes that internal-DTD entities may add to one document beyond its literal
// text (predefined entities are free): enough for any real document, far below
// what a "billion laughs" declaration asks for, and the same for every size.
constexpr size_t kExpansionBudget = size_t{1} << 20;
// What an element costs the tree besides its name, attributes and text.
constexpr size_t kElementCost = sizeof(XmlElement);
constexpr size_t kPredefinedEntities = 5;
constexpr const char* kXmlSpace = "\t\r\n ";

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
// Whitespace as the C library sees it (attribute values turn all of it into blanks).
bool IsAnySpace(char c) { return IsXmlSpace(c) || c == '\v' || c == '\f'; }
bool IsNameStart(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':' || u >= 0x80;
}

enum class Mode { kText, kCdata, kAttribute, kToken, kParameter };

// UTF-16 (after its two-byte mark) to UTF-8; an odd last byte is dropped.
std::string Utf16ToUtf8(std::string_view text, bool big_endian) {
  std::u16string units;
  units.reserve(text.size() / 2);
  for (size_t i = 2; i + 1 < text.size(); i += 2) {
    uint8_t a = static_cast<uint8_t>(text[i]);
    uint8_t b = static_cast<uint8_t>(text[i + 1]);
    units.push_back(static_cast<char16_t>(big_endian ? (a << 8 | b) : (b << 8 | a)));
  }
  return ::Utf16ToUtf8(units);
}

// A character reference at text[pos] ("&#" digits ";" or "&#x" hex digits
// ";"). Returns its length, 0 when it is none (no digits, no ';', value 0 or
// above 2^31 - 1).
size_t ParseCharRef(std::string_view text, size_t pos, uint32_t* value) {
  size_t i = pos + 2;
  bool hex = i < text.size() && text[i] == 'x';
  if (hex) ++i;
  uint64_t v = 0;
  size_t digits = 0;
  for (; i < text.size(); ++i, ++digits) {
    int d = HexDigitValue(text[i]);
    if (d < 0 || (!hex && d > 9)) break;
    v = v * (hex ? 16 : 10) + static_cast<uint64_t>(d);
    if (v > 0x7FFFFFFF) return 0;
  }
  if (digits == 0 || v == 0 || i >= text.size() || text[i] != ';') return 0;
  *value = static_cast<uint32_t>(v);
  return i + 1 - pos;
}

size_t SkipSpace(std::string_view text, size_t pos) {
  while (pos < text.size() && IsXmlSpace(text[pos])) ++pos;
  return pos;
}

bool StartsWith(std::string_view text, size_t pos, std::string_view prefix) {
  return pos <= text.size() && text.substr(pos, prefix.size()) == prefix;
}

// Removes leading and trailing blanks and collapses runs of blanks to one.
void NormaliseTokens(std::string* text, size_t from) {
  std::string out;
  bool blank = false;
  for (size_t i = from; i < text->size(); ++i) {
    char c = (*text)[i];
    if (c == ' ') {
      blank = true;
      continue;
    }
    if (blank && !out.empty()) out.push_back(' ');
    blank = false;
    out.push_back(c);
  }
  text->replace(from, npos, out);
}

// One table of entities (general or parameter): names with their ';', first
// declaration of a name wins.
class EntityTable {
 public:
  explicit EntityTable(std::vector<std::pair<std::string, std::string>>* entries) : entries_(entries) {
    for (size_t i = 0; i < entries_->size(); ++i) Index(i);
  }
  void Add(std::string name, std::string value) {
    entries_->emplace_back(std::move(name), std::move(value));
    Index(entries_->size() - 1);
  }
  // The entity whose name (with ';') starts at text[pos]; -1 when none. Looks
  // no further than the longest declared name, so a run of '&' costs linear time.
  long Find(std::string_view text, size_t pos) const {
    if (pos >= text.size()) return -1;
    size_t semi = text.substr(pos, longest_).find(';');
    if (semi == npos) return -1;
    semi += pos;
    auto it = index_.find(std::string(text.substr(pos, semi - pos + 1)));
    return it == index_.end() ? -1 : static_cast<long>(it->second);
  }
  const std::pair<std::string, std::string>& At(long i) const { return (*entries_)[static_cast<size_t>(i)]; }

 private:
  void Index(size_t i) {
    const std::string& name = (*entries_)[i].first;
    index_.emplace(name, i);
    longest_ = std::max(longest_, name.size());
  }

  std::vector<std::pair<std::string, std::string>>* entries_;
  std::unordered_map<std::string, size_t> index_;
  size_t longest_ = 0;
};

class Parser {
 public:
  // Parses `work`, which must outlive the parser.
  Parser(XmlDocument* doc, std::string_view work, XmlElementSink* sink)
      : doc_(doc),
        work_(work),
        sink_(sink),
        general_(&doc->entities),
        parameter_(&parameter_entries_),
        budget_(kExpansionBudget),
        tree_limit_(XmlTreeLimit(work.size())) {}

  void Run();

 private:
  void Fail(size_t at, const std::string& message);
  bool Spend(size_t bytes);
  bool Account(size_t bytes);
  bool Started(XmlElement* element, size_t at);
  bool Ended(XmlElement* element, size_t at);
  XmlElement* NewElement();
  bool Decode(std::string_view in, Mode mode, std::string* out);
  void CharContent(size_t begin, size_t end, Mode mode);
  void Markup();
  void StartTag(size_t name_start);
  void EndTag(size_t name_start);
  void Doctype(size_t after);
  void InternalDtd(size_t start, size_t end);
  bool EntityDeclaration(std::string_view sub, size_t start, size_t* s);
  bool AttlistDeclaration(std::string_view sub, size_t start, size_t* s);
  bool ReachesEntity(std::string_view value, const std::string& name);
  void ProcessingInstruction(std::string_view content);

  XmlDocument* doc_;
  const std::string_view work_;
  XmlElementSink* const sink_;  // null: the tree keeps every element
  std::vector<std::pair<std::string, std::string>> parameter_entries_;
  EntityTable general_;
  EntityTable parameter_;
  // Per element name, per declared attribute: whether its values are
  // token-normalised (the first declaration of an attribute wins).
  std::unordered_map<std::string, std::unordered_map<std::string, bool>> token_modes_;
  size_t budget_;
  size_t tree_bytes_ = 0;
  const size_t tree_limit_;
  size_t pos_ = 0;
  XmlElement* cur_ = nullptr;  // null once the root element has closed
  std::vector<XmlElement*> recycled_;  // closed elements a sink took, to be used again
  int depth_ = 0;
  bool failed_ = false;
};

void Parser::Fail(size_t at, const std::string& message) {
  if (failed_) return;
  failed_ = true;
  at = std::min(at, work_.size());
  long line = 1 + std::count(work_.begin(), work_.begin() + static_cast<long>(at), '\n');
  char prefix[48];
  snprintf(prefix, sizeof(prefix), "[error near line %ld]: ", line);
  doc_->error = (prefix + message).substr(0, kErrorMax);
}

// Counts bytes the tree keeps; false (and the parse fails) past its limit.
bool Parser::Account(size_t bytes) {
  tree_bytes_ += bytes;
  if (tree_bytes_ <= tree_limit_) return true;
  Fail(pos_, "document too large");
  return false;
}

// Hands a started element to the sink; false (the parse failed) when it refused it.
bool Parser::Started(XmlElement* element, size_t at) {
  if (!sink_) return true;
  std::string refused = sink_->Started(*element);
  if (refused.empty()) return true;
  Fail(at, refused);
  return false;
}

// Hands a closed element to the sink, which then no longer keeps it in the
// tree (the root stays); false when the sink stopped the parse.
bool Parser::Ended(XmlElement* element, size_t at) {
  if (!sink_) return true;
  std::string refused = sink_->Ended(*element);
  if (XmlElement* parent = element->parent) {
    // The elements before it closed and left the tree: it is the only child.
    parent->first_child = parent->last_child = nullptr;
    recycled_.push_back(element);
  }
  if (refused.empty()) return true;
  Fail(at, refused);
  return false;
}

// A fresh element from the document's store: one a sink took back, else the
// next of the last block (a new block when it is full).
XmlElement* Parser::NewElement() {
  constexpr size_t kBlockElements = 256;
  if (!recycled_.empty()) {
    XmlElement* element = recycled_.back();
    recycled_.pop_back();
    element->name.clear();
    element->attributes.clear();
    element->text.clear();
    element->first_child = element->last_child = element->next_sibling = nullptr;
    return element;
  }
  if (doc_->element_blocks.empty() || doc_->elements_in_last_block == kBlockElements) {
    doc_->element_blocks.push_back(std::make_unique<XmlElement[]>(kBlockElements));
    doc_->elements_in_last_block = 0;
  }
  return &doc_->element_blocks.back()[doc_->elements_in_last_block++];
}

bool Parser::Spend(size_t bytes) {
  if (bytes > budget_) {
    budget_ = 0;
    return false;
  }
  budget_ -= bytes;
  return true;
}

// Decodes one piece of character data into `out` (appending). False when the
// entity expansion budget ran out; `out` then holds what was decoded so far.
bool Parser::Decode(std::string_view in, Mode mode, std::string* out) {
  std::string normalised;
  if (in.find('\r') != npos) {
    normalised.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
      if (in[i] == '\r') {
        normalised.push_back('\n');
        if (i + 1 < in.size() && in[i + 1] == '\n') ++i;
      } else {
        normalised.push_back(in[i]);
      }
    }
    in = normalised;
  }
  const char reference = mode == Mode::kParameter ? '%' : '&';
  const bool blanks = mode == Mode::kAttribute || mode == Mode::kToken;
  if (mode == Mode::kCdata || (!blanks && in.find('&') == npos && in.find(reference) == npos)) {
    out->append(in);
    return true;
  }
  const size_t from = out->size();
  const EntityTable& table = mode == Mode::kParameter ? parameter_ : general_;
  struct Segment {
    std::string_view text;
    size_t pos;
  };
  std::vector<Segment> stack{{in, 0}};
  while (!stack.empty()) {
    Segment& seg = stack.back();
    if (seg.pos >= seg.text.size()) {
      stack.pop_back();
      continue;
    }
    const char c = seg.text[seg.pos];
    if (c == '&' && StartsWith(seg.text, seg.pos, "&#")) {
      uint32_t value;
      if (size_t length = ParseCharRef(seg.text, seg.pos, &value)) {
        AppendUtf8(value, out);  // the character itself is not scanned again
        seg.pos += length;
        continue;
      }
    } else if (c == reference) {
      long entity = table.Find(seg.text, seg.pos + 1);
      if (entity >= 0) {
        const auto& [name, value] = table.At(entity);
        bool free = mode != Mode::kParameter && static_cast<size_t>(entity) < kPredefinedEntities;
        if (!free && !Spend(value.size() + 1)) return false;
        seg.pos += name.size() + 1;
        stack.push_back({value, 0});  // the replacement is scanned in turn
        continue;
      }
    } else if (blanks && IsAnySpace(c)) {
      out->push_back(' ');
      ++seg.pos;
      continue;
    }
    out->push_back(c);
    ++seg.pos;
  }
  if (mode == Mode::kToken) NormaliseTokens(out, from);
  return true;
}

void Parser::CharContent(size_t begin, size_t end, Mode mode) {
  if (!cur_ || cur_->name.empty() || begin >= end) return;  // outside the root element
  const size_t before = cur_->text.size();
  // Decoded character data is no longer than its source (what entities add
  // grows it as it comes): one allocation for a long run, where growing by
  // appends would touch about twice its size in fresh memory.
  cur_->text.reserve(before + (end - begin));
  if (!Decode(work_.substr(begin, end - begin), mode, &cur_->text)) {
    Fail(begin, "entity expansion too large");
    return;
  }
  if (!sink_) Account(cur_->text.size() - before);
}

void Parser::Run() {
  cur_ = &doc_->root;
  size_t lt = work_.find('<');
  if (lt == npos) {
    Fail(work_.size(), "root tag missing");
    return;
  }
  pos_ = lt;
  while (!failed_) {
    Markup();  // pos_ at '<'; moves past the markup
    if (failed_) return;
    size_t next = work_.find('<', pos_);
    CharContent(pos_, next == npos ? work_.size() : next, Mode::kText);
    if (failed_ || next == npos) break;
    pos_ = next;
  }
  if (failed_ || !cur_) return;
  if (cur_->name.empty()) {
    Fail(work_.size(), "root tag missing");
  } else {
    Fail(work_.size(), "unclosed tag <" + cur_->name + ">");
  }
}

void Parser::Markup() {
  const size_t p = pos_ + 1;
  const char c = p < work_.size() ? work_[p] : '\0';
  if (IsNameStart(c)) {
    StartTag(p);
  } else if (c == '/') {
    EndTag(p + 1);
  } else if (StartsWith(work_, p, "!--")) {
    size_t dashes = work_.find("--", p + 3);
    if (dashes == npos || dashes + 2 >= work_.size() || work_[dashes + 2] != '>') {
      Fail(pos_, "unclosed <!--");
      return;
    }
    pos_ = dashes + 3;
  } else if (StartsWith(work_, p, "![CDATA[")) {
    size_t end = work_.find("]]>", p + 8);
    if (end == npos) {
      Fail(pos_, "unclosed <![CDATA[");
      return;
    }
    CharContent(p + 8, end, Mode::kCdata);
    if (failed_) return;
    pos_ = end + 3;
  } else if (StartsWith(work_, p, "!DOCTYPE")) {
    Doctype(p + 8);
  } else if (c == '?') {
    size_t end = work_.find("?>", p + 1);
    if (end == npos) {
      Fail(pos_, "unclosed <?");
      return;
    }
    ProcessingInstruction(work_.substr(p + 1, end - p - 1));
    pos_ = end + 2;
  } else {
    Fail(pos_, "unexpected <");
  }
}

void Parser::StartTag(size_t name_start) {
  const size_t start = pos_;
  if (!cur_) {
    Fail(start, "markup outside of root element");
    return;
  }
  size_t s = work_.find_first_of("\t\r\n />", name_start);
  if (s == npos) s = work_.size();
  std::string name(work_.substr(name_start, s - name_start));

  const std::unordered_map<std::string, bool>* modes = nullptr;
  auto declared = token_modes_.find(name);
  if (declared != token_modes_.end()) modes = &declared->second;
  size_t bytes = kElementCost + name.size();

  std::vector<XmlAttribute> attributes;
  for (;;) {
    s = SkipSpace(work_, s);
    if (s >= work_.size() || work_[s] == '/' || work_[s] == '>') break;
    size_t attr_end = work_.find_first_of("\t\r\n =/>", s);
    if (attr_end == npos) attr_end = work_.size();
    XmlAttribute attribute{std::string(work_.substr(s, attr_end - s)), ""};
    s = attr_end;
    if (s < work_.size() && (work_[s] == '=' || IsXmlSpace(work_[s]))) {
      while (s < work_.size() && (work_[s] == '=' || IsXmlSpace(work_[s]))) ++s;
      if (s < work_.size() && (work_[s] == '"' || work_[s] == '\'')) {
        const char quote = work_[s];
        size_t close = work_.find(quote, s + 1);
        if (close == npos) {
          Fail(start, std::string("missing ") + quote);
          return;
        }
        Mode mode = Mode::kAttribute;
        if (modes) {
          auto it = modes->find(attribute.name);
          if (it != modes->end() && it->second) mode = Mode::kToken;
        }
        if (!Decode(work_.substr(s + 1, close - s - 1), mode, &attribute.value)) {
          Fail(start, "entity expansion too large");
          return;
        }
        s = close + 1;
      }
    }
    bytes += sizeof(XmlAttribute) + attribute.name.size() + attribute.value.size();
    if (attributes.size() >= kXmlMaxAttributes) {
      Fail(start, "too many attributes <" + name + ">");
      return;
    }
    attributes.push_back(std::move(attribute));
  }

  bool empty = false;
  if (s < work_.size() && work_[s] == '/') {
    empty = true;
    ++s;
  }
  if (s >= work_.size() || work_[s] != '>') {
    Fail(start, "missing >");
    return;
  }
  pos_ = s + 1;
  if (!sink_ && !Account(bytes)) return;

  XmlElement* element;
  if (cur_ == &doc_->root && cur_->name.empty()) {
    element = cur_;
  } else {
    if (depth_ >= kXmlMaxDepth) {
      Fail(start, "element nesting too deep <" + name + ">");
      return;
    }
    element = NewElement();
    element->offset = cur_->text.size();
    element->parent = cur_;
    (cur_->last_child ? cur_->last_child->next_sibling : cur_->first_child) = element;
    cur_->last_child = element;
  }
  element->name = std::move(name);
  element->attributes = std::move(attributes);
  if (!Started(element, start)) return;
  if (empty) {
    if (element == &doc_->root) cur_ = nullptr;  // the root opened and closed at once
    Ended(element, start);
  } else {
    cur_ = element;
    ++depth_;
  }
}

void Parser::EndTag(size_t name_start) {
  const size_t start = pos_;
  size_t name_end = work_.find_first_of("\t\r\n >", name_start);
  if (name_end == npos) {
    Fail(start, "missing >");
    return;
  }
  std::string_view name = work_.substr(name_start, name_end - name_start);
  size_t close = work_.find('>', name_end);
  if (close == npos) {
    Fail(start, "missing >");
    return;
  }
  if (!cur_ || cur_->name.empty() || name != cur_->name) {
    Fail(start, "unexpected closing tag </" + std::string(name) + ">");
    return;
  }
  XmlElement* closed = cur_;
  cur_ = cur_->parent;  // null when the root closed
  --depth_;
  pos_ = close + 1;
  Ended(closed, start);
}

void Parser::Doctype(size_t after) {
  const size_t start = pos_;
  bool subset = false;
  size_t subset_start = 0;
  for (size_t s = after;; ++s) {
    s = work_.find_first_of("[]>", s);
    if (s == npos) {
      Fail(start, "unclosed <!DOCTYPE");
      return;
    }
    if (!subset) {
      if (work_[s] == '>') {
        pos_ = s + 1;
        return;
      }
      if (work_[s] == '[') {
        subset = true;
        subset_start = s + 1;
      }
    } else if (work_[s] == ']') {
      size_t gt = SkipSpace(work_, s + 1);
      if (gt < work_.size() && work_[gt] == '>') {
        InternalDtd(subset_start, s);
        pos_ = gt + 1;
        return;
      }
    }
  }
}

void Parser::InternalDtd(size_t start, size_t end) {
  std::string_view sub = work_.substr(start, end - start);
  size_t s = 0;
  while (!failed_) {
    s = sub.find_first_of("<%", s);
    if (s == npos) return;
    if (StartsWith(sub, s, "<!ENTITY")) {
      if (!EntityDeclaration(sub, start, &s)) return;
    } else if (StartsWith(sub, s, "<!ATTLIST")) {
      if (!AttlistDeclaration(sub, start, &s)) return;
    } else if (StartsWith(sub, s, "<!--")) {
      s = sub.find("-->", s + 4);
      if (s == npos) return;
      s += 3;
    } else if (StartsWith(sub, s, "<?")) {
      size_t close = sub.find("?>", s + 2);
      if (close == npos) return;
      ProcessingInstruction(sub.substr(s + 2, close - s - 2));
      s = close + 2;
    } else if (sub[s] == '<') {
      s = sub.find('>', s);
      if (s == npos) return;
      ++s;
    } else {
      // A parameter-entity reference outside a declaration: what follows may
      // depend on an external entity, so stop unless the document is standalone.
      if (!doc_->standalone) return;
      ++s;
    }
  }
}

// "<!ENTITY" [%] name "value">. Returns false when reading the subset must stop.
bool Parser::EntityDeclaration(std::string_view sub, size_t start, size_t* s) {
  size_t c = SkipSpace(sub, *s + 8);
  size_t n = c;
  while (n < sub.size() && (IsXmlSpace(sub[n]) || sub[n] == '%')) ++n;
  size_t name_end = sub.find_first_of(kXmlSpace, n);
  if (name_end == npos) name_end = sub.size();
  std::string name = std::string(sub.substr(n, name_end - n)) + ";";
  size_t v = SkipSpace(sub, name_end + 1);
  if (v >= sub.size() || (sub[v] != '"' && sub[v] != '\'')) {
    *s = sub.find('>', name_end);  // an external entity: skipped
    return *s != npos;
  }
  const char quote = sub[v];
  size_t close = sub.find(quote, v + 1);
  std::string_view raw = sub.substr(v + 1, (close == npos ? sub.size() : close) - v - 1);
  std::string value;
  if (!Decode(raw, Mode::kParameter, &value)) {
    Fail(start + v, "entity expansion too large");
    return false;
  }
  const bool parameter = c < sub.size() && sub[c] == '%';
  if (!parameter && ReachesEntity(value, name)) {
    if (!failed_) Fail(start + v, "circular entity declaration &" + name);
    return false;
  }
  (parameter ? parameter_ : general_).Add(std::move(name), std::move(value));
  *s = close == npos ? sub.size() : close + 1;
  return true;
}

// Whether `value` refers to the entity `name` directly or through declared
// general entities. Scanning the values of other entities counts against the
// expansion budget (the value itself is literal text of the document).
bool Parser::ReachesEntity(std::string_view value, const std::string& name) {
  std::vector<std::string_view> todo{value};
  std::unordered_set<long> seen;
  bool literal = true;
  while (!todo.empty()) {
    std::string_view text = todo.back();
    todo.pop_back();
    const bool paid = literal || Spend(text.size());
    literal = false;
    if (!paid) {
      Fail(0, "entity expansion too large");
      return true;
    }
    for (size_t amp = text.find('&'); amp != npos; amp = text.find('&', amp + 1)) {
      if (text.substr(amp + 1, name.size()) == name) return true;
      long entity = general_.Find(text, amp + 1);
      if (entity >= 0 && seen.insert(entity).second) todo.push_back(general_.At(entity).second);
    }
  }
  return false;
}

// "<!ATTLIST" element, then (name type [#FIXED] default)*.
bool Parser::AttlistDeclaration(std::string_view sub, size_t start, size_t* s) {
  size_t t = SkipSpace(sub, *s + 9);
  if (t >= sub.size()) {
    Fail(start + t, "unclosed <!ATTLIST");
    return false;
  }
  size_t p = sub.find_first_of("\t\r\n >", t);
  if (p == npos || sub[p] == '>') {
    *s = p == npos ? sub.size() : p;
    return p != npos;
  }
  const std::string element(sub.substr(t, p - t));
  std::vector<XmlAttributeDecl>& decls = doc_->attribute_declarations[element];
  std::unordered_map<std::string, bool>& modes = token_modes_[element];
  for (;;) {
    size_t n = SkipSpace(sub, p + 1);
    if (n >= sub.size() || sub[n] == '>') {
      *s = n;
      return true;
    }
    size_t name_end = sub.find_first_of(kXmlSpace, n);
    if (name_end == npos) {
      Fail(start + t, "malformed <!ATTLIST");
      return false;
    }
    XmlAttributeDecl decl;
    decl.name = std::string(sub.substr(n, name_end - n));
    p = SkipSpace(sub, name_end + 1);
    const bool cdata = StartsWith(sub, p, "CDATA");
    decl.token = !cdata;
    if (StartsWith(sub, p, "NOTATION")) p = SkipSpace(sub, p + 8);
    p = p < sub.size() && sub[p] == '(' ? sub.find(')', p) : sub.find_first_of(kXmlSpace, p);
    if (p == npos) {
      Fail(start + t, "malformed <!ATTLIST");
      return false;
    }
    while (p < sub.size() && (IsXmlSpace(sub[p]) || sub[p] == ')')) ++p;
    if (StartsWith(sub, p, "#FIXED")) p = SkipSpace(sub, p + 6);
    if (p < sub.size() && sub[p] == '#') {
      // #REQUIRED or #IMPLIED: no default.
      size_t keyword_end = sub.find_first_of("\t\r\n >", p);
      p = (keyword_end == npos ? sub.size() : keyword_end) - 1;
      if (cdata) continue;  // nothing to record
    } else if (p < sub.size() && (sub[p] == '"' || sub[p] == '\'')) {
      size_t close = sub.find(sub[p], p + 1);
      if (close == npos) {
        Fail(start + t, "malformed <!ATTLIST");
        return false;
      }
      decl.has_default = true;
      if (!Decode(sub.substr(p + 1, close - p - 1), cdata ? Mode::kAttribute : Mode::kToken,
                  &decl.default_value)) {
        Fail(start + p, "entity expansion too large");
        return false;
      }
      p = close;
    } else {
      Fail(start + t, "malformed <!ATTLIST");
      return false;
    }
    modes.emplace(decl.name, decl.token);
    decls.push_back(std::move(decl));
  }
}

void Parser::ProcessingInstruction(std::string_view content) {
  size_t target_end = content.find_first_of(kXmlSpace);
  std::string target(content.substr(0, target_end));
  std::string_view rest = target_end == npos ? std::string_view() : content.substr(SkipSpace(content, target_end));
  if (target == "xml") {
    size_t at = rest.find("standalone");
    if (at != npos) {
      at += 10;
      while (at < rest.size() && (IsXmlSpace(rest[at]) || rest[at] == '=' || rest[at] == '\'' || rest[at] == '"')) {
        ++at;
      }
      if (StartsWith(rest, at, "yes")) doc_->standalone = true;
    }
    return;
  }
  doc_->processing_instructions[target].emplace_back(rest);
}

}  // namespace

size_t XmlTreeLimit(size_t text_size) { return 6 * text_size + (size_t{1} << 20); }

size_t XmlElement::ChildCount() const {
  size_t count = 0;
  for (const XmlElement* child = first_child; child; child = child->next_sibling) ++count;
  return count;
}

const std::string* XmlElement::FindAttribute(std::string_view attribute) const {
  for (const XmlAttribute& a : attributes) {
    if (a.name == attribute) return &a.value;
  }
  return nullptr;
}

std::unique_ptr<XmlDocument> XmlParseText(std::string_view text, XmlElementSink* sink) {
  auto doc = std::make_unique<XmlDocument>();
  doc->entities = {{"lt;", "&#60;"}, {"gt;", "&#62;"}, {"quot;", "&#34;"}, {"apos;", "&#39;"}, {"amp;", "&#38;"}};
  std::string converted;  // only UTF-16 is copied; other texts are read in place
  std::string_view work = text;
  if (!text.empty() && (static_cast<uint8_t>(text[0]) == 0xFE || static_cast<uint8_t>(text[0]) == 0xFF)) {
    converted = Utf16ToUtf8(text, static_cast<uint8_t>(text[0]) == 0xFE);
    work = converted;
  }
  work = work.substr(0, work.find('\0'));
  Parser parser(doc.get(), work, sink);
  parser.Run();
  return doc;
}

bool XmlIsWholeDocument(std::string_view text) {
  struct KeepNothing : XmlElementSink {
    std::string Started(const XmlElement&) override { return std::string(); }
    std::string Ended(XmlElement&) override { return std::string(); }
  } sink;
  std::unique_ptr<XmlDocument> doc = XmlParseText(text, &sink);
  return !doc->root.name.empty() && doc->error.empty();
}
