// The request side of CMyHttp: connecting, the exact request texts, Basic,
// Digest and query-string credentials.
#include "net/MyHttp.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "foundation/Base64.h"
#include "foundation/Log.h"
#include "foundation/StrList.h"
#include "foundation/TokenList.h"
#include "net/Deadline.h"
#include "net/UrlFormatter.h"

namespace {

constexpr int kRetryPauseMs = 10;  // between the challenged request and its retry

int ClampedSecondsToMs(int seconds) { return std::clamp(seconds, 0, 24 * 3600) * 1000; }

// A body is sent up to its first zero byte.
std::string BodyText(const std::string& body) { return std::string(body.c_str()); }

const char kRequestTail[] = "Accept: */*\r\nUser-Agent: ORVU\r\nHost: ";

std::string GetText(const std::string& uri, const std::string& host, const char* extraHeader) {
  return "GET " + uri + " HTTP/1.1\r\n" + kRequestTail + host + "\r\n" + (extraHeader ? extraHeader : "") +
         "Connection: Keep-Alive\r\n\r\n";
}

std::string PostText(const std::string& uri, const std::string& host, const std::string& body,
                     const char* extraHeader) {
  std::string text = BodyText(body);
  return "POST " + uri + " HTTP/1.1\r\n" + kRequestTail + host + "\r\nContent-Length: " +
         std::to_string(text.size() + 4) + "\r\n" + (extraHeader ? extraHeader : "") +
         "Connection: Keep-Alive\r\n\r\n" + text + "\r\n\r\n";
}

// The Digest forms put the Authorization line (possibly empty) after Connection.
std::string DigestGetText(const std::string& uri, const std::string& host, const std::string& authLine) {
  return "GET " + uri + " HTTP/1.1\r\n" + kRequestTail + host + "\r\nConnection: Keep-Alive\r\n" + authLine + "\r\n";
}

std::string DigestPostText(const std::string& uri, const std::string& host, const std::string& body,
                           const std::string& authLine) {
  std::string text = BodyText(body);
  return "POST " + uri + " HTTP/1.1\r\n" + kRequestTail + host + "\r\nContent-Length: " +
         std::to_string(text.size() + 4) + "\r\nConnection: Keep-Alive\r\n" + authLine + "\r\n" + text + "\r\n\r\n";
}

// Writes the whole request on a stream client's connection; a failed write closes it.
// A stop asked of a stream client's connection: the connection's own stop
// flag, or the owner's check when it gave one.
struct StopCheck {
  CSecureSock* conn;
  SockAbortFunc abort;
  void* user;
  static bool Asked(void* self) {
    auto* check = static_cast<StopCheck*>(self);
    return check->conn->IsStopped() || (check->abort && check->abort(check->user));
  }
};

// Waits in slices of 100 ms until `conn` is readable, asking `stop` after
// each. False on a stop, an error or the deadline.
bool WaitReadableUnlessStopped(CSecureSock& conn, const CDeadline& deadline, StopCheck& stop) {
  constexpr int kStopSliceMs = 100;
  for (;;) {
    if (StopCheck::Asked(&stop)) return false;
    int left = deadline.RemainingMs();
    if (left <= 0) return false;
    int ready = sock::WaitReadable(conn.socket, std::min(left, kStopSliceMs));
    if (ready != 0) return ready > 0 && !StopCheck::Asked(&stop);
  }
}

int WriteRequest(CSecureSock& conn, const std::string& text, int timeoutSec) {
  int length = static_cast<int>(text.size());
  if (conn.WriteAll(text.data(), length, ClampedSecondsToMs(timeoutSec)) == length) return 1;
  conn.Close();
  return 0;
}

}  // namespace

CMyHttp::~CMyHttp() { Disconnect(); }

int CMyHttp::Connect(const std::string& host, unsigned short port, int timeoutSec, int tls) {
  CScopedLock hold(lock_);
  if (conn_.socket != INVALID_SOCKET) Disconnect();
  host_ = host;
  port_ = port;
  timeoutSec_ = timeoutSec;
  conn_.tls = tls ? 1 : 0;
  if (!conn_.Connect(host, port, ClampedSecondsToMs(timeoutSec))) return 0;
  return conn_.IsUsable() ? 1 : 0;
}

