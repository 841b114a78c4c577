// HTTP Digest access authentication (RFC 2617, and SHA-256 of RFC 7616): the
// record of one challenge and its answer, the digest computations shared by the
// client and the server, and the reader of auth-params ("name=token" or
// name="quoted string", separated by commas).
//
// Digests are lower-case hexadecimal: 32 characters for MD5, 64 for SHA-256.
// The -sess forms take H(A1) as H(hex H(user:realm:password) ":" nonce ":" cnonce),
// as RFC 7616 and the servers and clients in use compute it.
#pragma once

#include <map>
#include <string>
#include <string_view>

// One challenge and the answer built for it.
struct CDigestAuthInfo {
  std::string method;     // "GET" or "POST", set by the header builder
  std::string scheme;     // the challenge's scheme word ("Digest")
  std::string algorithm;  // as offered; "MD5" when none was
  std::string user;
  std::string realm;
  std::string password;
  std::string nonce;
  std::string uri;        // the request target as sent on the request line
  std::string qop;        // the chosen qop ("auth" preferred), "" when none offered
  int nonceCount = 0;     // 0 after a challenge is read, 1 after the first answer
  std::string cnonce;     // client nonce
  std::string response;   // hexadecimal response digest
  std::string opaque;     // "" when none
};

// True for the algorithms the computations below know: "", MD5, MD5-sess,
// SHA-256, SHA-256-sess (without regard to case).
bool IsKnownDigestAlgorithm(std::string_view algorithm);
// True when `algorithm` names SHA-256 or SHA-256-sess.
bool IsSha256DigestAlgorithm(std::string_view algorithm);

// H(A1) with MD5: of user ":" realm ":" password, or the -sess form when
// `algorithm` is MD5-sess (without regard to case).
std::string DigestCalcHA1(const std::string& algorithm, const std::string& user, const std::string& realm,
                          const std::string& password, const std::string& nonce, const std::string& cnonce);
// The response with MD5: H(HA1 ":" nonce ":" [nc ":" cnonce ":" qop ":"] H(A2)),
// where H(A2) covers method ":" uri, and ":" `entityHash` for qop "auth-int".
std::string DigestCalcResponse(const std::string& ha1, const std::string& nonce, const std::string& nonceCount,
                               const std::string& cnonce, const std::string& qop, const std::string& method,
                               const std::string& uri, const std::string& entityHash);
// The same two with SHA-256 (the -sess form for SHA-256-sess).
std::string DigestCalcHA1Sha256(const std::string& algorithm, const std::string& user, const std::string& realm,
                                const std::string& password, const std::string& nonce, const std::string& cnonce);
std::string DigestCalcResponseSha256(const std::string& ha1, const std::string& nonce, const std::string& nonceCount,
                                     const std::string& cnonce, const std::string& qop, const std::string& method,
                                     const std::string& uri, const std::string& entityHash);
// H(body) in the algorithm's digest, for qop "auth-int".
std::string DigestEntityHash(const std::string& algorithm, const std::string& body);

// Reads the auth-params of a challenge or an Authorization value (the text
// after the scheme word) into `params`, names lower-cased, quoted values
// unescaped. Returns false on malformed text (unterminated quote, missing "=").
// A repeated name keeps its first value.
bool ParseAuthParams(std::string_view text, std::map<std::string, std::string>* params);
// `value` as a quoted-string: '"' and '\' escaped, CR and LF dropped.
std::string QuoteAuthValue(const std::string& value);
