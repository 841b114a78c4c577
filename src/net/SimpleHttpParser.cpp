#include "net/SimpleHttpParser.h"

#include <stdlib.h>

#include "foundation/StrList.h"
#include "foundation/StringUtil.h"

std::string HttpMethodText(int method) {
  if (method == 1) return "GET";
  if (method == 2) return "POST";
  return std::string();
}

CSimpleHttpParser::CSimpleHttpParser(const std::string& message) { Parse(message); }

void CSimpleHttpParser::Parse(const std::string& message) {
  CStrList lines;
  lines.Split(message, "\n");
  int i = 0;
  int count = lines.GetCount();

  // The start line: the first line of three words or more.
  for (; i < count; ++i) {
    CStrList words;
    if (words.Split(StrTrim(lines.GetAt(i)), " ") < 3) continue;
    const std::string& first = words.GetAt(0);
    if (StrEqualNoCase(first, "get") || StrEqualNoCase(first, "post")) {
      method = StrEqualNoCase(first, "get") ? 1 : 2;
      path = words.GetAt(1);
      for (int w = 2; w + 1 < words.GetCount(); ++w) path += " " + words.GetAt(w);  // a target with blanks
    } else {
      statusCode = atoi(words.GetAt(1).c_str());
    }
    ++i;
    break;
  }

  // Field lines up to the empty line. A value is everything after the first
  // colon, so ports, times and Digest values with colons stay whole.
  for (; i < count; ++i) {
    std::string line = StrTrim(lines.GetAt(i));
    if (line.empty()) {
      ++i;
      break;
    }
    size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0) continue;
    std::string name = line.substr(0, colon);
    std::string value = StrTrim(std::string_view(line).substr(colon + 1));
    if (value.empty()) continue;
    if (StrEqualNoCase(name, "content-type")) {
      contentType = value;
    } else if (StrEqualNoCase(name, "content-length")) {
      contentLength = atoi(value.c_str());
    } else if (StrEqualNoCase(name, "Authorization")) {
      authorization = value;
    } else if (StrEqualNoCase(name, "X-Forwarded-For")) {
      CStrList entries;
      entries.Split(value, ",");
      forwarded = entries.Items();
    }
  }

  // The body: every later line as received.
  for (; i < count; ++i) body += lines.GetAt(i) + "\n";
}
