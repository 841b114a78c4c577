#include "net/Sock.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>

#include "foundation/Log.h"
#include "net/Deadline.h"

namespace sock {
namespace {

// A write to a socket whose peer has gone must fail with EPIPE, never end the
// process: TLS writes go through write(), which has no MSG_NOSIGNAL.
void IgnoreSigPipe() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction current {};
    if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
      signal(SIGPIPE, SIG_IGN);
    }
  });
}

SOCKET NewSocket(int type, int protocol) {
  IgnoreSigPipe();
  return ::socket(AF_INET, type | SOCK_CLOEXEC, protocol);
}

int WaitFor(SOCKET s, short events, int timeoutMs) {
  if (s == INVALID_SOCKET) return -1;
  CDeadline deadline(timeoutMs);
  for (;;) {
    pollfd p{s, events, 0};
    int r = ::poll(&p, 1, deadline.RemainingMs());
    if (r > 0) return (p.revents & POLLNVAL) ? -1 : 1;
    if (r == 0) return 0;
    if (errno != EINTR) return -1;
    if (deadline.Passed()) return 0;
  }
}

// Fills `addr` for host:port; false when the host cannot be resolved.
bool MakeAddress(const std::string& host, unsigned short port, sockaddr_in* addr) {
  memset(addr, 0, sizeof(*addr));
  addr->sin_family = AF_INET;
  addr->sin_port = htons(port);
  addr->sin_addr.s_addr = Resolve(host);
  return addr->sin_addr.s_addr != INADDR_NONE;
}

// Starts the connect; 1 done, 0 pending, -1 failed.
int BeginConnect(SOCKET s, const sockaddr_in& addr) {
  for (;;) {
    if (::connect(s, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) == 0) return 1;
    if (errno == EINPROGRESS) return 0;
    if (errno != EINTR) return -1;
  }
}

}  // namespace

SOCKET CreateTcp() { return NewSocket(SOCK_STREAM, IPPROTO_TCP); }

SOCKET ConnectNonBlock(const std::string& host, unsigned short port, int* pending) {
  if (port == 65535) return INVALID_SOCKET;
  SOCKET s = CreateTcp();
  if (s == INVALID_SOCKET) return INVALID_SOCKET;
  if (!StartConnect(s, host, port, pending)) {
    Close(s);
    return INVALID_SOCKET;
  }
  return s;
}

bool StartConnect(SOCKET s, const std::string& host, unsigned short port, int* pending) {
  if (s == INVALID_SOCKET || port == 65535) return false;
  if (!SetNonBlock(s, true)) return false;
  sockaddr_in addr;
  if (!MakeAddress(host, port, &addr)) return false;
  int started = BeginConnect(s, addr);
  if (started < 0) return false;
  if (pending) *pending = started == 0 ? 1 : 0;
  return true;
}

namespace {

// True when the connect of a socket that became writable succeeded: no
// pending error and a peer (a connect ended by shutdown shows neither).
bool ConnectSucceeded(SOCKET s) {
  int error = 0;
  socklen_t length = sizeof(error);
  if (getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) return false;
  sockaddr_in peer{};
  socklen_t peerLength = sizeof(peer);
  return getpeername(s, reinterpret_cast<sockaddr*>(&peer), &peerLength) == 0;
}

}  // namespace

bool WaitConnected(SOCKET s, int timeoutMs) {
  if (WaitFor(s, POLLOUT, timeoutMs) != 1) return false;
  return ConnectSucceeded(s);
}

SOCKET Connect(const std::string& host, unsigned short port, int timeoutMs) {
  if (port == 0) return INVALID_SOCKET;
  int pending = 0;
  SOCKET s = ConnectNonBlock(host, port, &pending);
  if (s == INVALID_SOCKET) return INVALID_SOCKET;
  if (pending && !WaitConnected(s, timeoutMs)) {
    Close(s);
    return INVALID_SOCKET;
  }
  return s;
}

bool ConnectWait(const std::atomic<SOCKET>& s, const std::string& host, unsigned short port,
                 const std::atomic<int>* stop) {
  constexpr int kWaitMs = 2000;
  constexpr int kSliceMs = 50;
  const SOCKET socket = s.load();
  int pending = 0;
  if (port == 0 || !StartConnect(socket, host, port, &pending)) return false;
  if (!pending) return true;
  CDeadline deadline(kWaitMs);
  for (;;) {
    if ((stop && stop->load() != 0) || s.load() != socket) return false;
    int left = deadline.RemainingMs();
    if (left <= 0) return false;
    int ready = WaitFor(socket, POLLOUT, std::min(left, kSliceMs));
    if (ready < 0) return false;  // also a socket closed under the wait
    if (ready > 0) return s.load() == socket && ConnectSucceeded(socket);
  }
}

bool IsReachable(const std::string& host, unsigned short port, int timeoutMs) {
  int pending = 0;
  SOCKET s = ConnectNonBlock(host, port, &pending);
  if (s == INVALID_SOCKET) return false;
  bool reachable = !pending || WaitConnected(s, timeoutMs);
  Close(s);
  return reachable;
}

bool SetNonBlock(SOCKET s, bool on) {
  int flags = fcntl(s, F_GETFL, 0);
  if (flags < 0) return false;
  int wanted = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
  return wanted == flags || fcntl(s, F_SETFL, wanted) == 0;
}

