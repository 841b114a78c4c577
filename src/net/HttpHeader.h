// Reading fields out of an HTTP header block (start line, field lines, empty
// line), as conforming peers write them: names compared without regard to
// case, optional blanks around the colon and the value.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The values of every field named `name`, in order, trimmed of blanks.
std::vector<std::string> FindHeaderFields(std::string_view header, std::string_view name);
// The first value of field `name`; false when the field is absent.
bool FindHeaderField(std::string_view header, std::string_view name, std::string* value);
// The status code of a status line "HTTP/x.y NNN reason", 0 when the block has none.
int GetHeaderStatusCode(std::string_view header);
// True when the last transfer coding of Transfer-Encoding is "chunked".
bool IsChunkedHeader(std::string_view header);
// The Content-Length value, 0 when absent or no number; values past INT_MAX give INT_MAX.
int GetHeaderContentLength(std::string_view header);

// How a request's body is framed, read from its header block.
struct RequestFraming {
  int contentLength = 0;        // the Content-Length value (INT_MAX when larger), 0 when absent
  bool chunked = false;         // the last transfer coding is "chunked"
  bool expectContinue = false;  // "Expect: 100-continue": the client waits for an interim reply
};
// Reads the framing of a request header block. False, with the reason in
// `error`, when its framing is ambiguous (RFC 9112): a field name followed by
// blanks before its colon, two different Content-Length values, or a
// Content-Length beside a Transfer-Encoding.
bool ReadRequestFraming(std::string_view header, RequestFraming* framing, std::string* error);
