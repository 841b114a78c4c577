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

// Node and value names lower-cased; elements without children become values.
void FillFromElement(const XmlElement& element, CSerializationInfo* node) {
  node->SetName(StrToLower(element.name));
  CSerializationInfo* first_child = nullptr;
  for (const auto& child : element.children) {
    if (child->children.empty()) {
      node->AddValue(StrToLower(child->name), child->text);
    } else {
      CSerializationInfo* target = first_child ? first_child->AppendSibling() : (first_child = node->GetOrAddChild());
      FillFromElement(*child, target);
    }
  }
}

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

// The reader's input, handed over in pieces. The reader drops what it parsed
// from a piece in which it met a malformed construct, so a walk that failed is
// done again one byte at a time: then everything before the fault is seen.
constexpr size_t kFastPiece = size_t{1} << 16;
constexpr size_t kByteWalkLimit = size_t{1} << 20;

struct PieceInput {
  std::string_view rest;
  size_t piece;

  static int Read(void* context, char* buffer, int length) {
    auto* input = static_cast<PieceInput*>(context);
    size_t n = std::min({input->rest.size(), input->piece, static_cast<size_t>(length)});
    memcpy(buffer, input->rest.data(), n);
    input->rest.remove_prefix(n);
    return static_cast<int>(n);
  }
  static int Close(void*) { return 0; }
};

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

xmlTextReaderPtr OpenReader(PieceInput* input) {
  xmlTextReaderPtr reader = xmlReaderForIO(PieceInput::Read, PieceInput::Close, input, nullptr, nullptr,
                                           XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (reader) xmlTextReaderSetStructuredErrorHandler(reader, IgnoreXmlError, nullptr);
  return reader;
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
  std::unique_ptr<XmlDocument> doc = XmlParseText(text);
  if (!doc->error.empty()) GATE_LOG(1, "ERROR - Malformed xml %s\r\n", doc->error.c_str());
  if (doc->root.name.empty()) return false;  // (logged above: the parser reports a missing root)
  if (record) {
    CSerializationInfo root;
    FillFromElement(doc->root, &root);
    record->Deserialize(root);
  }
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
    PieceInput input{bytes, bytes.size()};
    xmlTextReaderPtr reader = OpenReader(&input);
    if (!reader) return false;
    xmlFreeTextReader(reader);
    return true;
  }
  // A large broken file keeps what the fast walk saw.
  const bool byte_retry = bytes.size() <= kByteWalkLimit;
  for (size_t piece : {kFastPiece, size_t{1}}) {
    PieceInput input{bytes, piece};
    xmlTextReaderPtr reader = OpenReader(&input);
    if (!reader) return false;
    CSerializationInfo walked;
    bool whole = ReaderWalk(&walked).Run(reader);
    xmlFreeTextReader(reader);
    if (whole || piece == 1 || !byte_retry) {
      if (!whole) GATE_LOG(1, "ERROR - Malformed xml in '%s'; what came before the fault is kept.\r\n", path.c_str());
      record->Deserialize(walked);
      break;
    }
  }
  return true;
}
