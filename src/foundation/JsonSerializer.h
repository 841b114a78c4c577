// CJsonSerializer: the JSON text form of the serialization tree. The writers
// produce the text themselves: every value is a JSON string, pairs are
// separated by ", ", no other whitespace. The readers parse with
// CJsonTree (comments, trailing commas, a byte-order mark and "+1" are
// accepted) and build a tree whose value names are lower-cased (child names
// keep their case); object members arrive in byte order of their names, of
// equal names the last. A text with more objects and arrays than 65,536 plus
// one per 32 bytes is refused as no JSON.
//
// All operations are static, keep no state between calls and may run on any
// thread. No code page conversion happens here.
#pragma once

#include <stdint.h>

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

#include "foundation/SerializationInfo.h"

class CJsonSerializer {
 public:
  // Appends the JSON text of the tree rooted at `node` (callers pass an empty
  // text). An array root without children gives the empty text; an array root
  // "[...]"; any other root "{...}". Always true. Names and values are
  // escaped, so every text parses as strict JSON.
  static bool Serialize(const CSerializationInfo& node, std::string* out);
  // Replaces `out` with the JSON object of the map: pairs in map order
  // separated by "," (no blank). Always true.
  static bool SerializeMap(const std::map<std::string, std::string>& map, std::string* out);

  // Parses `json`, builds a tree and hands its root to the record's
  // Deserialize. False, with the log line "ERROR - Error rarised when parse
  // json data.(...)", when the text is no JSON; the record is then untouched.
  static bool Deserialize(std::string_view json, CSerializable* record);
  // Only checks that the text parses (logging as above when it does not).
  static bool Deserialize(std::string_view json, std::nullptr_t);
  // Replaces the map with the root's members that have a name (scalars as
  // their text, nested objects, arrays and null as ""). A root that is no
  // object leaves the map empty. False (map untouched) when the text is no JSON.
  static bool Deserialize(std::string_view json, std::map<std::string, std::string>* map);
  // Fills `node` with the records of a root array: the first element goes to
  // the node's first child, each later composite element to a new node after
  // it. False (node untouched) when the text is no JSON.
  static bool Deserialize(std::string_view json, CSerializationInfo* node);
};

// "%I64u" of the value.
std::string UInt64ToString(uint64_t value);
