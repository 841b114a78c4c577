// The replies of CHttpServer and its Digest check of protected CGIs.
#include <openssl/rand.h>
#include <stdlib.h>
#include <time.h>

#include <map>

#include "foundation/Base64.h"
#include "foundation/JsonSerializer.h"
#include "foundation/StringUtil.h"
#include "net/DigestAuth.h"
#include "net/HttpReply.h"
#include "net/HttpServer.h"
#include "net/SimpleHttpParser.h"
#include "net/UrlFormatter.h"

namespace {

const char kRealm[] = "ZMS";

// A value longer than its field of the historical record is refused.
bool Fits(const std::string& value, size_t capacity) { return value.size() < capacity; }

// True when the query has a parameter named exactly `name` ("name=..." or a bare "name").
bool HasQueryParameter(std::string_view query, std::string_view name) {
  while (!query.empty()) {
    size_t amp = query.find('&');
    std::string_view pair = query.substr(0, amp);
    if (pair.substr(0, pair.find('=')) == name) return true;
    if (amp == std::string_view::npos) break;
    query.remove_prefix(amp + 1);
  }
  return false;
}

}  // namespace

int CHttpServer::SendResponse(SOCKET socket, const std::string& statusLine, const std::string& authenticate,
                              const std::string& body) {
  std::string prefix = body.size() >= 2 && body[1] == '?' ? "" : "<?xml version=\"1.0\" encoding=\"EUC-KR\"?>\r\n";
  std::string text = StrFormat(
      "HTTP/1.1 %s\r\nWWW-Authenticate: %s\r\nContent-Type: text/xml; charset=euc-kr\r\nContent-Length: %d\r\n\r\n",
      statusLine.c_str(), authenticate.c_str(), static_cast<int>(prefix.size() + body.size()));
  text += prefix;
  text += body;
  return sock::SendAll(socket, text.data(), static_cast<int>(text.size()), 10000);
}

void CHttpServer::MakeNonce(std::string* nonce, std::string* opaque) {
  uint32_t random = 0;
  if (RAND_bytes(reinterpret_cast<unsigned char*>(&random), sizeof(random)) != 1) {
    random = static_cast<uint32_t>(::random());
  }
  int c = static_cast<int>(random % 10000000) + 1;
  std::string text = StrFormat("%10d%08d", static_cast<int32_t>(time(nullptr)), c);
  *nonce = Base64EncodeText(text);
  *opaque = StrFormat("%08d", c);
}

void CHttpServer::SendDigestChallenge(SOCKET socket) {
  std::string nonce;
  std::string opaque;
  MakeNonce(&nonce, &opaque);
  {
    CMutexLock hold(noncesLock_);
    auto now = std::chrono::steady_clock::now();
    while (!nonceOrder_.empty()) {
      auto oldest = nonces_.find(nonceOrder_.front());
      bool expired = oldest == nonces_.end() || now - oldest->second.issued > std::chrono::seconds(nonceLifetimeSec.load());
      if (!expired && nonceOrder_.size() < static_cast<size_t>(kMaxIssuedNonces)) break;
      if (oldest != nonces_.end()) nonces_.erase(oldest);
      nonceOrder_.pop_front();
    }
    if (nonces_.emplace(nonce, IssuedNonce{now, 0}).second) nonceOrder_.push_back(nonce);
  }
  std::string challenge = StrFormat("Digest algorithm=SHA-256, realm=\"%s\", qop=\"auth\", nonce=\"%s\", opaque=\"%s\"",
                                    kRealm, nonce.c_str(), opaque.c_str());
  CHttpReply reply(401);
  reply.extras["WWW-Authenticate"] = challenge;
  SendResponse(socket, reply.GetStatusLine(), challenge, reply.ToXml());
}

bool CHttpServer::ParseDigestAuthorization(const std::string& text, DIGESTINFO* record) {
  std::string value = StrTrim(text);
  if (!StrStartsWithNoCase(value, "Digest") || (value.size() > 6 && value[6] != ' ' && value[6] != '\t')) return false;
  std::map<std::string, std::string> params;
  if (!ParseAuthParams(std::string_view(value).substr(6), &params)) return false;
  auto take = [&params](const char* name, size_t capacity, std::string* out) {
    auto found = params.find(name);
    if (found == params.end()) return true;
    *out = found->second;
    return Fits(*out, capacity);
  };
  record->algorithm = "md5";
  if (!take("algorithm", 32, &record->algorithm) || !take("username", 32, &record->username) ||
      !take("realm", 128, &record->realm) || !take("nonce", 256, &record->nonce) || !take("uri", 2048, &record->uri) ||
      !take("qop", 32, &record->qop) || !take("nc", 9, &record->ncText) || !take("cnonce", 256, &record->cnonce) ||
      !take("response", 256, &record->response) || !take("opaque", 256, &record->opaque)) {
    return false;
  }
  for (const char* required : {"username", "realm", "nonce", "uri", "response"}) {
    if (!params.count(required)) return false;
  }
  record->nc = 0;
  if (!record->ncText.empty()) {
    char* end = nullptr;
    record->nc = static_cast<unsigned>(strtoul(record->ncText.c_str(), &end, 16));  // nc is hexadecimal
    if (*end != '\0') return false;
  }
  return true;
}

