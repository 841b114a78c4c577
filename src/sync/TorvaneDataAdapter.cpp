#include "sync/TorvaneDataAdapter.h"

#include "foundation/Log.h"
#include "foundation/StringUtil.h"
#include "net/MyHttp.h"
#include "net/SimpleHttpParser.h"

namespace {

// One GET: the reply's status code, or -1 when no reply came (no connection,
// nothing answered within the time-out, or a port out of range). A 200's
// whole reply goes to `replyOut` when given.
int Request(const std::string& host, int port, const std::string& uri, int timeoutSec,
            std::string* replyOut = nullptr) {
  std::string reply;
  if (port <= 0 || port > 65535 ||
      HttpGet(host, static_cast<unsigned short>(port), uri, &reply, timeoutSec, 0) == 0) {
    return -1;
  }
  const int status = CSimpleHttpParser(reply).statusCode;
  if (status == 200 && replyOut) *replyOut = reply;
  return status;
}

// Logs a request that got no reply, under the calling operation's name.
#define GATE_LOG_IF_NO_REPLY(status, host, port)                                                       \
  do {                                                                                                  \
    if ((status) < 0) GATE_LOG(1, "ERROR - [%s:%d] Error raised when request message.\r\n", (host).c_str(), (port)); \
  } while (0)

std::string Q(const std::string& value) { return EscapeQueryValue(value); }

}  // namespace

std::string EscapeQueryValue(const std::string& value) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(value.size());
  for (unsigned char c : value) {
    if (c <= 0x20 || c == 0x7F || c == '%' || c == '&' || c == '=' || c == '+' || c == '#') {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

bool CTorvaneDataAdapter::DoAction(const std::string& host, int port, const std::string& id,
                                   const std::string& password, const std::string& action,
                                   const std::string& systemKey, std::string* reply) {
  const int status = Request(host, port,
                             "/event/action.cgi?id=" + Q(id) + "&password=" + Q(password) + "&" + action +
                                 "&SystemKey=" + Q(systemKey),
                             timeoutSec_, reply);
  // This operation's line has no final period.
  if (status < 0) GATE_LOG(1, "ERROR - [%s:%d] Error raised when request message\r\n", host.c_str(), port);
  return status == 200;
}

bool CTorvaneDataAdapter::Upgrade(const std::string& host, int port, int waitSeconds) {
  const int status = Request(host, port, StrFormat("/system/upgrade.cgi?WaitSeconds=%d", waitSeconds),
                 timeoutSec_);
  GATE_LOG_IF_NO_REPLY(status, host, port);
  return status == 200;
}

bool CTorvaneDataAdapter::CheckDatabase(const std::string& host, int port, const std::string& table, int client) {
  const int status = Request(host, port,
                 "/system/database.cgi?table=" + Q(table) + "&client=" + std::to_string(client), timeoutSec_);
  GATE_LOG_IF_NO_REPLY(status, host, port);
  return status == 200;
}

bool CTorvaneDataAdapter::CheckFRDatabase(const std::string& host, int port, const std::string& table, int client) {
  const int status = Request(host, port,
                 "/system/frdatabase.cgi?table=" + Q(table) + "&client=" + std::to_string(client), timeoutSec_);
  GATE_LOG_IF_NO_REPLY(status, host, port);
  return status == 200;
}

bool CTorvaneDataAdapter::RestartApplication(const std::string& host, int port, const std::string& id,
                                             const std::string& password, int client, int reason) {
  const int status = Request(host, port,
                 "/system/restart.cgi?id=" + Q(id) + "&password=" + Q(password) + "&client=" +
                     std::to_string(client) + "&reason=" + std::to_string(reason),
                 timeoutSec_);
  GATE_LOG_IF_NO_REPLY(status, host, port);
  return status == 200;
}

bool CTorvaneDataAdapter::RestartApplicationEx(const std::string& host, int port, const std::string& id,
                                               const std::string& password, int client, int reason,
                                               const std::string& restartLoginID,
                                               const std::string& restartPassword) {
  const int status = Request(host, port,
                 "/system/restart.cgi?id=" + Q(id) + "&password=" + Q(password) + "&client=" +
                     std::to_string(client) + "&reason=" + std::to_string(reason) +
                     "&restartloginid=" + Q(restartLoginID) + "&restartpassword=" + Q(restartPassword),
                 timeoutSec_);
  GATE_LOG_IF_NO_REPLY(status, host, port);
  return status == 200;
}

bool CTorvaneDataAdapter::LiveCameras(const std::string& host, int port, const std::string& id,
                                      const std::string& password, const std::string& cameras, int noclear) {
  const int status = Request(host, port,
                 "/control/live_cameras.cgi?id=" + Q(id) + "&password=" + Q(password) + "&cameras=" + Q(cameras) +
                     "&noclear=" + std::to_string(noclear),
                 timeoutSec_);
  GATE_LOG_IF_NO_REPLY(status, host, port);
  return status == 200;
}

bool CTorvaneDataAdapter::PlaybackCameras(const std::string& host, int port, const std::string& id,
                                          const std::string& password, const std::string& cameras) {
  const int status = Request(host, port,
                 "/control/playback_cameras.cgi?id=" + Q(id) + "&password=" + Q(password) + "&cameras=" + Q(cameras),
                 timeoutSec_);
  GATE_LOG_IF_NO_REPLY(status, host, port);
  return status == 200;
}

bool CZmsDataAdapter::CheckDatabase(const std::string& host, int port, const std::string& table) {
  const int status = Request(host, port,
                 "/system/database.cgi?table=" + Q(table) + "&client=0", 3);
  GATE_LOG_IF_NO_REPLY(status, host, port);
  return status == 200;
}
