#include "net/HttpEndpoint.h"

#include "net/MyHttp.h"

int CHttpEndpoint::Request(const std::string& uri, const std::string* body, std::string* reply,
                           int timeoutSec) const {
  CMyHttp http;
  CRequestCancel::Hold inFlight(cancel, &http);
  if (!http.Connect(host, static_cast<unsigned short>(port), timeoutSec, tls)) return 0;
  if (authMode == kAuthBasic) {
    std::string basic = CMyHttp::MakeBasicAuthHeader(user, password);
    if (http.IsConnected()) {
      body ? http.PostUri(uri, *body, reply, timeoutSec, basic.c_str())
           : http.RequestUri(uri, reply, timeoutSec, basic.c_str());
    }
  } else if (authMode == kAuthDigest) {
    body ? http.PostUriUsingDigestAuth(uri, user, password, *body, reply, timeoutSec)
         : http.RequestUriUsingDigestAuth(uri, user, password, reply, timeoutSec);
  } else {
    std::string target = user.empty() && password.empty() ? uri : CMyHttp::AppendCredentialQuery(uri, user, password);
    if (http.IsConnected()) {
      body ? http.PostUri(target, *body, reply, timeoutSec) : http.RequestUri(target, reply, timeoutSec);
    }
  }
  http.Disconnect();
  return cancel != nullptr && cancel->IsCancelled() ? 0 : 1;
}

int CHttpEndpoint::Get(const std::string& uri, std::string* reply, int timeoutSec) const {
  return Request(uri, nullptr, reply, timeoutSec);
}

int CHttpEndpoint::Post(const std::string& uri, const std::string& body, std::string* reply, int timeoutSec) const {
  return Request(uri, &body, reply, timeoutSec);
}

int CHttpEndpoint::SendPost(CSecureSock& conn, const std::string& uri, const std::string& body, int timeoutSec,
                            SockAbortFunc abort, void* abortUser) const {
  if (!conn.IsUsable()) return 0;
  if (authMode == kAuthBasic) {
    return CMyHttp::SendPost(conn, host, uri, body, CMyHttp::MakeBasicAuthHeader(user, password).c_str(), timeoutSec);
  }
  if (authMode == kAuthDigest) {
    return CMyHttp::SendPostUsingDigestAuth(conn, host, static_cast<unsigned short>(port), user, password, uri, body,
                                            timeoutSec, abort, abortUser);
  }
  std::string target = user.empty() && password.empty() ? uri : CMyHttp::AppendCredentialQuery(uri, user, password);
  return CMyHttp::SendPost(conn, host, target, body, nullptr, timeoutSec);
}
