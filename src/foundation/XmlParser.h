// A small, tolerant, non-validating XML parser: a text in memory becomes a tree
// of elements with their decoded texts. It never rejects a document outright:
// at the first error it stops, records an error text, and the tree keeps what
// was read so far. Callers decide by whether a root element was found.
//
// Hostile input is bounded: time is linear in the text; entity expansion
// (internal DTD entities) may add at most 1 MiB to a document beyond its
// literal text ("entity expansion too large"); elements nest at most
// kXmlMaxDepth deep; a start tag holds at most kXmlMaxAttributes attributes;
// the tree may hold what XmlTreeLimit allows ("document too large").
#pragma once

#include <stddef.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct XmlAttribute {
  std::string name;
  std::string value;  // decoded
};

struct XmlElement {
  XmlElement() = default;
  XmlElement(const XmlElement&) = delete;
  XmlElement& operator=(const XmlElement&) = delete;

  // The value of the named attribute, or null when the element has none.
  const std::string* FindAttribute(std::string_view attribute) const;
  // The first child, or null; the others follow through next_sibling.
  XmlElement* FirstChild() const { return first_child; }
  // How many children the element has (walks them).
  size_t ChildCount() const;

  std::string name;  // never empty, except for the root of a document without root tag
  std::vector<XmlAttribute> attributes;  // document order
  std::string text;  // all character data directly inside, decoded; "" when none
  size_t offset = 0;  // length of the parent's text when this element started
  XmlElement* parent = nullptr;
  // The children in document order, linked through the elements themselves (a
  // parent costs no list of its own), owned by the document.
  XmlElement* first_child = nullptr;
  XmlElement* last_child = nullptr;
  XmlElement* next_sibling = nullptr;
};

// One attribute of an <!ATTLIST declaration.
struct XmlAttributeDecl {
  std::string name;
  bool has_default = false;
  std::string default_value;
  bool token = false;  // declared with a type other than CDATA: values are token-normalised
};

struct XmlDocument {
  XmlElement root;
  // General entities: name with its ';', replacement text. Starts with the five
  // predefined ones; internal DTD declarations append.
  std::vector<std::pair<std::string, std::string>> entities;
  // Per element name.
  std::map<std::string, std::vector<XmlAttributeDecl>> attribute_declarations;
  // Per target, the instruction texts (the "xml" declaration is not kept).
  std::map<std::string, std::vector<std::string>> processing_instructions;
  bool standalone = false;
  // "[error near line %d]: %s", at most 127 characters; empty when the parse succeeded.
  std::string error;

  // The store of every element but the root: blocks of many elements, so that
  // an element costs no allocation of its own (a document of nested or empty
  // tags holds an element per few bytes).
  std::vector<std::unique_ptr<XmlElement[]>> element_blocks;
  size_t elements_in_last_block = 0;
};

constexpr int kXmlMaxDepth = 1000;
// Attributes one start tag may hold ("too many attributes <name>" beyond):
// no reader uses attributes, and a tag of a million of them would cost a
// hundred times its bytes.
constexpr size_t kXmlMaxAttributes = 1024;

// Receives the elements of a document as they are read, for a reader that
// keeps its own form of them in place of the whole tree.
class XmlElementSink {
 public:
  virtual ~XmlElementSink() = default;
  // After an element's start tag: name and attributes are set, the text not
  // yet. A non-empty result stops the parse with that error message.
  virtual std::string Started(const XmlElement& element) = 0;
  // After the element closed: its text is complete and may be taken. The tree
  // then drops the element (the root stays). A non-empty result stops the parse.
  virtual std::string Ended(XmlElement& element) = 0;
};

// The bytes a tree read from a text of `text_size` bytes may take, counted as
// allocated: 6 per input byte plus 1 MiB. A plain document of records needs
// about 5 per byte (4 as a serialization tree); a text of tags only, which
// would make an element per few bytes, stops near the size of a plain one.
size_t XmlTreeLimit(size_t text_size);

// Parses `text` (UTF-8 or the legacy code page as it is; UTF-16 with a byte
// order mark is converted to UTF-8 first). The text ends at its first zero
// byte. Never returns null; the root's name is empty when no root tag was found.
// With a sink, the tree keeps only the elements still open (after an error,
// those open at the error) and the tree size limit is the sink's business.
std::unique_ptr<XmlDocument> XmlParseText(std::string_view text, XmlElementSink* sink = nullptr);

// Whether the text parses from start to end with a root element, whatever the
// size of its tree (none is kept).
bool XmlIsWholeDocument(std::string_view text);
