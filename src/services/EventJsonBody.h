// CEventJsonBody: the body of an event API reply, a JSON object written one
// entry a line: "{\r\n", then "\t\"<prefix><number>\": <value>" lines joined
// by ",\r\n" with "\r\n" after the last, then "}" without a line end. No
// entry gives "{\r\n}". Keys may repeat (a camera analysed twice). Text in
// the ANSI code page; Finish converts it to UTF-8. Quotes, backslashes and
// control bytes in key prefixes and text values are escaped so the body is
// valid JSON; every other byte (also "/") stays as it is. One thread.
#pragma once

#include <string>
#include <vector>

class CEventJsonBody {
 public:
  // "<value>" as a JSON string.
  void AddText(const std::string& prefix, int number, const std::string& value);
  // A number value, "%d".
  void AddNumber(const std::string& prefix, int number, int value);
  // "[a,b,...]" (JoinIntList: "%d" joined by "," without blanks; "[]" when empty).
  void AddList(const std::string& prefix, int number, const std::vector<int>& values);
  // The whole body in UTF-8.
  std::string Finish() const;

  // `text` with `"`, `\` and the bytes below 0x20 escaped (JsonEscape), "/" kept.
  static std::string EscapeJsonText(const std::string& text);
  // The numbers "%d" joined by ",".
  static std::string JoinIntList(const std::vector<int>& values);

 private:
  void AddLine(const std::string& prefix, int number, const std::string& value);
  std::vector<std::string> lines_;
};
