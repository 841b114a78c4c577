#include "net/UrlFormatter.h"

#include <stdlib.h>

#include "foundation/StrList.h"
#include "foundation/StringUtil.h"

std::string UrlEncode(const std::string& text) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size() * 3);
  for (unsigned char c : text) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                 c == '_' || c == '.' || c == '~';
    if (plain) {
      out += static_cast<char>(c);
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kDigits[c >> 4];
      out += kDigits[c & 0x0F];
    }
  }
  return out;
}

namespace {

// A digit of "%xy": a decimal digit counts its value, anything else its
// lower-case code minus 87 (so "a".."f" give 10..15).
int DigitValue(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if (u >= '0' && u <= '9') return u - '0';
  if (u >= 'A' && u <= 'Z') u = static_cast<unsigned char>(u - 'A' + 'a');
  return static_cast<int>(u) - 87;
}

}  // namespace

std::string UrlDecode(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '%') {
      if (i + 1 >= text.size()) {  // a "%" at the very end stays as it is
        out += '%';
        break;
      }
      int high = DigitValue(text[i + 1]);
      // One character after the "%": the text's end counts as the second digit.
      int low = i + 2 < text.size() ? DigitValue(text[i + 2]) : DigitValue('\0');
      out += static_cast<char>(((high << 4) | (low & 0x0F)) & 0xFF);
      i += 2;
    } else if (c == '+') {
      out += ' ';
    } else {
      out += c;
    }
  }
  return out;
}

void CUrlFormatter::SetUrl(const std::string& url) {
  if (url.empty()) return;
  ClearParams();
  Parse(url);
}

std::string CUrlFormatter::GetUrl() { return BuildUrl(); }

std::string CUrlFormatter::GetQuery() {
  std::string query;
  for (const auto& [key, value] : params_) {
    if (!query.empty()) query += '&';
    query += Encode(key) + "=" + Encode(value);
  }
  return query;
}

void CUrlFormatter::SetParam(const std::string& key, const std::string& value) {
  auto found = index_.find(key);
  if (found != index_.end()) {
    params_[found->second].second = value;
    return;
  }
  params_.emplace_back(key, value);
  index_[key] = static_cast<int>(params_.size()) - 1;
}

void CUrlFormatter::RemoveParam(const std::string& key) {
  auto found = index_.find(key);
  if (found == index_.end()) return;
  int position = found->second;
  params_.erase(params_.begin() + position);
  index_.erase(found);
  for (auto& entry : index_) {
    if (entry.second > position) --entry.second;
  }
}

void CUrlFormatter::ClearParams() {
  params_.clear();
  index_.clear();
}

std::string CUrlFormatter::GetRelativePath() {
  std::string p = GetPath();
  if (!p.empty() && p[0] == '/') p.erase(0, 1);
  return p;
}

void CUrlFormatter::Parse(const std::string& url) {
  CStrList tokens;
  if (tokens.Split(url, "/") == 0) return;
  int next = 0;
  const std::string& first = tokens.GetAt(0);
  if (first.back() == ':') {
    scheme_ = first.substr(0, first.size() - 1);
    if (StrEqualNoCase(scheme_, "https")) secure_ = 1;
    if (tokens.GetCount() < 2) return;
    const std::string& authority = tokens.GetAt(1);
    std::string hostPort = authority;
    size_t at = authority.find('@');
    if (at != std::string::npos) {
      CStrList userInfo;
      userInfo.Split(authority.substr(0, at), ":");
      user_ = Decode(userInfo.GetAt(0));
      password_ = Decode(userInfo.GetAt(1));
      hostPort = authority.substr(at + 1);
    }
    CStrList hostAndPort;
    hostAndPort.Split(hostPort, ":");
    host_ = Decode(hostAndPort.GetAt(0));
    port = atoi(Decode(hostAndPort.GetAt(1)).c_str());
    next = 2;
    if (tokens.GetCount() <= next) return;
  }

  std::string newPath;
  std::string query;
  for (int i = next; i < tokens.GetCount(); ++i) {
    const std::string& token = tokens.GetAt(i);
    size_t mark = token.find('?');
    if (mark != std::string::npos) {
      newPath += '/';
      newPath += Decode(token.substr(0, mark));
      query = token.substr(mark + 1);
      break;
    }
    newPath += '/';
    newPath += Decode(token);
  }
  path = newPath;

  CStrList pairs;
  pairs.Split(query, "&");
  for (const std::string& pair : pairs.Items()) {
    size_t equals = pair.find('=');
    if (equals == std::string::npos) {
      SetParam(Decode(pair), "");
    } else {
      SetParam(Decode(pair.substr(0, equals)), Decode(pair.substr(equals + 1)));
    }
  }
}

std::string CUrlFormatter::BuildUrl() {
  std::string url;
  bool withAuthority = !scheme_.empty() && !host_.empty();
  if (withAuthority) {
    url += scheme_ + "://";
    if (!user_.empty()) {
      url += Encode(user_);
      if (!password_.empty()) {
        url += ':';
        url += Encode(password_);
      }
      url += "@";
    }
    url += Encode(host_);
    if (port > 0) {
      url += ':';
      url += IntToString(port);
    }
  }
  if (!path.empty()) {
    CStrList segments;
    segments.Split(path, "/");
    for (const std::string& segment : segments.Items()) {
      url += '/';
      url += Encode(segment);
    }
  }
  std::string query = GetQuery();
  if (!query.empty()) {
    // A bare query (no path, no host) is a form body and takes no "?".
    if (!path.empty() || withAuthority) url += "?";
    url += query;
  }
  return url;
}

std::string CUrlFormatter::Encode(const std::string& text) { return UrlEncode(utf8 ? ToUtf8(text) : text); }

std::string CUrlFormatter::Decode(const std::string& text) {
  return utf8 ? FromUtf8(UrlDecode(text)) : UrlDecode(text);
}

std::string CUrlFormatter::ToUtf8(const std::string& text) { return AnsiToUtf8(text); }

std::string CUrlFormatter::FromUtf8(const std::string& text) { return Utf8ToAnsi(text); }
