// CHttpResult: a raw reply text as status code, comment and body, with the
// system's own <Result> document read when the body holds one: a non-zero
// <Code> replaces the HTTP status and <Comment> becomes the comment.
#pragma once

#include <string>

class CHttpResult {
 public:
  explicit CHttpResult(const std::string& reply) { Parse(reply); }

  // Fills the fields from `reply` (never fails). A text that is no HTTP reply
  // is taken whole as the body and searched for a <Result> document.
  void Parse(const std::string& reply);

  int code = 0;            // HTTP status, or the <Result> code; 0 for no reply and no document
  std::string comment;     // the <Result> comment when the code came from it
  std::string body;        // the reply body, or the whole text when it is no HTTP reply
  int contentLength = 0;   // the reply's Content-Length, or the whole text's length
};