int SendAll(SOCKET s, const char* data, int length, int timeoutMs) {
  CDeadline deadline(timeoutMs);
  int sent = 0;
  while (sent < length) {
    ssize_t n = ::send(s, data + sent, length - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      sent += static_cast<int>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      GATE_LOG_DEFAULT("err: %d\n", errno);
      return -1;
    }
    if (deadline.Passed()) break;
    if (WaitFor(s, POLLOUT, deadline.RemainingMs()) < 0) {
      GATE_LOG_DEFAULT("err: %d\n", errno);
      return -1;
    }
  }
  return sent;
}

int Recv(SOCKET s, char* buffer, int size, int flags, int timeoutMs) {
  int ready = WaitFor(s, POLLIN, timeoutMs);
  if (ready <= 0) return ready;
  for (;;) {
    ssize_t n = ::recv(s, buffer, size, flags | MSG_DONTWAIT);
    if (n > 0) return static_cast<int>(n);
    if (n < 0 && errno == EINTR) continue;
    // A readiness that yields nothing (spurious wake-up) is no data yet.
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
    return -1;
  }
}

int RecvEx(SOCKET s, char* buffer, int size, int flags, int timeoutMs, SockAbortFunc abort, void* user) {
  if (timeoutMs <= 0) return 0;
  int rest = timeoutMs;
  while (rest > 0) {
    int slice = std::min(rest, 1000);
    rest -= slice;
    int ready = WaitFor(s, POLLIN, slice);
    if (ready < 0) return -1;
    if (ready > 0) return Recv(s, buffer, size, flags, 0);
    if (abort && abort(user)) return 0;
  }
  return 0;
}

namespace {

// The exact-size loop shared by RecvAll and RecvAllEx.
int RecvAllLoop(SOCKET s, char* buffer, int size, int timeoutMs, SockAbortFunc abort, void* user,
                bool withAbort) {
  CDeadline deadline(timeoutMs);
  int total = 0;
  while (total < size) {
    int wait = deadline.RemainingMs();
    int n = withAbort ? RecvEx(s, buffer + total, size - total, 0, std::max(wait, 1), abort, user)
                      : Recv(s, buffer + total, size - total, 0, wait);
    if (n < 0) return -1;
    total += n;
    if (total >= size) break;
    if (withAbort && abort && abort(user)) break;
    if (deadline.Passed()) break;
  }
  return total;
}

}  // namespace

int RecvAll(SOCKET s, char* buffer, int size, int timeoutMs) {
  return RecvAllLoop(s, buffer, size, timeoutMs, nullptr, nullptr, false);
}

int RecvAllEx(SOCKET s, char* buffer, int size, int timeoutMs, SockAbortFunc abort, void* user) {
  constexpr int kOneHourMs = 3600000;
  if (timeoutMs < 0 || timeoutMs > kOneHourMs) timeoutMs = kOneHourMs;
  return RecvAllLoop(s, buffer, size, timeoutMs, abort, user, true);
}

int WaitReadable(SOCKET s, int timeoutMs) { return WaitFor(s, POLLIN, timeoutMs); }

int WaitWritable(SOCKET s, int timeoutMs) { return WaitFor(s, POLLOUT, timeoutMs); }

bool PeerClosed(SOCKET s) {
  if (s == INVALID_SOCKET) return true;
  pollfd p{s, POLLRDHUP, 0};
  return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL));
}

int PendingBytes(SOCKET s) {
  int count = 0;
  return s != INVALID_SOCKET && ioctl(s, FIONREAD, &count) == 0 ? count : 0;
}

bool IsIpAddress(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

uint32_t Resolve(const std::string& host) {
  if (IsIpAddress(host)) return inet_addr(host.c_str());
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return INADDR_NONE;
  uint32_t address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(found);
  return address;
}

SOCKET Listen(unsigned short port, uint32_t bindAddress) {
  SOCKET s = CreateTcp();
  if (s == INVALID_SOCKET) return INVALID_SOCKET;
  int on = 1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = bindAddress;
  if (setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on)) != 0 ||
      bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 || listen(s, SOMAXCONN) != 0) {
    Close(s);
    return INVALID_SOCKET;
  }
  return s;
}

SOCKET BindUDP(unsigned short port) {
  SOCKET s = NewSocket(SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET) return INVALID_SOCKET;
  int on = 1;
  if (setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on)) != 0) {
    Close(s);
    return INVALID_SOCKET;
  }
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_ANY);
  if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
    GATE_LOG_DEFAULT("bind error : %d (ip : %s, port : %hu)\n", errno, "0.0.0.0", port);
    Close(s);
    return INVALID_SOCKET;
  }
  return s;
}

unsigned short GetLocalPort(SOCKET s) {
  sockaddr_in addr{};
  socklen_t length = sizeof(addr);
  if (s == INVALID_SOCKET || getsockname(s, reinterpret_cast<sockaddr*>(&addr), &length) != 0) return 0;
  return ntohs(addr.sin_port);
}

void Shutdown(SOCKET s) {
  if (s != INVALID_SOCKET) ::shutdown(s, SHUT_RDWR);
}

void Close(SOCKET s) {
  if (s != INVALID_SOCKET) ::close(s);
}

}  // namespace sock
