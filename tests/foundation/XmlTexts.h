// Texts of a given size for the XML readers' bound tests: nested tags only
// (an element per few bytes) and a plain document of records.
#pragma once

#include <stddef.h>

#include <string>

// "<r>", then blocks of 900 nested "<e>" around an "x", to at least `size`
// bytes, then "</r>".
inline std::string NestedTagsText(size_t size) {
  std::string block;
  for (int i = 0; i < 900; ++i) block += "<e>";
  block += "x";
  for (int i = 0; i < 900; ++i) block += "</e>";
  std::string tags = "<r>";
  while (tags.size() < size) tags += block;
  return tags + "</r>";
}

// A Result document of Item records (ID 123456 and three texts each), at
// least `size` bytes; `items` receives their number.
inline std::string PlainRecordsText(size_t size, size_t* items) {
  std::string plain = "<?xml version=\"1.0\"?>\r\n<Result>\r\n";
  for (*items = 0; plain.size() < size; ++*items) {
    plain += "\t<Item>\r\n\t\t<ID>123456</ID>\r\n\t\t<Name>Camera 0012 Lobby</Name>\r\n"
             "\t\t<Time>2024-01-31 14:03:27</Time>\r\n\t\t<Value>some text value of the item</Value>\r\n"
             "\t</Item>\r\n";
  }
  return plain + "</Result>\r\n";
}
