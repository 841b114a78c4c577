#include "net/HttpReply.h"

#include "foundation/StringUtil.h"

namespace {

// Element text made well-formed: "&", "<" and ">" become entities. Quotes are
// legal in text and stay, so documents without markup keep their bytes.
std::string EscapeText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string CHttpReply::GetStatusText() const {
  switch (code) {
    case 200: return "OK";
    case 201: return "Created";
    case 202: return "Accepted";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 304: return "Not Modified";
    case 307: return "Temporary Redirect";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 406: return "Not Acceptable";
    case 409: return "Conflict";
    case 412: return "Precondition Failed";
    case 415: return "Unsupported Media Type";
    case 429: return "Too Many Requests";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 503: return "Service Unavailable";
    default: return std::string();
  }
}

std::string CHttpReply::GetStatusLine() const { return StrFormat("%d %s", code, GetStatusText().c_str()); }

std::string CHttpReply::ToXml() const {
  std::string xml = "<Result>\r\n";
  xml += StrFormat("\t<Code>%d</Code>\r\n", code);
  xml += "\t<Comment>" + EscapeText(GetStatusText()) + "</Comment>\r\n";
  for (const auto& [name, text] : extras) xml += "\t<" + name + ">" + EscapeText(text) + "</" + name + ">\r\n";
  return xml + "</Result>";
}
