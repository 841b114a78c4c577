// CVARSerializerZavAI: reads the JSON result texts of a ZAV AI server's
// metadata stream into a CVAR. The engine numbers its classes (10 a person,
// 50 or 51 a vehicle, 70 a third kind), names colours, and reports events as
// "N" items that carry a region id ("rid") and an event name ("evt"); the
// reader groups those items by (class, track) into one event per group.
//
// The reader keeps no state; any number of threads may call it at once, each
// on its own text and outputs. Members that are missing or of another JSON
// type are passed over without a log; only a text that does not parse as one
// JSON object is logged and answered with false.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "analysis/VAR.h"

class CVARSerializerZavAI {
 public:
  // The kind of a raw text as CVARSerializer::GetMessageType reads it, but
  // only "a" (VAR_MESSAGE_RESULT) and "h" (VAR_MESSAGE_KEEPALIVE) are known;
  // everything else gives 0.
  static int GetMessageType(const char* text);

  // Fills the caller's new `result` from a result text (writable,
  // zero-terminated, `length` bytes; a trailing thumbnail is cut off first as
  // the own-kind reader does) and appends to `eventNames` (may be null) one
  // name per event of result->Events, in order. False, logged with the text,
  // when the text is not one JSON object.
  static bool Deserialize(char* text, int length, CVAR* result, std::vector<std::string>* eventNames);

  // The class code of an engine class number: 10 gives 2002, 50 and 51 give
  // 2003, 70 gives 2004, any other number -1.
  static int GetClassCode(int engineClass);
  // The colour code of a colour name ("black" 1 ... "beige" 103, any case);
  // 0 for any other name.
  static int GetColorCode(std::string_view name);
};
