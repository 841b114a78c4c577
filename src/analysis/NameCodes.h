// Tables that turn an engine's names (classes, colours, event names) into the
// system's codes. Names are matched without regard to ASCII case; a table
// entry is plain ASCII, so a trail byte of a double-byte character can never
// match one.
#pragma once

#include <stddef.h>

#include <string_view>

#include "foundation/StringUtil.h"

struct CNameCode {
  const char* name;
  int code;
};

// The code of `name` in `table`, or `otherwise` when no entry matches.
template <size_t N>
int CodeOfName(const CNameCode (&table)[N], std::string_view name, int otherwise) {
  for (const CNameCode& entry : table) {
    if (StrEqualNoCase(name, entry.name)) return entry.code;
  }
  return otherwise;
}
