#include "foundation/XmlSerializer.h"

#include <errno.h>
#include <string.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include <libxml/parser.h>
#include <libxml/xmlreader.h>

#include "foundation/Log.h"
#include "foundation/StringUtil.h"
#include "foundation/XmlParser.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"

namespace {

// The node and its next siblings: "<name>" and "</name>" lines around the
// values (one line each, one tab deeper) and the children; a node with
// neither values nor children writes nothing.
void WriteElements(const CSerializationInfo* node, std::string* out) {
  for (; node; node = node->GetNextSibling()) {
    const bool open = node->HasValues() || node->GetFirstChild();
    const std::string indent(static_cast<size_t>(node->GetDepth()), '\t');
    if (open) out->append(indent).append("<").append(node->GetName()).append(">\r\n");
    for (const auto& [name, text] : node->GetOrderedValues()) {
      out->append("\t").append(indent).append("<").append(name).append(">");
      out->append(XmlEscape(text));
      out->append("</").append(name).append(">\r\n");
    }
    if (node->GetFirstChild()) WriteElements(node->GetFirstChild(), out);
    if (open) out->append(indent).append("</").append(node->GetName()).append(">\r\n");
  }
}

// Builds the serialization tree while the parser reads, so that the parser's
// own tree holds only the open elements: node and value names lower-cased,
// elements without child elements become values of their parent's node, the
// others nodes (made when their first child element starts, so that sibling
// nodes keep document order). The tree it builds may take what XmlTreeLimit
// allows, counted as allocated ("document too large" past that).
class TreeFiller : public XmlElementSink {
 public:
  TreeFiller(CSerializationInfo* root, size_t input_size) : root_(root), limit_(XmlTreeLimit(input_size)) {}

  std::string Started(const XmlElement& element) override {
    if (open_.empty()) {
      root_->SetName(StrToLower(element.name));
      open_.push_back({&element, root_, nullptr, false});
      return std::string();
    }
    if (!NodeOf(open_.size() - 1)) return "document too large";
    open_.back().holds_elements = true;
    open_.push_back({&element, nullptr, nullptr, false});
    return std::string();
  }

  std::string Ended(XmlElement& element) override {
    return Close(&element.text) ? std::string() : "document too large";
  }

  // After the parse: the elements still open (the text broke off inside them)
  // go in with the text read so far, innermost first.
  void Finish() {
    while (!open_.empty()) {
      std::string text = open_.back().element->text;
      Close(&text);
    }
  }

 private:
  struct Open {
    const XmlElement* element;
    CSerializationInfo* node;         // null until the element holds an element
    CSerializationInfo* first_child;  // the first node made under it
    bool holds_elements;
  };

  // The innermost open element leaves: a value of its parent's node when it
  // held no element. False past the size limit.
  bool Close(std::string* text) {
    Open closed = open_.back();
    open_.pop_back();
    if (closed.holds_elements || open_.empty()) return true;
    CSerializationInfo* parent = NodeOf(open_.size() - 1);
    if (!parent) return false;
    std::string name = StrToLower(closed.element->name);
    if (!Take(name.size() + text->size() + 2 * sizeof(std::string))) return false;
    parent->TakeValue(std::move(name), std::move(*text));
    return true;
  }

  // The node of the open element at `index`, made under its parent's node (which
  // exists: it was made when this element started) when it has none yet.
  CSerializationInfo* NodeOf(size_t index) {
    Open& open = open_[index];
    if (open.node) return open.node;
    if (!Take(sizeof(CSerializationInfo) + 16 + open.element->name.size())) return nullptr;
    Open& parent = open_[index - 1];
    if (parent.first_child) {
      open.node = parent.first_child->AppendSibling();
    } else {
      open.node = parent.first_child = parent.node->GetOrAddChild();
    }
    open.node->SetName(StrToLower(open.element->name));
    return open.node;
  }

  bool Take(size_t bytes) {
    used_ += bytes;
    return used_ <= limit_;
  }

