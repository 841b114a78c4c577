// fuzz-libs: gate_foundation
// The XML document parser over arbitrary peer replies: never crashes, stays
// within its bounds (nesting, entity expansion), and always gives a document.
#include <stddef.h>
#include <stdint.h>

#include <string_view>

#include "foundation/XmlParser.h"

namespace {

size_t CountText(const XmlElement& element, int depth) {
  if (depth > kXmlMaxDepth + 1) __builtin_trap();
  size_t total = element.text.size();
  const XmlElement* last = nullptr;
  for (const XmlElement* child = element.first_child; child; child = child->next_sibling) {
    if (child->parent != &element || child->name.empty()) __builtin_trap();
    total += CountText(*child, depth + 1);
    last = child;
  }
  if (last != element.last_child) __builtin_trap();
  return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto doc = XmlParseText(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!doc || doc->error.size() > 127) __builtin_trap();
  // Entity expansion is bounded by the budget (1 MiB or 8 bytes per input byte)
  // on top of the text itself.
  size_t bound = size * 4 + (size_t{1} << 20) + size * 8 + 64;
  if (CountText(doc->root, 1) > bound) __builtin_trap();
  return 0;
}