void CMyHttp::Disconnect() {
  CScopedLock hold(lock_);
  conn_.Close();
  conn_.tls = 0;
}

// CSecureSock::Stop is the one member any thread may call, so it needs no lock.
void CMyHttp::Abort() NO_THREAD_SAFETY_ANALYSIS { conn_.Stop(); }

bool CMyHttp::IsConnected() {
  CScopedLock hold(lock_);
  return conn_.IsUsable();
}

int CMyHttp::Send(const char* data, int length, int timeoutSec) {
  CScopedLock hold(lock_);
  if (!conn_.IsUsable()) return -1;
  return conn_.WriteAll(data, length, ClampedSecondsToMs(timeoutSec));
}

int CMyHttp::ReadReply(std::string* reply, int timeoutSec) { return RecvReplyText(conn_, reply, timeoutSec); }

int CMyHttp::RequestUri(const std::string& uri, std::string* reply, int timeoutSec, const char* extraHeader) {
  CScopedLock hold(lock_);
  std::string text = GetText(uri, host_, extraHeader);
  if (Send(text.data(), static_cast<int>(text.size()), timeoutSec) != static_cast<int>(text.size())) return 0;
  return ReadReply(reply, timeoutSec);
}

int CMyHttp::PostUri(const std::string& uri, const std::string& body, std::string* reply, int timeoutSec,
                     const char* extraHeader) {
  CScopedLock hold(lock_);
  std::string text = PostText(uri, host_, body, extraHeader);
  if (Send(text.data(), static_cast<int>(text.size()), timeoutSec) != static_cast<int>(text.size())) return 0;
  return ReadReply(reply, timeoutSec);
}

int CMyHttp::RequestUriUsingDigestAuth(const std::string& uri, const std::string& user, const std::string& password,
                                       std::string* reply, int timeoutSec) {
  return DigestExchange("GET", uri, user, password, nullptr, reply, timeoutSec);
}

int CMyHttp::PostUriUsingDigestAuth(const std::string& uri, const std::string& user, const std::string& password,
                                    const std::string& body, std::string* reply, int timeoutSec) {
  return DigestExchange("POST", uri, user, password, &body, reply, timeoutSec);
}

int CMyHttp::DigestExchange(const std::string& method, const std::string& uri, const std::string& user,
                            const std::string& password, const std::string* body, std::string* reply,
                            int timeoutSec) {
  const LogCallSite site{__FILE__,
                         body ? "CMyHttp::PostUriUsingDigestAuth" : "CMyHttp::RequestUriUsingDigestAuth", __LINE__,
                         nullptr};
  CScopedLock hold(lock_);
  if (!conn_.IsUsable()) return 0;
  CDigestAuthInfo info;
  std::string authLine;
  bool retried = false;
  for (;;) {
    std::string text = body ? DigestPostText(uri, host_, *body, authLine) : DigestGetText(uri, host_, authLine);
    if (Send(text.data(), static_cast<int>(text.size()), timeoutSec) != static_cast<int>(text.size())) return 0;
    if (!ReadReply(reply, timeoutSec)) {
      if (!body && reply->empty()) WriteLogAtLoggerLevel(site, "RecvHeader Failed! - uri : %s\r\n", uri.c_str());
      return 0;
    }
    if (!CheckDigestAuth(*reply, &info)) return 1;
    if (retried) return 0;  // a second challenge is not answered
    retried = true;
    authLine = MakeDigestAuthHeader(&info, method, user, password, uri, body ? BodyText(*body) : std::string());
    std::string host = host_;
    unsigned short port = port_;
    int tls = conn_.tls;
    Disconnect();
    std::this_thread::sleep_for(std::chrono::milliseconds(kRetryPauseMs));
    if (!Connect(host, port, timeoutSec, tls)) {
      WriteLogAtLoggerLevel(site, "Connect failed...:'(\r\n");
      return 0;
    }
  }
}

std::string CMyHttp::MakeBasicAuthHeader(const std::string& user, const std::string& password) {
  if (user.empty() && password.empty()) return std::string();
  return "Authorization: Basic " + Base64EncodeText(user + ":" + password) + "\r\n";
}

