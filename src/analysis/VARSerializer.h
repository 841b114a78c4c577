// CVARSerializer: reads the JSON texts that an analysis server of the
// installation's own kind sends on its metadata stream, one text per part. A
// text of kind "a" becomes a CVAR, a text of kind "c" (all-object counts)
// becomes the line-crossing counts of each channel, and a keep-alive ("h") is
// passed over by the client before it gets here.
//
// The reader keeps no state and takes no lock of its own, so any number of
// threads may call it at once, each on its own text and output. Members that
// are missing or of another JSON type than the reader needs are passed over
// without a log (the output keeps its value); only a text that does not parse
// is logged and answered with false.
//
// JSON types as the reader uses them: an integer is a number written without
// fraction or exponent that fits a signed 32-bit int; a real is a number
// written with a fraction or an exponent (2 is not a real, 2.0 is).
#pragma once

#include <map>
#include <vector>

#include <rapidjson/document.h>

#include "analysis/VAR.h"

// Channel number -> the line-crossing counts of that channel.
using CVARAllCounts = std::map<int, CVARLineCounts>;

// The message kinds of GetMessageType.
enum VARMessageType : int {
  VAR_MESSAGE_OTHER = 0,
  VAR_MESSAGE_RESULT = 1,     // "a": an analysis result
  VAR_MESSAGE_KEEPALIVE = 2,  // "h"
  VAR_MESSAGE_ALL_COUNT = 3,  // "c": all-object counts
};

class CVARSerializer {
 public:
  // The kind of a raw zero-terminated text, from the value of its first
  // `"T":"` (no blanks): "a" 1, "h" 2, "c" 3; 0 for any other or empty value,
  // an unterminated value, no such key, or a null text.
  static int GetMessageType(const char* text);

  // Fills the caller's new `result` from an analysis result text. `text` is
  // writable and zero-terminated, `length` its length; a trailing thumbnail is
  // cut off first (CutThumbnail), which changes the text. True when the text
  // parsed as one JSON object, whatever members it held. False, with the log
  // line " parse failed!!" and the text as cut, for a text that is not one
  // JSON value with optional white space around it, or whose value is not an
  // object; `result` may then hold the cut thumbnail.
  static bool Deserialize(char* text, int length, CVAR* result);

  // Fills `counts` from an all-object count text ("AC": channel items, each
  // "C" and "P": line items of "I" and "C"). Each channel item read empties
  // and refills that channel's entry. False with an "ERROR - " log line when
  // the text does not parse as an object, has no "AC" array, or at the first
  // channel item without an integer "C" or an array "P" (channels read before
  // it stay in the map). `length` is not used; the text is not changed.
  static bool DeserializeAllCount(const char* text, int length, CVARAllCounts* counts);

  // Cuts a thumbnail off the end of `text` when the text ends exactly with
  // `,"X":"<n characters>","t_size":n}` (X any one character, the key
  // "t_size" starting within the last 28 characters, n > 0): the n characters
  // go to result->Thumbnail and the text is ended with '}' where that comma
  // stood. Any other text is left alone. Returns true when it cut.
  static bool CutThumbnail(char* text, int length, CVAR* result);

  // A box from the members "l", "t", "w", "h" of `box`, each taken when an
  // integer: left l, top t, right left + w, bottom top + h. Members not taken
  // leave their field as it was; a `box` that is no object leaves all four.
  static void ReadBox(const rapidjson::Value& box, CVARBox* out);
  // Appends every integer element of `array` (nothing when it is no array).
  static void ReadIntArray(const rapidjson::Value& array, std::vector<int>* out);
  // Appends every real element of `array` as float (nothing when it is no array).
  static void ReadFloatArray(const rapidjson::Value& array, std::vector<float>* out);
  // The members every result text begins with: "T" (string) Type, "w" and
  // "h" (integers) Width and Height, "C" (integer) Channel, "S" (string)
  // Time; a member missing or of another type leaves its field.
  static void ReadHeader(const rapidjson::Value& document, CVAR* result);
  // Appends (class code, confidence) for every integer element of `codes`,
  // pairing the i-th integer with the i-th real of `confidences` (may be
  // null); a class code without a confidence gets 0. With `mapCode` the
  // engine's number is turned into the class code. Nothing when `codes` is
  // no array.
  static void ReadClasses(const rapidjson::Value& codes, const rapidjson::Value* confidences,
                          std::vector<std::pair<int, float>>* out, int (*mapCode)(int) = nullptr);
};

// True when `object` is an object with a member `key` that is an integer.
bool CheckInt(const rapidjson::Value& object, const char* key);
// True when `object` is an object with a member `key` that is an array.
bool CheckArray(const rapidjson::Value& object, const char* key);
