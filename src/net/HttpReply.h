// CHttpReply: the status of a reply of the system's HTTP server and its
// <Result> document:
//   <Result>\r\n\t<Code>200</Code>\r\n\t<Comment>OK</Comment>\r\n[\t<Name>text</Name>\r\n...]</Result>
// Texts have "&", "<" and ">" escaped; element names are the caller's (plain names).
#pragma once

#include <map>
#include <string>

class CHttpReply {
 public:
  explicit CHttpReply(int code = 200) : code(code) {}

  // The reason phrase of the code ("OK", "Unauthorized", ...), "" for codes the system does not name.
  std::string GetStatusText() const;
  // "<code> <reason phrase>", e.g. "401 Unauthorized" ("418 " for a code without phrase).
  std::string GetStatusLine() const;
  // The <Result> document, without a line end after "</Result>".
  std::string ToXml() const;

  int code;
  std::map<std::string, std::string> extras;  // further elements, in byte order of their names
};