  CSerializationInfo* const root_;
  std::vector<Open> open_;
  const size_t limit_;
  size_t used_ = 0;
};

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t extra;
    uint32_t min;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1;
      min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      min = 0x10000;
    } else {
      return false;
    }
    if (i + extra >= text.size()) return false;
    uint32_t value = c & (0x3F >> extra);
    for (size_t k = 1; k <= extra; ++k) {
      unsigned char t = static_cast<unsigned char>(text[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      value = value << 6 | (t & 0x3F);
    }
    if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

// Whether the text names its own encoding: a byte-order mark, or an XML
// declaration with an encoding.
bool DeclaresEncoding(std::string_view text) {
  if (text.size() >= 2) {
    unsigned char a = static_cast<unsigned char>(text[0]);
    unsigned char b = static_cast<unsigned char>(text[1]);
    if ((a == 0xFE && b == 0xFF) || (a == 0xFF && b == 0xFE)) return true;
    if (text.size() >= 3 && a == 0xEF && b == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF) return true;
  }
  if (text.substr(0, 5) != "<?xml") return false;
  size_t end = text.find("?>");
  return text.substr(0, end).find("encoding") != std::string_view::npos;
}

void IgnoreXmlError(void*, xmlErrorPtr) {}

// The reader's input. The reader drops what it parsed from a piece in which
// it met a malformed construct, so a walk that failed is done once more with
// the bytes just before the fault handed over one at a time: then what came
// before the fault is seen. Only that window goes byte by byte (the reader
// re-scans a construct in progress at each byte), so the retry costs linear
// time plus a constant.
constexpr size_t kPiece = size_t{1} << 16;
constexpr size_t kRetryWindow = size_t{1} << 12;
// Where the walk is cut short before the reader sees what it would take
// quadratic time over (see SlowConstruct).
constexpr size_t kLongestReference = 64;
constexpr size_t kMostAttributes = 256;
constexpr size_t kLongestSubset = size_t{1} << 16;

struct PieceInput {
  std::string_view rest;
  size_t offset = 0;
  size_t byte_from = std::string_view::npos;  // from here one byte per read
  size_t end = std::string_view::npos;        // the input ends here

  static int Read(void* context, char* buffer, int length) {
    auto* input = static_cast<PieceInput*>(context);
    size_t n = std::min(input->rest.size(), static_cast<size_t>(length));
    if (input->offset >= input->end) {
      n = 0;
    } else if (input->offset >= input->byte_from) {
      n = std::min<size_t>(n, 1);
    } else {
      n = std::min({n, kPiece, input->byte_from - input->offset});
    }
    memcpy(buffer, input->rest.data(), n);
    input->rest.remove_prefix(n);
    input->offset += n;
    return static_cast<int>(n);
  }
  static int Close(void*) { return 0; }
};

bool IsNameByte(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' || u == ':' ||
         u == '.' || u == '-' || u >= 0x80;
}

// Whether a well-formed reference ("&name;", "&#digits;", "&#xhex;") of a
// sane length starts at text[at].
bool IsReference(std::string_view text, size_t at) {
  std::string_view ref = text.substr(at + 1, kLongestReference);
  size_t i = 0;
  if (!ref.empty() && ref[0] == '#') {
    i = ref.size() > 1 && ref[1] == 'x' ? 2 : 1;
    size_t digits = i;
    while (i < ref.size() && (ref[1] == 'x' ? HexDigitValue(ref[i]) >= 0 : (ref[i] >= '0' && ref[i] <= '9'))) ++i;
    if (i == digits) return false;
  } else {
    while (i < ref.size() && IsNameByte(ref[i])) ++i;
    if (i == 0) return false;
  }
  return i < ref.size() && ref[i] == ';';
}

// The offset of the first construct that the pull reader takes quadratic
// time over: a '&' in text or in an attribute value that starts no
// well-formed reference, or a "--" inside a comment (both malformed anyway,
// found by the reader only after re-scanning the rest at every piece); a
// start tag with more than kMostAttributes attributes (the reader compares
// each with all before it); a document type declaration whose internal
// subset is longer than kLongestSubset. npos when there is none. CDATA
// sections and instructions are skipped whole. Linear; reads only ASCII
// bytes, so it serves every ASCII-compatible encoding.
size_t SlowConstruct(std::string_view text) {
  constexpr size_t npos = std::string_view::npos;
  auto skip_past = [&](size_t from, std::string_view end) {
    size_t at = text.find(end, from);
    return at == npos ? text.size() : at + end.size();
  };
  size_t i = 0;
  while ((i = text.find_first_of("<&", i)) != npos) {
    if (text[i] == '&') {
      if (!IsReference(text, i)) return i;
      ++i;
    } else if (text.compare(i, 4, "<!--") == 0) {
      size_t dashes = text.find("--", i + 4);
      if (dashes == npos) return npos;  // unclosed: the reader fails on it in linear time
      if (dashes + 2 >= text.size() || text[dashes + 2] != '>') return dashes;
      i = dashes + 3;
    } else if (text.compare(i, 9, "<![CDATA[") == 0) {
      i = skip_past(i + 9, "]]>");
    } else if (text.compare(i, 2, "<?") == 0) {
      i = skip_past(i + 2, "?>");
    } else if (text.compare(i, 2, "<!") == 0) {
      const size_t declaration = i;
      size_t subset = text.find_first_of("[>", i);
      i = subset != npos && text[subset] == '[' ? skip_past(subset, "]") : subset;
      if (i != npos && subset != npos && i - subset > kLongestSubset) return declaration;
      i = i == npos ? text.size() : skip_past(i, ">");
    } else {
      const size_t tag = i;
      size_t attributes = 0;
      for (++i; i < text.size() && text[i] != '>';) {
        if (text[i] == '"' || text[i] == '\'') {
          size_t close = text.find(text[i], i + 1);
          if (close == npos) return npos;  // unclosed: the reader fails on it in linear time
          for (size_t amp = text.find('&', i); amp < close; amp = text.find('&', amp + 1)) {
            if (!IsReference(text, amp)) return amp;
          }
          i = close + 1;
        } else if (text[i] == '=' && ++attributes > kMostAttributes) {
          return tag;
        } else {
          ++i;
        }
      }
    }
  }
  return npos;
}

// Whether the bytes are in an encoding whose markup bytes are ASCII.
bool AsciiCompatible(std::string_view text) {
  if (text.size() < 2) return true;
  unsigned char a = static_cast<unsigned char>(text[0]);
  unsigned char b = static_cast<unsigned char>(text[1]);
  return !((a == 0xFE && b == 0xFF) || (a == 0xFF && b == 0xFE) || a == 0 || b == 0);
}

// Walks the pull reader and builds the tree under `root`. Elements become
// nodes only once something is added under them: an element that holds only
// text gives its text to its parent as a value named after the element
// started last, and leaves no node.
class ReaderWalk {
 public:
  explicit ReaderWalk(CSerializationInfo* root) { frames_.push_back({std::string(), root}); }

  // Returns false when a malformed construct ended the walk.
  bool Run(xmlTextReaderPtr reader) {
    int status;
    while ((status = xmlTextReaderRead(reader)) == 1) {
      switch (xmlTextReaderNodeType(reader)) {
        case XML_READER_TYPE_ELEMENT:
          if (!xmlTextReaderIsEmptyElement(reader)) StartElement(Text(xmlTextReaderConstLocalName(reader)));
          break;
        case XML_READER_TYPE_TEXT:
          if (frames_.size() > 1) {
            Materialise(frames_.size() - 2)->AddValue(last_started_, Text(xmlTextReaderConstValue(reader)));
          }
          break;
        case XML_READER_TYPE_END_ELEMENT:
          if (frames_.size() > 1) frames_.pop_back();
          break;
        default:  // CDATA, whitespace, comments, instructions, declarations
          break;
      }
    }
    return status == 0;
  }

 private:
  struct Frame {
    std::string name;
    CSerializationInfo* node;  // null until something is added under it
  };

  static std::string Text(const xmlChar* utf8) {
    return utf8 ? Utf8ToAnsi(reinterpret_cast<const char*>(utf8)) : std::string();
  }

  void StartElement(std::string name) {
    last_started_ = StrToLower(name);
    if (frames_.size() == 1 && frames_[0].node->GetName().empty()) {
      frames_[0].node->SetName(name);
      return;
    }
    frames_.push_back({std::move(name), nullptr});
  }

  CSerializationInfo* Materialise(size_t index) {
    Frame& frame = frames_[index];
    if (!frame.node) {
      CSerializationInfo* parent = Materialise(index - 1);
      CSerializationInfo* first = parent->GetFirstChild();
      frame.node = first ? first->AppendSibling() : parent->GetOrAddChild();
      frame.node->SetName(frame.name);
    }
    return frame.node;
  }

  std::vector<Frame> frames_;
  std::string last_started_;
};

// One walk of the reader over `input` into `walked`: true when it read the
// whole document; `fault` then holds where the reader stopped.
bool WalkOnce(PieceInput input, CSerializationInfo* walked, size_t* fault, bool* opened);

xmlTextReaderPtr OpenReader(PieceInput* input) {
  xmlTextReaderPtr reader = xmlReaderForIO(PieceInput::Read, PieceInput::Close, input, nullptr, nullptr,
                                           XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (reader) xmlTextReaderSetStructuredErrorHandler(reader, IgnoreXmlError, nullptr);
  return reader;
}

bool WalkOnce(PieceInput input, CSerializationInfo* walked, size_t* fault, bool* opened) {
  xmlTextReaderPtr reader = OpenReader(&input);
  *opened = reader != nullptr;
  if (!reader) return false;
  bool whole = ReaderWalk(walked).Run(reader);
  long consumed = xmlTextReaderByteConsumed(reader);
  *fault = consumed > 0 ? static_cast<size_t>(consumed) : 0;
  xmlFreeTextReader(reader);
  return whole;
}

}  // namespace

std::string CXmlSerializer::ToXml(const CSerializable& record) {
  CSerializationInfo root;
  record.Serialize(root);
  std::string out = "<?xml version=\"1.0\"?>\r\n";
  WriteElements(&root, &out);
  return out;
}

std::string CXmlSerializer::ToXmlFile(const std::string& path, const CSerializable& record) {
  std::string text = ToXml(record);
  errno = 0;
  if (!platform::WriteFileAtomically(path, text)) {
    GATE_LOG_DEFAULT("ERROR - Can't create file.(File: %s, Error: %u)\n", path.c_str(),
                     static_cast<unsigned>(errno));
    return "";
  }
  return text;
}

bool CXmlSerializer::FromXml(std::string_view text, CSerializable* record) {
  CSerializationInfo root;
  TreeFiller filler(&root, text.size());
  std::unique_ptr<XmlDocument> doc = XmlParseText(text, &filler);
  filler.Finish();
  if (!doc->error.empty()) GATE_LOG(1, "ERROR - Malformed xml %s\r\n", doc->error.c_str());
  if (doc->root.name.empty()) return false;  // (logged above: the parser reports a missing root)
  if (record) record->Deserialize(root);
  return true;
}

bool CXmlSerializer::FromXmlFile(const std::string& path, CSerializable* record) {
  std::string bytes;
  errno = 0;
  if (!platform::ReadWholeFile(path, &bytes)) {
    GATE_LOG_DEFAULT("ERROR - Can't open file(Path: %s, Error: %u)\n", path.c_str(),
                     static_cast<unsigned>(errno));
    return false;
  }
  if (bytes.empty()) {
    // The reader is set up but has nothing to read.
    CSerializationInfo root;
    if (record) record->Deserialize(root);
    return true;
  }
  // Status files are written in the legacy code page without a declared
  // encoding; read as UTF-8 a non-ASCII value would end the walk.
  if (!DeclaresEncoding(bytes) && !IsValidUtf8(bytes)) {
    bytes = platform::ConvertCodePage(bytes, platform::LegacyCodePage(), "UTF-8");
  }
  static std::once_flag init;
  std::call_once(init, [] { xmlInitParser(); });
  if (!record) {
    PieceInput input{bytes};
    xmlTextReaderPtr reader = OpenReader(&input);
    if (!reader) return false;
    xmlFreeTextReader(reader);
    return true;
  }
  // What the reader would take quadratic time over ends the walk before it.
  std::string_view text = bytes;
  if (AsciiCompatible(text)) text = text.substr(0, SlowConstruct(text));
  CSerializationInfo walked;
  size_t fault = 0;
  bool opened = false;
  bool whole = WalkOnce(PieceInput{text}, &walked, &fault, &opened) && text.size() == bytes.size();
  if (!opened) return false;
  if (!whole) {
    GATE_LOG(1, "ERROR - Malformed xml in '%s'; what came before the fault is kept.\r\n", path.c_str());
    PieceInput retry{text};
    retry.byte_from = fault > kRetryWindow ? fault - kRetryWindow : 0;
    retry.end = fault + kRetryWindow;
    CSerializationInfo again;
    WalkOnce(retry, &again, &fault, &opened);
    if (opened) {
      record->Deserialize(again);
      return true;
    }
  }
  record->Deserialize(walked);
  return true;
}