std::string CMyHttp::AppendCredentialQuery(const std::string& uri, const std::string& user,
                                           const std::string& password) {
  std::string credentials = "id=" + UrlEncode(user) + "&password=" + UrlEncode(password);
  size_t mark = uri.find('?');
  if (mark == std::string::npos) return uri + "?" + credentials;
  CStrList pairs;
  pairs.Split(std::string_view(uri).substr(mark + 1), "&");
  CTokenList query(pairs, "=");
  std::string ignored;
  bool hasId = query.Lookup("id", &ignored);
  bool hasPassword = query.Lookup("password", &ignored);
  if (hasId && hasPassword) return uri;
  return uri + (uri.back() == '&' ? "" : "&") + credentials;
}

int CMyHttp::SendGet(CSecureSock& conn, const std::string& host, const std::string& uri, int timeoutSec) {
  if (!conn.IsUsable()) return 0;
  return WriteRequest(conn, DigestGetText(uri, host, std::string()), timeoutSec);
}

int CMyHttp::SendPost(CSecureSock& conn, const std::string& host, const std::string& uri, const std::string& body,
                      const char* extraHeader, int timeoutSec) {
  if (!conn.IsUsable()) return 0;
  std::string text = BodyText(body);
  std::string request = "POST " + uri + " HTTP/1.1\r\n" + kRequestTail + host + "\r\n" +
                        (extraHeader ? extraHeader : "") + "Content-Length: " + std::to_string(text.size() + 4) +
                        "\r\nConnection: Keep-Alive\r\n\r\n" + text + "\r\n\r\n";
  return WriteRequest(conn, request, timeoutSec);
}

int CMyHttp::SendPostUsingDigestAuth(CSecureSock& conn, const std::string& host, unsigned short port,
                                     const std::string& user, const std::string& password, const std::string& uri,
                                     const std::string& body, int timeoutSec, SockAbortFunc abort,
                                     void* abortUser) {
  if (!conn.IsUsable()) return 0;
  StopCheck stop{&conn, abort, abortUser};
  CDigestAuthInfo info;
  std::string authLine;
  bool retried = false;
  for (;;) {
    if (!WriteRequest(conn, DigestPostText(uri, host, body, authLine), timeoutSec)) return 0;
    if (retried) return 1;  // the reply stays on the connection for the caller
    std::string header;
    int contentLength = 0;
    CDeadline deadline(ClampedSecondsToMs(timeoutSec));
    bool received = WaitReadableUnlessStopped(conn, deadline, stop) &&
                    RecvFinalHeaderText(conn, &header, &contentLength, (deadline.RemainingMs() + 999) / 1000,
                                        &StopCheck::Asked, &stop);
    if (!received) {
      if (!StopCheck::Asked(&stop)) GATE_LOG_DEFAULT("RecvHeader Failed! - uri : %s\r\n", uri.c_str());
      conn.Close();
      return 0;
    }
    if (!CheckDigestAuth(header, &info)) return 1;
    retried = true;
    authLine = MakeDigestAuthHeader(&info, "POST", user, password, uri, BodyText(body));
    conn.Close();
    std::this_thread::sleep_for(std::chrono::milliseconds(kRetryPauseMs));
    if (StopCheck::Asked(&stop)) return 0;
    if (!conn.Connect(host, port, ClampedSecondsToMs(timeoutSec)) || !conn.IsUsable()) return 0;
  }
}

int HttpGet(const std::string& host, unsigned short port, const std::string& uri, std::string* reply, int timeoutSec,
            int tls) {
  CMyHttp http;
  if (!http.Connect(host, port, timeoutSec, tls) || !http.IsConnected()) return 0;
  if (!http.RequestUri(uri, reply, timeoutSec)) return 0;
  http.Disconnect();
  return 1;
}

int PostApiParam(const std::string& host, unsigned short port, const std::string& body, std::string* reply) {
  CMyHttp http;
  if (!http.Connect(host, port, 2, 0) || !http.IsConnected()) return 0;
  if (!http.PostUri("/api/param.cgi", body, reply, 2)) return 0;
  http.Disconnect();
  return 1;
}
