#include "net/SimpleHttpParser.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "foundation/StringUtil.h"

std::string HttpMethodText(int method) {
  if (method == 1) return "GET";
  if (method == 2) return "POST";
  return std::string();
}

CSimpleHttpParser::CSimpleHttpParser(const std::string& message) { Parse(message); }

namespace {

bool IsBlankByte(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view TrimView(std::string_view text) {
  while (!text.empty() && IsBlankByte(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankByte(text.back())) text.remove_suffix(1);
  return text;
}

// The next non-empty piece of `rest` before a line feed; false at the end.
// `rest` moves past it. Runs of line feeds cost one scan, not one call each.
bool NextLine(std::string_view* rest, std::string_view* line) {
  const size_t start = rest->find_first_not_of('\n');
  if (start == std::string_view::npos) {
    *rest = std::string_view();
    return false;
  }
  const size_t end = rest->find('\n', start);
  *line = rest->substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
  *rest = end == std::string_view::npos ? std::string_view() : rest->substr(end + 1);
  return true;
}

// Appends to `pieces` the non-empty pieces of `text` between `separator`s,
// at most `most` of them.
template <typename Piece>
void SplitPieces(std::string_view text, char separator, size_t most, std::vector<Piece>* pieces) {
  size_t position = 0;
  while (position < text.size() && pieces->size() < most) {
    const size_t end = std::min(text.find(separator, position), text.size());
    if (end > position) pieces->emplace_back(text.substr(position, end - position));
    position = end + 1;
  }
}

// The first line feed at or after `from`, or `end`. Short lines are walked
// in place; a long one goes to memchr.
const char* SkipToLineFeed(const char* from, const char* end) {
  const char* p = from;
  for (int i = 0; i < 16 && p < end; ++i, ++p) {
    if (*p == '\n') return p;
  }
  if (p == end) return end;
  const void* found = memchr(p, '\n', static_cast<size_t>(end - p));
  return found ? static_cast<const char*>(found) : end;
}

}  // namespace

void CSimpleHttpParser::ReadField(std::string_view name, std::string_view value) {
  std::string* text = nullptr;
  if (StrEqualNoCase(name, "content-type")) {
    text = &contentType;
  } else if (StrEqualNoCase(name, "Authorization")) {
    text = &authorization;
  } else if (!StrEqualNoCase(name, "content-length") && !StrEqualNoCase(name, "X-Forwarded-For")) {
    return;
  }
  if (value.empty()) return;
  if (text) {
    text->assign(value);
  } else if (name.size() == 14) {  // content-length
    contentLength = atoi(std::string(value).c_str());
  } else {
    forwarded.clear();  // the last such line holds
    SplitPieces(value, ',', kMaxForwarded, &forwarded);
  }
}

// One pass over the message, lines and words taken as views of it: the time
// is linear in its size whatever its shape (many or long lines, a long
// forwarded list, runs of empty lines).
void CSimpleHttpParser::Parse(const std::string& message) {
  std::string_view rest(message);
  std::string_view line;

  // The start line: the first line of three words or more.
  std::vector<std::string_view> words;
  while (NextLine(&rest, &line)) {
    words.clear();
    SplitPieces(TrimView(line), ' ', SIZE_MAX, &words);
    if (words.size() < 3) continue;
    const std::string_view first = words[0];
    if (StrEqualNoCase(first, "get") || StrEqualNoCase(first, "post")) {
      method = StrEqualNoCase(first, "get") ? 1 : 2;
      path.assign(words[1]);
      for (size_t w = 2; w + 1 < words.size(); ++w) {  // a target with blanks
        path += ' ';
        path.append(words[w]);
      }
    } else {
      statusCode = atoi(std::string(words[1]).c_str());
    }
    break;
  }

  // Field lines up to the empty line (one of blanks only; bare line feeds are
  // skipped as anywhere else). A value is everything after the first colon,
  // so ports, times and Digest values with colons stay whole. Each line is
  // walked once, byte by byte up to its colon: a header of many short lines
  // costs about what a body of the same size does.
  const char* p = rest.data();
  const char* const end = p + rest.size();
  while (p < end) {
    while (p < end && *p == '\n') ++p;
    if (p == end) break;
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\r')) ++p;
    if (p == end || *p == '\n') break;  // the empty line
    const char* colon = p;
    while (colon < end && *colon != ':' && *colon != '\n') ++colon;
    const char* line_end = colon;
    if (colon < end && *colon == ':') {
      line_end = SkipToLineFeed(colon, end);
      const std::string_view name(p, static_cast<size_t>(colon - p));
      // Only the four names read here (12 to 15 letters); any other line costs
      // no more than this.
      if (name.size() >= 12 && name.size() <= 15) {
        ReadField(name, TrimView(std::string_view(colon + 1, static_cast<size_t>(line_end - colon - 1))));
      }
    }
    p = line_end;
  }
  rest = std::string_view(p, static_cast<size_t>(end - p));

  // The body: every later line as received.
  body.reserve(rest.size() + 1);
  while (NextLine(&rest, &line)) {
    body.append(line);
    body += '\n';
  }
}
