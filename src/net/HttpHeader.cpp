#include "net/HttpHeader.h"

#include <limits.h>

#include "foundation/StrList.h"
#include "foundation/StringUtil.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Calls `visit(name, value)` for every field line after the start line.
template <typename Visit>
void ForEachField(std::string_view header, Visit visit) {
  size_t start = header.find('\n');
  while (start != std::string_view::npos && start + 1 < header.size()) {
    size_t lineStart = start + 1;
    size_t end = header.find('\n', lineStart);
    std::string_view line = header.substr(lineStart, end == std::string_view::npos ? std::string_view::npos
                                                                                   : end - lineStart);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) break;  // the empty line ends the block
    size_t colon = line.find(':');
    if (colon != std::string_view::npos && colon > 0) {
      std::string_view name = line.substr(0, colon);
      while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
      if (!visit(name, StrTrim(line.substr(colon + 1)))) return;
    }
    start = end;
  }
}

}  // namespace

std::vector<std::string> FindHeaderFields(std::string_view header, std::string_view name) {
  std::vector<std::string> values;
  ForEachField(header, [&](std::string_view field, std::string value) {
    if (StrEqualNoCase(field, name)) values.push_back(std::move(value));
    return true;
  });
  return values;
}

bool FindHeaderField(std::string_view header, std::string_view name, std::string* value) {
  bool found = false;
  ForEachField(header, [&](std::string_view field, std::string text) {
    if (!StrEqualNoCase(field, name)) return true;
    *value = std::move(text);
    found = true;
    return false;
  });
  return found;
}

int GetHeaderStatusCode(std::string_view header) {
  if (!StrStartsWithNoCase(header, "HTTP/")) return 0;
  size_t space = header.find(' ');
  size_t lineEnd = header.find('\n');
  if (space == std::string_view::npos || space > lineEnd) return 0;
  int code = 0;
  size_t i = space + 1;
  int digits = 0;
  for (; i < header.size() && header[i] >= '0' && header[i] <= '9' && digits < 3; ++i, ++digits) {
    code = code * 10 + (header[i] - '0');
  }
  return digits == 3 ? code : 0;
}

bool IsChunkedHeader(std::string_view header) {
  bool chunked = false;
  for (const std::string& value : FindHeaderFields(header, "Transfer-Encoding")) {
    CStrList codings;
    codings.Split(value, ",");
    if (codings.GetCount() > 0) chunked = StrEqualNoCase(StrTrim(codings.GetAt(codings.GetCount() - 1)), "chunked");
  }
  return chunked;
}

namespace {

// The leading digits of a Content-Length value, 0 when none, INT_MAX when larger.
int ContentLengthValue(std::string_view value) {
  long long length = 0;
  for (char c : value) {
    if (c < '0' || c > '9') break;
    length = length * 10 + (c - '0');
    if (length > INT_MAX) return INT_MAX;
  }
  return static_cast<int>(length);
}

// True when a field line of the block has blanks between its name and the colon.
bool HasBlankBeforeColon(std::string_view header) {
  size_t start = header.find('\n');
  while (start != std::string_view::npos && start + 1 < header.size()) {
    size_t end = header.find('\n', start + 1);
    std::string_view line = header.substr(start + 1, end == std::string_view::npos ? std::string_view::npos
                                                                                   : end - start - 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) break;
    size_t colon = line.find(':');
    if (colon != std::string_view::npos && colon > 0 && IsBlank(line[colon - 1])) return true;
    start = end;
  }
  return false;
}

}  // namespace

int GetHeaderContentLength(std::string_view header) {
  std::string value;
  if (!FindHeaderField(header, "Content-Length", &value)) return 0;
  return ContentLengthValue(value);
}

bool ReadRequestFraming(std::string_view header, RequestFraming* framing, std::string* error) {
  *framing = RequestFraming{};
  if (HasBlankBeforeColon(header)) {
    *error = "a field name is followed by blanks before its colon";
    return false;
  }
  // Every Content-Length field, and every entry of a list in one, must give the same length.
  bool haveLength = false;
  for (const std::string& value : FindHeaderFields(header, "Content-Length")) {
    CStrList entries;
    entries.Split(value, ",");
    for (int i = 0; i < entries.GetCount(); ++i) {
      int length = ContentLengthValue(StrTrim(entries.GetAt(i)));
      if (haveLength && length != framing->contentLength) {
        *error = "two different Content-Length values";
        return false;
      }
      haveLength = true;
      framing->contentLength = length;
    }
  }
  if (haveLength && !FindHeaderFields(header, "Transfer-Encoding").empty()) {
    *error = "Content-Length beside Transfer-Encoding";
    return false;
  }
  framing->chunked = IsChunkedHeader(header);
  std::string expect;
  framing->expectContinue = FindHeaderField(header, "Expect", &expect) && StrEqualNoCase(expect, "100-continue");
  return true;
}
