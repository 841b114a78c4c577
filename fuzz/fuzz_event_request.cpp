// fuzz-libs: gate_services
// The event server's readers of outside input: the query-to-parameter map on
// arbitrary bytes, and whole raw requests sent over loopback to a running
// event server, through the HTTP server's parser into the "va" dispatcher
// (no store behind it, so pages refuse the login). Nothing may crash or hang,
// parameter names and values never hold "&" or "=", names are never empty,
// and every connection gets at most one reply.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <stddef.h>
#include <stdint.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "services/EventServer.h"

namespace {

CEventServer* Server() {
  static CEventServer* server = [] {
    auto* made = new CEventServer(0, [] { return CEventServerStore{}; });
    made->GetHttpServer().SetBindAddress(htonl(INADDR_LOOPBACK));
    made->GetHttpServer().requestTimeoutSec = 2;
    made->GetHttpServer().requestLog = 0;
    if (!made->Start()) __builtin_trap();
    return made;
  }();
  return server;
}

void CheckParameters(const std::string& query) {
  CTokenList parameters = CEventServer::ParseQuery(query);
  for (const CToken& token : parameters.GetTokens()) {
    const std::string& name = token.GetName();
    const std::string& value = token.GetValue();
    if (name.empty() || name.find_first_of("&=") != std::string::npos ||
        value.find_first_of("&=") != std::string::npos) {
      __builtin_trap();
    }
  }
}

// Sends `request`, closes the sending side and reads the reply to the end.
std::string Exchange(unsigned short port, const std::string& request) {
  int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval timeout{10, 0};
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  std::string reply;
  if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
    send(s, request.data(), request.size(), MSG_NOSIGNAL);
    shutdown(s, SHUT_WR);
    char buffer[4096];
    ssize_t n;
    while ((n = recv(s, buffer, sizeof buffer, 0)) > 0) reply.append(buffer, static_cast<size_t>(n));
  }
  close(s);
  return reply;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  std::string text(reinterpret_cast<const char*>(data), size);
  CheckParameters(text);
  std::string reply = Exchange(Server()->GetPort(), text);
  // One reply at most: a second status line means a second request was served.
  size_t first = reply.find("HTTP/1.1 ");
  if (first != std::string::npos && reply.find("HTTP/1.1 ", first + 1) != std::string::npos) __builtin_trap();
  return 0;
}
