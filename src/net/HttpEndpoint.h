// CHttpEndpoint: the target of a service's outgoing requests (host, port,
// credentials, authentication mode, TLS). Each call runs one request on a
// fresh CMyHttp, so one endpoint may serve several threads at once; an
// owner's CRequestCancel ends them from another thread.
#pragma once

#include <string>

#include "net/RequestCancel.h"
#include "net/SecureSock.h"

class CHttpEndpoint {
 public:
  static constexpr int kAuthBasic = 1;   // an Authorization: Basic line
  static constexpr int kAuthDigest = 2;  // a Digest challenge answered once
  // Any other mode (3 configured): credentials in the query string.

  CHttpEndpoint(std::string host, int port, std::string user, std::string password, int authMode, int tls)
      : host(std::move(host)), port(port), user(std::move(user)), password(std::move(password)),
        authMode(authMode), tls(tls) {}

  // GET `uri`. Returns 1 when the connection was made (the request's own
  // outcome shows in `reply`: empty, header only, or whole), 0 when it was
  // not or the request was cancelled. Blocks up to about `timeoutSec` per wait.
  int Get(const std::string& uri, std::string* reply, int timeoutSec) const;
  // POST `body` to `uri`, as Get.
  int Post(const std::string& uri, const std::string& body, std::string* reply, int timeoutSec) const;
  // POST on a connection a stream client holds; no reply is read. 1 sent, 0
  // failed. A Digest exchange waits for the challenge, and ends within about
  // 100 ms with 0 when `conn.Stop()` is called or `abort(abortUser)` answers true.
  int SendPost(CSecureSock& conn, const std::string& uri, const std::string& body, int timeoutSec,
               SockAbortFunc abort = nullptr, void* abortUser = nullptr) const;

  std::string host;
  int port;
  std::string user;
  std::string password;
  int authMode;
  int tls;
  // When set (it must outlive the requests), its Cancel ends Get and Post in
  // flight at once and makes later ones return 0 without connecting.
  CRequestCancel* cancel = nullptr;

 private:
  int Request(const std::string& uri, const std::string* body, std::string* reply, int timeoutSec) const;
};
