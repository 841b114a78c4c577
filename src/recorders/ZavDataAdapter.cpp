#include "recorders/ZavDataAdapter.h"

#include <stdlib.h>

#include <memory>
#include <string>

#include "database/IDataStore.h"
#include "entities/NRS.h"
#include "foundation/Log.h"
#include "foundation/StrList.h"
#include "net/HttpEndpoint.h"
#include "net/HttpResult.h"
#include "net/MyHttp.h"
#include "net/StatusStreamUnit.h"
#include "net/UrlFormatter.h"

namespace {

constexpr int kSystemInformationTimeoutSec = 60;
constexpr int kRequestTimeoutSec = 10;
constexpr int kConnectTimeoutMs = 2000;

// What the operations take from the server's row, read at every call.
struct ZavServer {
  std::shared_ptr<CTBLNRS> row;
  std::string host;
  int port = 0;
  std::string login;
  std::string password;
};

// The cached TBL_Zav row of `zavId`; false, logged, when the store has none.
bool FindServer(IDataStore* store, int32_t zavId, ZavServer* server) {
  if (store) server->row = std::dynamic_pointer_cast<CTBLNRS>(store->FindCachedEntity("TBL_Zav", zavId));
  if (!server->row) {
    GATE_LOG(1, "ERROR - Can't find '%d' zav information.\r\n", zavId);
    return false;
  }
  server->host = server->row->GetConnectAddress();
  server->port = server->row->GetConnectWebPort();
  server->login = server->row->GetLoginID();
  server->password = server->row->GetLoginPassword();
  return true;
}

// Connects the caller's connection (plain TCP) unless it is connected.
bool EnsureConnected(const ZavServer& server, CSecureSock& conn) {
  if (conn.IsUsable()) return true;
  conn.Close();
  conn.tls = 0;
  if (conn.Connect(server.host, static_cast<unsigned short>(server.port), kConnectTimeoutMs) != 1) {
    GATE_LOG(1, "ERROR - [%s:%d] Error raised when check activity for zav.\r\n", server.host.c_str(), server.port);
    return false;
  }
  return true;
}

// "/stream/event.cgi?id=<login>&password=<password>&", encoded byte by byte.
std::string StreamTarget(const ZavServer& server) {
  CUrlFormatter url;
  url.utf8 = 0;
  url.SetPath("/stream/event.cgi");
  url.SetParam("id", server.login);
  url.SetParam("password", server.password);
  return url.GetUrl() + "&";
}

// The form body: name=value pairs in order, UTF-8 and percent-encoded.
std::string FormBody(const std::vector<std::pair<std::string, std::string>>& params) {
  CUrlFormatter form;
  for (const auto& [name, value] : params) form.SetParam(name, value);
  return form.GetUrl();
}

// "polling" and, when not polling, "interval": the head of both stream bodies.
std::vector<std::pair<std::string, std::string>> PollingParams(int interval, int polling) {
  std::vector<std::pair<std::string, std::string>> params{{"polling", polling ? "1" : "0"}};
  if (!polling) params.emplace_back("interval", std::to_string(interval));
  return params;
}

int SendStreamPost(const ZavServer& server, CSecureSock& conn, const std::string& body) {
  if (CMyHttp::SendPost(conn, server.host, StreamTarget(server), body, nullptr, kRequestTimeoutSec) != 1) {
    conn.Close();
    GATE_LOG(1, "ERROR - [%s:%d] Error raised when request message to zav\r\n", server.host.c_str(), server.port);
    return 0;
  }
  return 1;
}

}  // namespace

int CZavDataAdapter::GetSystemInformation(IDataStore* store, int32_t zavId, CZavSysteminformation* info) {
  ZavServer server;
  if (!FindServer(store, zavId, &server)) return 0;
  CHttpEndpoint endpoint(server.host, server.port, server.login, server.password, 3, 0);
  std::string reply;
  if (endpoint.Get("/system/information.cgi?method=get", &reply, kSystemInformationTimeoutSec) != 1) {
    GATE_LOG(1, "ERROR - Error raised when request message to '%s' zav\r\n", server.row->GetDisplayText().c_str());
    return 0;
  }
  CHttpResult result(reply);
  if (result.code != 200 || result.body.empty()) {
    GATE_LOG(1, "ERROR - [%s:%d] Error received from server. the reponse is '%s'\r\n", server.host.c_str(),
             server.port, reply.c_str());
    return 0;
  }
  CXmlCfg cfg;
  if (!cfg.ToCfg(result.body)) {
    GATE_LOG(1, "ERROR - [%s:%d] Error raised when deserialize system data.('%s')\r\n", server.host.c_str(),
             server.port, reply.c_str());
    return 0;
  }
  info->FromCfg(cfg);
  return 1;
}

