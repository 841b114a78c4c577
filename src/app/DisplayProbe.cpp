#include "app/DisplayProbe.h"

#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <stddef.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>

namespace {

constexpr int kX11TcpBasePort = 6000;

// Waits for `events` on `fd` until `deadline`; false on time-out or error.
bool WaitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p = {fd, events, 0};
    int n = poll(&p, 1, static_cast<int>(left.count()));
    if (n > 0) return (p.revents & events) != 0 || (p.revents & POLLHUP) != 0;
    if (n < 0 && errno != EINTR) return false;
  }
}

// Connects `fd` (non-blocking) to `address`, sends the X11 connection set-up
// request and waits for the first byte of the answer.
bool AskServer(int fd, const sockaddr* address, socklen_t length, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  if (connect(fd, address, length) != 0) {
    if (errno != EINPROGRESS && errno != EAGAIN) return false;
    if (!WaitFor(fd, POLLOUT, deadline)) return false;
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) return false;
  }
  // Little-endian, protocol 11.0, no authorisation: any server answers this
  // (with success, failure or a request to authenticate).
  const unsigned char request[12] = {'l', 0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  if (send(fd, request, sizeof request, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof request)) return false;
  if (!WaitFor(fd, POLLIN, deadline)) return false;
  unsigned char answer = 0;
  return recv(fd, &answer, 1, 0) == 1;
}

bool AskLocalServer(const std::string& path, bool abstract, int timeoutMs) {
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  size_t offset = abstract ? 1 : 0;
  if (path.size() + offset >= sizeof address.sun_path) return false;
  memcpy(address.sun_path + offset, path.data(), path.size());
  socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size() + (abstract ? 0 : 1));
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool answered = AskServer(fd, reinterpret_cast<sockaddr*>(&address), length, timeoutMs);
  close(fd);
  return answered;
}

bool AskTcpServer(const std::string& host, int port, int timeoutMs) {
  addrinfo hints = {};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
  bool answered = false;
  for (addrinfo* a = found; a != nullptr && !answered; a = a->ai_next) {
    int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    answered = AskServer(fd, a->ai_addr, a->ai_addrlen, timeoutMs);
    close(fd);
  }
  freeaddrinfo(found);
  return answered;
}

}  // namespace

bool X11DisplayAnswers(const std::string& display, int timeoutMs) {
  size_t colon = display.rfind(':');
  if (colon == std::string::npos) return false;
  std::string host = display.substr(0, colon);
  std::string rest = display.substr(colon + 1);
  char* end = nullptr;
  long number = strtol(rest.c_str(), &end, 10);
  if (end == rest.c_str() || number < 0 || number > 59535 || (*end != '\0' && *end != '.')) return false;
  if (host.empty() || host == "unix") {
    std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
    return AskLocalServer(path, true, timeoutMs) || AskLocalServer(path, false, timeoutMs);
  }
  return AskTcpServer(host, kX11TcpBasePort + static_cast<int>(number), timeoutMs);
}

std::string WhyRunHeadless(const char* qpaPlatform, const char* waylandDisplay, const char* display,
                           int timeoutMs) {
  if (qpaPlatform != nullptr && *qpaPlatform != '\0') return std::string();
  if (waylandDisplay != nullptr && *waylandDisplay != '\0') return std::string();
  if (display == nullptr || *display == '\0') return "no display is set (DISPLAY is empty)";
  if (!X11DisplayAnswers(display, timeoutMs)) return std::string("the display '") + display + "' does not answer";
  return std::string();
}