bool CHttpServer::CheckDigestResponse(DIGESTINFO* record, const std::string& method, const std::string& password) {
  record->method = method;
  record->password = password;
  // auth-int is not offered (the body's digest is not computed); unknown algorithms cannot verify.
  if (record->qop == "auth-int" || !IsKnownDigestAlgorithm(record->algorithm)) return false;
  if (!record->qop.empty() && (record->ncText.empty() || record->cnonce.empty())) return false;
  bool sha256 = IsSha256DigestAlgorithm(record->algorithm);
  std::string ha1 = sha256 ? DigestCalcHA1Sha256(record->algorithm, record->username, record->realm, password,
                                                 record->nonce, record->cnonce)
                           : DigestCalcHA1(record->algorithm, record->username, record->realm, password,
                                           record->nonce, record->cnonce);
  std::string expected =
      sha256 ? DigestCalcResponseSha256(ha1, record->nonce, record->ncText, record->cnonce, record->qop, method,
                                        record->uri, "")
             : DigestCalcResponse(ha1, record->nonce, record->ncText, record->cnonce, record->qop, method,
                                  record->uri, "");
  return StrEqualNoCase(expected, record->response);
}

void CHttpServer::NotifyAuthEvent(int event, SOCKET socket, const std::string& category, const std::string& cgi,
                                  void* data, void* value) {
  AuthCallback callback = authCallback.load();
  if (!callback) return;
  AUTHEVENT record{socket, category, cgi, data, value, authContext.load()};
  callback(event, &record);
}

bool CHttpServer::NeedsDigestAuth(int workerMode, const std::string& query) const {
  if (workerMode == 0) return false;
  // Credentials in the query are the handler's to check.
  return !(HasQueryParameter(query, "id") && HasQueryParameter(query, "password"));
}

bool CHttpServer::UseNonce(const std::string& nonce, unsigned nc) {
  CMutexLock hold(noncesLock_);
  auto found = nonces_.find(nonce);
  if (found == nonces_.end()) return false;
  if (std::chrono::steady_clock::now() - found->second.issued > std::chrono::seconds(nonceLifetimeSec.load())) return false;
  if (nc <= found->second.lastCount) return false;  // a replay, or a count that went back
  found->second.lastCount = nc;
  return true;
}

bool CHttpServer::Authenticate(SOCKET socket, int workerMode, const std::string& category, const std::string& cgi,
                               int method, const std::string& target, const std::string& authorization,
                               std::string* query, std::string* body) {
  if (!NeedsDigestAuth(workerMode, *query)) return true;
  DIGESTINFO record;
  if (authorization.empty() || authorization.find("Digest") == std::string::npos ||
      !ParseDigestAuthorization(authorization, &record)) {
    SendDigestChallenge(socket);
    return false;
  }
  std::string user = record.username;
  std::string password;
  int known = 0;
  {
    AuthCallback callback = authCallback.load();
    AUTHEVENT event{socket, category, cgi, &user, &password, authContext.load()};
    if (callback) callback(0, &event);
    known = event.userKnown;
  }
  // The answer counts only for a user the owner knows, for this request
  // target, on a nonce this server issued, with a nonce count that grew
  // (checked last: a wrong answer must not use up a count).
  bool verified = known && record.uri == target && CheckDigestResponse(&record, HttpMethodText(method), password) &&
                  UseNonce(record.nonce, record.nc);
  if (!verified) {
    int letThrough = 0;
    NotifyAuthEvent(1, socket, category, cgi, &letThrough, nullptr);
    if (!letThrough) {
      SendDigestChallenge(socket);
      return false;
    }
    password += "!";  // the handler sees credentials that do not match
  }
  if (method == 1) {
    *query += "&id=" + UrlEncode(user) + "&password=" + UrlEncode(password);
  } else if (method == 2) {
    std::map<std::string, std::string> values;
    std::string json;
    if (CJsonSerializer::Deserialize(*body, &values)) {
      values["id"] = user;
      values["password"] = password;
      if (CJsonSerializer::SerializeMap(values, &json)) *body = json;
    }
  }
  return true;
}
