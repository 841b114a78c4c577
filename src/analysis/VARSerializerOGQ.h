// CVARSerializerOGQ: reads the JSON event texts of an OGQ inference server
// into a CVAR. A text names its camera ("cameraId"), its event ("eventName"),
// its state ("status") and its time, and lists detection boxes in a 0-1
// frame; the reader gives the boxes in a 10000 x 10000 frame, and a text
// whose status is "start" also raises one event.
//
// The reader keeps no state; any number of threads may call it at once. A
// required root member missing or of another JSON type gives false without a
// log (the result untouched); a box that does not fit is passed over; only a
// text that does not parse as one JSON object is logged.
#pragma once

#include <string>
#include <string_view>

#include "analysis/VAR.h"

class CVARSerializerOGQ {
 public:
  // Fills the caller's new `result` from a zero-terminated text (`length` is
  // not used): Type "a", a 10000 x 10000 frame, Time and EventTime from
  // "time", the boxes as objects, the event and its thumbnail ("image").
  // Channel stays -1. `cameraId` and `eventName` (each may be null) are
  // written only when the reader returns true.
  static bool Deserialize(const char* text, int length, CVAR* result, int* cameraId, std::string* eventName);

  // The class code of a box class ("person" 44, "flame" 42, "smoke" 43,
  // "water" 2001, any case); 0 for any other name.
  static int GetClassCode(std::string_view name);
};
