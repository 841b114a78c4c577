#include "biot/BIoTServiceAdapter.h"

#include "biot/BIoTReply.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"
#include "net/MyHttp.h"
#include "net/UrlFormatter.h"

CBIoTServiceAdapter::CConnInfo CBIoTServiceAdapter::ConnInfoFromUrl(const std::string& url, const std::string& userID,
                                                                    const std::string& password,
                                                                    const std::string& siteID) {
  CUrlFormatter parsed;
  parsed.SetUrl(url);
  const bool tls = parsed.IsSecure() != 0;
  CConnInfo info;
  info.host = parsed.GetHost();
  info.port = parsed.GetPort() > 0 ? parsed.GetPort() : (tls ? 443 : 80);
  info.userID = userID;
  info.password = password;
  info.tls = tls ? 1 : 0;
  info.siteID = siteID;
  return info;
}

bool CBIoTServiceAdapter::IsConnected() const {
  if (conn_.socket.load() == INVALID_SOCKET) return false;
  return info_.tls == 0 || (conn_.ssl != nullptr && conn_.ctx != nullptr);
}

void CBIoTServiceAdapter::CloseConnection() {
  if (conn_.socket.load() == INVALID_SOCKET && conn_.ssl == nullptr) return;
  conn_.Close();
}

int CBIoTServiceAdapter::RESTAPI_connect() {
  if (IsConnected()) return 1;
  CloseConnection();  // a socket left without its TLS state
  const unsigned short port = static_cast<unsigned short>(info_.port & 0xFFFF);
  if (port == 0) return 0;
  conn_.tls = info_.tls != 0 ? 1 : 0;
  return conn_.Connect(info_.host, port, kConnectTimeoutMs);
}

int CBIoTServiceAdapter::Request(const char* method, const std::string& path, const std::string& headers,
                                 const std::string* body, std::string* reply) {
  reply->clear();
  if (!IsConnected() && !RESTAPI_connect()) {
    ErrorStatus = kBIoTNoConnection;
    GATE_LOG(1, "ERROR - RESTAPI_connect() failed. [%s:%d]\r\n", info_.host.c_str(), info_.port);
    return 0;
  }
  std::string request = StrFormat("%s %s HTTP/1.1\r\nAccept: */*\r\nUser-Agent: ORVU\r\nHost: %s\r\n", method,
                                  path.c_str(), info_.host.c_str());
  if (body != nullptr) request += StrFormat("Content-Length: %zu\r\n", body->size());
  request += headers;
  request += "Connection: Keep-Alive\r\n\r\n";
  if (body != nullptr) request += *body;
  // A body larger than the socket buffer (a thumbnail) goes out in several
  // writes, all within the send time-out.
  int written = conn_.WriteAll(request.data(), static_cast<int>(request.size()), kSendTimeoutMs);
  if (written != static_cast<int>(request.size())) {
    ErrorStatus = kBIoTSendFailed;
    return 0;
  }
  if (!RecvResponse(reply)) {
    ErrorStatus = kBIoTNoReply;
    return 0;
  }
  return 1;
}

int CBIoTServiceAdapter::RESTAPI_get(const std::string& path, const std::string& headers, std::string* reply) {
  return Request("GET", path, headers, nullptr, reply);
}

int CBIoTServiceAdapter::RESTAPI_post(const std::string& path, const std::string& headers, const std::string& body,
                                      std::string* reply) {
  return Request("POST", path, headers, &body, reply);
}

int CBIoTServiceAdapter::RESTAPI_delete(const std::string& path, const std::string& headers, std::string* reply) {
  return Request("DELETE", path, headers, nullptr, reply);
}

int CBIoTServiceAdapter::RecvResponse(std::string* reply) {
  return CMyHttp::RecvReplyText(conn_, reply, kReplyTimeoutSec);
}

int CBIoTServiceAdapter::Exchange(const char* method, const std::string& path, const std::string& headers,
                                  const std::string* body, CBIoTReply* parsed) {
  std::string reply;
  if (!Request(method, path, headers, body, &reply)) {
    CloseConnection();
    GATE_LOG(1, "ERROR - RESTAPI_%s [%s] failed.\r\n", StrToLower(method).c_str(), path.c_str());
    return 0;
  }
  int outcome = parsed->Evaluate(reply);
  if (outcome == kBIoTReplyHttpStatus) {
    ErrorStatus = kBIoTHttpStatus;
    HttpStatusCode = parsed->StatusCode();
    return 0;
  }
  if (outcome == kBIoTReplyNotJson) {
    ErrorStatus = kBIoTNotJson;
    GATE_LOG(1, "ERROR - json parsing failed!!\n%s\n", parsed->Body().c_str());
    return 0;
  }
  return 1;
}
