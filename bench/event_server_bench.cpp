// bench-libs: gate_services gate_entities
// The event server as bench/event_server.sh drives it: a scratch database
// beside the throwaway MariaDB of scripts/with-mariadb (one user, 32 analysed
// cameras, 16 event types), the server on a free loopback port with the
// last-event form of event_status (every camera listed), until SIGTERM.
// Prints "port <n>" once it answers; the script runs wrk against it and
// counts its threads from /proc.
#include <arpa/inet.h>
#include <mysql.h>
#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "database/DBDataStore.h"
#include "database/DataStore.h"
#include "entities/base/EntitySchema.h"
#include "services/AIEventPublisher.h"
#include "services/EventServer.h"
#include "shell/LocalAppSettings.h"

namespace {

// Runs the statements of `script`, separated by empty lines (CR LF CR LF, as
// the creation script writes them) or by ";"; false (printed) when one fails.
bool RunScript(MYSQL* conn, const std::string& script) {
  const std::string separator = "\r\n\r\n";
  if (script.find(separator) != std::string::npos) {
    for (size_t start = 0; start < script.size();) {
      size_t end = std::min(script.find(separator, start), script.size());
      std::string statement = script.substr(start, end - start);
      start = end + separator.size();
      if (statement.find_first_not_of(" \t\r\n") != std::string::npos && !RunScript(conn, statement)) return false;
    }
    return true;
  }
  if (mysql_real_query(conn, script.data(), script.size()) != 0) {
    fprintf(stderr, "%s\n", mysql_error(conn));
    return false;
  }
  int more;
  do {
    if (MYSQL_RES* result = mysql_store_result(conn)) mysql_free_result(result);
    more = mysql_next_result(conn);
    if (more > 0) {
      fprintf(stderr, "%s\n", mysql_error(conn));
      return false;
    }
  } while (more == 0);
  return true;
}

}  // namespace

int main() {
  const char* host = getenv("GATE_DB_HOST");
  const char* port = getenv("GATE_DB_PORT");
  if (!host || !port) {
    fprintf(stderr, "run beside scripts/with-mariadb (GATE_DB_HOST, GATE_DB_PORT)\n");
    return 2;
  }
  std::string user = getenv("GATE_DB_USER") ? getenv("GATE_DB_USER") : "";
  std::string password = getenv("GATE_DB_PASSWORD") ? getenv("GATE_DB_PASSWORD") : "";
  std::string database = "evbench" + std::to_string(getpid());

  MYSQL* conn = mysql_init(nullptr);
  mysql_options(conn, MYSQL_SET_CHARSET_NAME, "euckr");
  if (!mysql_real_connect(conn, host, user.c_str(), password.c_str(), nullptr, static_cast<unsigned>(atoi(port)),
                          nullptr, CLIENT_MULTI_STATEMENTS)) {
    fprintf(stderr, "%s\n", mysql_error(conn));
    return 1;
  }
  std::string rows = "INSERT INTO TBL_User (no, id, password, IsDeleted) VALUES (1, 'op', 'pw', 0);";
  for (int i = 1; i <= 32; ++i) {
    rows += "INSERT INTO TBL_Camera (no, name, addr) VALUES (" + std::to_string(100 + i) + ", 'cam', '10.0.0." +
            std::to_string(i) + "');";
    rows += "INSERT INTO TBL_VasDevice (VasDeviceID, VasID, DeviceID) VALUES (" + std::to_string(i) + ", 1, " +
            std::to_string(100 + i) + ");";
  }
  for (int i = 1; i <= 16; ++i) {
    rows += "INSERT INTO TBL_VasIntelligentEvent (VasIntelligentEventID, Name) VALUES (" + std::to_string(i) +
            ", 'event " + std::to_string(i) + "');";
  }
  if (!RunScript(conn, "CREATE DATABASE " + database + " CHARACTER SET euckr; USE " + database + ";") ||
      !RunScript(conn, GetDatabaseCreationScript()) || !RunScript(conn, rows)) {
    return 1;
  }

  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTERM);
  sigaddset(&stop, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);  // before any thread starts: only sigwait takes them
  int code = 0;
  {
    auto service = std::make_unique<CDBDataStore>();
    service->Initialize(host, atoi(port), database.c_str(), user.c_str(), password.c_str());
    std::shared_ptr<IDataStore> store = std::make_shared<CDataStore>(service.get());
    CLocalAppSettings settings;
    CEventServer server(0, [store] { return CEventServerStore{store, false}; });
    server.GetHttpServer().SetBindAddress(htonl(INADDR_LOOPBACK));
    CEventServerSettings serverSettings;
    serverSettings.pollingStatusType = 2;
    server.Configure(serverSettings);
    server.SetAIEventPublisher(std::make_shared<CAIEventPublisher>(settings));
    if (server.Start()) {
      printf("port %hu\n", server.GetPort());
      fflush(stdout);
      int signal = 0;
      sigwait(&stop, &signal);
      server.Shutdown();
    } else {
      code = 1;
    }
  }
  RunScript(conn, "DROP DATABASE " + database);
  mysql_close(conn);
  return code;
}
