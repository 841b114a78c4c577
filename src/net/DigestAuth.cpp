#include "net/DigestAuth.h"

#include "foundation/Digest.h"
#include "foundation/Log.h"
#include "foundation/StrList.h"
#include "foundation/StringUtil.h"
#include "net/HttpHeader.h"
#include "net/MyHttp.h"

namespace {

bool IsSessAlgorithm(std::string_view algorithm) {
  return StrEqualNoCase(algorithm, "MD5-sess") || StrEqualNoCase(algorithm, "SHA-256-sess");
}

std::string Hash(bool sha256, std::string_view text) { return sha256 ? Sha256Hex(text) : Md5Hex(text); }

std::string CalcHA1(bool sha256, const std::string& algorithm, const std::string& user, const std::string& realm,
                    const std::string& password, const std::string& nonce, const std::string& cnonce) {
  std::string ha1 = Hash(sha256, user + ":" + realm + ":" + password);
  if (IsSessAlgorithm(algorithm)) ha1 = Hash(sha256, ha1 + ":" + nonce + ":" + cnonce);
  return ha1;
}

std::string CalcResponse(bool sha256, const std::string& ha1, const std::string& nonce, const std::string& nonceCount,
                         const std::string& cnonce, const std::string& qop, const std::string& method,
                         const std::string& uri, const std::string& entityHash) {
  std::string a2 = method + ":" + uri;
  if (qop == "auth-int") a2 += ":" + entityHash;
  std::string text = ha1 + ":" + nonce + ":";
  if (!qop.empty()) text += nonceCount + ":" + cnonce + ":" + qop + ":";
  return Hash(sha256, text + Hash(sha256, a2));
}

bool IsSpaceOrLineEnd(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool IsKnownDigestAlgorithm(std::string_view algorithm) {
  return algorithm.empty() || StrEqualNoCase(algorithm, "MD5") || IsSha256DigestAlgorithm(algorithm) ||
         StrEqualNoCase(algorithm, "MD5-sess");
}

bool IsSha256DigestAlgorithm(std::string_view algorithm) {
  return StrEqualNoCase(algorithm, "SHA-256") || StrEqualNoCase(algorithm, "SHA-256-sess");
}

std::string DigestCalcHA1(const std::string& algorithm, const std::string& user, const std::string& realm,
                          const std::string& password, const std::string& nonce, const std::string& cnonce) {
  return CalcHA1(false, algorithm, user, realm, password, nonce, cnonce);
}

std::string DigestCalcResponse(const std::string& ha1, const std::string& nonce, const std::string& nonceCount,
                               const std::string& cnonce, const std::string& qop, const std::string& method,
                               const std::string& uri, const std::string& entityHash) {
  return CalcResponse(false, ha1, nonce, nonceCount, cnonce, qop, method, uri, entityHash);
}

std::string DigestCalcHA1Sha256(const std::string& algorithm, const std::string& user, const std::string& realm,
                                const std::string& password, const std::string& nonce, const std::string& cnonce) {
  return CalcHA1(true, algorithm, user, realm, password, nonce, cnonce);
}

std::string DigestCalcResponseSha256(const std::string& ha1, const std::string& nonce, const std::string& nonceCount,
                                     const std::string& cnonce, const std::string& qop, const std::string& method,
                                     const std::string& uri, const std::string& entityHash) {
  return CalcResponse(true, ha1, nonce, nonceCount, cnonce, qop, method, uri, entityHash);
}

std::string DigestEntityHash(const std::string& algorithm, const std::string& body) {
  return Hash(IsSha256DigestAlgorithm(algorithm), body);
}

bool ParseAuthParams(std::string_view text, std::map<std::string, std::string>* params) {
  size_t i = 0;
  auto skipBlanks = [&] {
    while (i < text.size() && IsSpaceOrLineEnd(text[i])) ++i;
  };
  for (;;) {
    while (i < text.size() && (IsSpaceOrLineEnd(text[i]) || text[i] == ',')) ++i;
    if (i >= text.size()) return true;
    size_t nameStart = i;
    while (i < text.size() && text[i] != '=' && text[i] != ',' && !IsSpaceOrLineEnd(text[i]) && text[i] != '"') ++i;
    std::string name = StrToLower(text.substr(nameStart, i - nameStart));
    skipBlanks();
    if (name.empty() || i >= text.size() || text[i] != '=') return false;
    ++i;
    skipBlanks();
    std::string value;
    if (i < text.size() && text[i] == '"') {
      ++i;
      bool closed = false;
      while (i < text.size()) {
        char c = text[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\' && i < text.size()) c = text[i++];
        value += c;
      }
      if (!closed) return false;
    } else {
      size_t valueStart = i;
      while (i < text.size() && text[i] != ',' && !IsSpaceOrLineEnd(text[i])) ++i;
      value = std::string(text.substr(valueStart, i - valueStart));
    }
    params->emplace(std::move(name), std::move(value));
    skipBlanks();
    if (i < text.size() && text[i] != ',') return false;
  }
}

std::string QuoteAuthValue(const std::string& value) {
  std::string quoted = "\"";
  for (char c : value) {
    if (c == '\r' || c == '\n') continue;
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

bool CMyHttp::CheckDigestAuth(const std::string& reply, CDigestAuthInfo* info) {
  *info = CDigestAuthInfo{};
  if (GetHeaderStatusCode(reply) != 401) return false;
  std::vector<std::string> challenges = FindHeaderFields(reply, "WWW-Authenticate");
  const char* missing = "WWW-Authenticate\n";
  for (const std::string& challenge : challenges) {
    size_t blank = challenge.find(' ');
    std::string scheme = challenge.substr(0, blank);
    std::map<std::string, std::string> params;
    if (!StrEqualNoCase(scheme, "Digest") || blank == std::string::npos ||
        !ParseAuthParams(std::string_view(challenge).substr(blank + 1), &params)) {
      continue;
    }
    if (!params.count("realm")) {
      missing = "realm\n";
      continue;
    }
    if (!params.count("nonce")) {
      missing = "nonce\n";
      continue;
    }
    // An algorithm this client cannot compute is refused (and logged) rather
    // than answered with an empty response, which could only be refused again.
    if (!IsKnownDigestAlgorithm(params["algorithm"])) {
      missing = "algorithm\n";
      continue;
    }
    info->scheme = scheme;
    info->algorithm = params["algorithm"];
    info->realm = params["realm"];
    info->nonce = params["nonce"];
    info->opaque = params["opaque"];
    // Of the offered qop values, "auth" is preferred, then "auth-int"; others
    // are not answered (their rules are unknown here, and their text would go
    // into the request unquoted).
    CStrList offered;
    offered.Split(params["qop"], ",");
    for (const std::string& item : offered.Items()) {
      std::string qop = StrTrim(item);
      if (qop == "auth" || (qop == "auth-int" && info->qop.empty())) info->qop = qop;
    }
    return true;
  }
  GATE_LOG_DEFAULT("%s", missing);
  return false;
}

std::string CMyHttp::MakeDigestAuthHeader(CDigestAuthInfo* info, const std::string& method, const std::string& user,
                                          const std::string& password, const std::string& uri,
                                          const std::string& body) {
  info->method = method;
  info->user = user;
  info->password = password;
  info->uri = uri;
  if (!info->qop.empty()) {
    info->nonceCount += 1;
    info->cnonce = info->nonce;
  }
  if (info->algorithm.empty()) info->algorithm = "MD5";
  std::string nonceCount = StrFormat("%08x", info->nonceCount);
  info->response.clear();
  if (IsKnownDigestAlgorithm(info->algorithm)) {
    bool sha256 = IsSha256DigestAlgorithm(info->algorithm);
    std::string entityHash = info->qop == "auth-int" ? DigestEntityHash(info->algorithm, body) : std::string();
    std::string ha1 = CalcHA1(sha256, info->algorithm, user, info->realm, password, info->nonce, info->cnonce);
    info->response = CalcResponse(sha256, ha1, info->nonce, nonceCount, info->cnonce, info->qop, method, uri,
                                  entityHash);
  }
  std::string line = "Authorization: " + info->scheme + " algorithm=" + info->algorithm +
                     ", username=" + QuoteAuthValue(user) + ", realm=" + QuoteAuthValue(info->realm) +
                     ", nonce=" + QuoteAuthValue(info->nonce) + ", uri=" + QuoteAuthValue(uri);
  if (!info->qop.empty()) {
    line += ", qop=" + info->qop + ", nc=" + nonceCount + ", cnonce=" + QuoteAuthValue(info->cnonce);
  }
  line += ", response=\"" + info->response + "\"";
  if (!info->opaque.empty()) line += ", opaque=" + QuoteAuthValue(info->opaque);
  return line + "\r\n";
}
