// CVARSerializerSKTAI: reads the JSON texts of an SKT AI server or edge into
// a CVAR. A text names its channel (counted from 0) and camera time under
// "source", and lists tracked objects, each with its boxes in a 0-1 frame and
// the events it raised in regions counted from 0; the result counts channels
// and regions from 1 and gives boxes in a 10000 x 10000 frame.
//
// The reader keeps no state; any number of threads may call it at once. A
// required root member missing or of another JSON type gives false without a
// log (the result untouched); an object with a member missing or of another
// type is passed over with its events; only a text that does not parse as
// one JSON object is logged.
#pragma once

#include <string_view>

#include "analysis/VAR.h"

class CVARSerializerSKTAI {
 public:
  // Fills the caller's new `result` from a zero-terminated text (`length` is
  // not used): Channel "channel_id" + 1, Type "a", a 10000 x 10000 frame,
  // Time and EventTime from "camera_timestamp", the objects and their events.
  static bool Deserialize(const char* text, int length, CVAR* result);

  // The class code of an object class ("person" 2002, "vehicle" 2003, any
  // case); 0 for any other name.
  static int GetClassCode(std::string_view name);

  // A number text read as atof does in the C locale (leading blanks, a sign,
  // digits with a fraction and an exponent, "inf", "nan"; no hexadecimal
  // form); 0 when the text does not begin with a number.
  static double ReadNumberText(std::string_view text);
};