int CZavDataAdapter::RequestSystemStatus(IDataStore* store, int32_t zavId, int interval, int polling,
                                         CSecureSock& conn) {
  ZavServer server;
  if (!FindServer(store, zavId, &server) || !EnsureConnected(server, conn)) return 0;
  std::string channels = server.row->GetCameraChannelsText();
  auto params = PollingParams(interval, polling);
  params.insert(params.end(), {{"fulltext", "1"}, {"status", "1"}, {"record", "1"}, {"videoloss", "1"},
                               {"channel", channels.empty() ? "1" : channels}});
  return SendStreamPost(server, conn, FormBody(params));
}

int CZavDataAdapter::RequestEventStatus(IDataStore* store, int32_t zavId, int interval, int polling,
                                        CSecureSock& conn) {
  ZavServer server;
  if (!FindServer(store, zavId, &server) || !EnsureConnected(server, conn)) return 0;
  auto params = PollingParams(interval, polling);
  for (const char* kind : {"record", "alarm", "motion", "videoloss", "textin", "disktemperature", "disksmart",
                           "diskbad", "rest", "color", "analysis", "ptz"}) {
    params.emplace_back(kind, "1");
  }
  return SendStreamPost(server, conn, FormBody(params));
}

int CZavDataAdapter::RequestStorageStatus(IDataStore* store, int32_t zavId, CSecureSock& conn) {
  ZavServer server;
  if (!FindServer(store, zavId, &server) || !EnsureConnected(server, conn)) return 0;
  CUrlFormatter url;
  url.utf8 = 0;
  url.SetPath("/record/storage.cgi");
  url.SetParam("method", "get");
  url.SetParam("id", server.login);
  url.SetParam("password", server.password);
  if (CMyHttp::SendGet(conn, server.host, url.GetUrl(), kRequestTimeoutSec) != 1) {
    conn.Close();
    GATE_LOG(1, "ERROR - [%s:%d] Error raised when request message to zav\r\n", server.host.c_str(), server.port);
    return 0;
  }
  return 1;
}

int CZavDataAdapter::ReceiveStatus(IDataStore* store, int32_t zavId, int interval, int extraTime, CSecureSock& conn,
                                   std::vector<char>* buffer, SockAbortFunc stop, void* context) {
  ZavServer server;
  if (!FindServer(store, zavId, &server)) return -1;
  const char* host = server.host.c_str();
  CStatusStreamUnit unit;
  switch (unit.Read(conn, interval + extraTime, extraTime, buffer, stop, context)) {
    case CStatusStreamUnit::kRead:
      break;
    case CStatusStreamUnit::kNoHeader:
      GATE_LOG(1, "ERROR - [%s:%d] Error raised when receive response header message\r\n", host, server.port);
      return -1;
    case CStatusStreamUnit::kNoLine:
    case CStatusStreamUnit::kNotBoundary:
      GATE_LOG(1, "ERROR - [%s:%d] Invalid http header. (%s)\r\n", host, server.port, unit.header.c_str());
      return -1;
    case CStatusStreamUnit::kBodyTooLarge:
      GATE_LOG(1, "ERROR - [%s:%d] Part of %d bytes is above the limit of %d bytes.\r\n", host, server.port,
               unit.contentLength, kMaxPartSize);
      return -1;
    case CStatusStreamUnit::kNoBody:
      GATE_LOG(1, "ERROR - [%s:%d] Error raised when receive response body message\r\n", host, server.port);
      return -1;
  }
  if (unit.status != 200) {
    GATE_LOG(1, "ERROR - [%s:%d] Error raised when request message to zav (%d)\r\n", host, server.port,
             unit.status);
    return -1;
  }
  return unit.contentLength > 0 ? 1 : 0;
}
