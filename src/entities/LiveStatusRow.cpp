#include "entities/LiveStatusRow.h"

#include "foundation/StringUtil.h"

int StreamErrorCode(std::string text) {
  if (text.empty()) return 0;
  static const struct {
    const char* text;
    int code;
  } kCodes[] = {{"videoloss", 4}, {"unauthorized", 2}, {"invalidstreamaddress", 3}, {"connectfailed", 1}};
  for (const auto& entry : kCodes) {
    if (StrEqualNoCase(text, entry.text)) return entry.code;
  }
  return -1;
}

int ParseStreamErrorText(const std::string& text) { return StreamErrorCode(text); }
