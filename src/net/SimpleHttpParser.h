// CSimpleHttpParser: one whole received HTTP message (start line, field lines,
// body) split into the items the system reads: method and path of a request,
// status code of a reply, content type and length, Authorization, the
// X-Forwarded-For list and the body. A tolerant line parser: it never fails,
// does not decode chunked bodies and does not cut the body at the length.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// "GET" for 1, "POST" for 2, "" for any other method code.
std::string HttpMethodText(int method);

class CSimpleHttpParser {
 public:
  // Parses `message`; an object parses exactly one message.
  explicit CSimpleHttpParser(const std::string& message);
  virtual ~CSimpleHttpParser() = default;

  std::string GetBody() const { return body; }
  // The method code as text ("GET", "POST" or "").
  std::string GetMethod() const { return HttpMethodText(method); }

  // Filled by the parse, read directly by callers.
  int method = 0;                     // 1 GET, 2 POST, 0 otherwise (replies too)
  std::string path;                   // the request target of a GET or POST
  int statusCode = 0;                 // the second word of any other start line
  std::string reasonText;             // never filled
  std::string contentType;            // "Content-Type"
  int contentLength = 0;              // "Content-Length", 0 when absent
  std::string body;                   // every line after the empty line, each + "\n"
  std::string authorization;          // "Authorization"
  std::vector<std::string> forwarded; // "X-Forwarded-For" split at ",", entries untrimmed,
                                      // the first kMaxForwarded of them

  // Entries of a forwarded list kept: the first names the client, the rest
  // are proxies; a longer list is cut, so a crafted one costs no memory.
  static constexpr size_t kMaxForwarded = 64;

 private:
  void Parse(const std::string& message);
  // Keeps the value of a field line when its name is one read here.
  void ReadField(std::string_view name, std::string_view value);
};
