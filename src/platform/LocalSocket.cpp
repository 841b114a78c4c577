#include "platform/LocalSocket.h"

#include <errno.h>
#include <poll.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>

namespace platform {
namespace {

bool Fail(std::string* error, const std::string& what) {
  if (error) *error = what;
  return false;
}

// Waits until `fd` is ready for `events` or `deadline` passes.
bool WaitReady(int fd, short events, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    struct pollfd p = {fd, events, 0};
    int rc = poll(&p, 1, static_cast<int>(left.count()));
    if (rc > 0) return true;
    if (rc < 0 && errno != EINTR) return false;
  }
}

}  // namespace

size_t MaxLocalSocketPath() { return sizeof(sockaddr_un::sun_path) - 1; }

bool SendToLocalSocket(const std::string& path, const std::string& bytes, int timeoutMs, std::string* error) {
  if (path.empty() || path.size() > MaxLocalSocketPath()) return Fail(error, "socket path too long: " + path);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return Fail(error, std::string("socket: ") + strerror(errno));
  struct sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  memcpy(address.sun_path, path.data(), path.size());
  // A listener with a full backlog answers EAGAIN: try again until the deadline.
  for (;;) {
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) break;
    int err = errno;
    if (err == EINTR) continue;
    if (err == EINPROGRESS) {
      int soError = 0;
      socklen_t len = sizeof(soError);
      if (!WaitReady(fd, POLLOUT, deadline) || getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len) != 0 ||
          soError != 0) {
        close(fd);
        return Fail(error, "cannot connect to " + path);
      }
      break;
    }
    if (err == EAGAIN && std::chrono::steady_clock::now() < deadline) {
      struct timespec pause = {0, 10 * 1000 * 1000};
      nanosleep(&pause, nullptr);
      continue;
    }
    close(fd);
    return Fail(error, "cannot connect to " + path + ": " + strerror(err));
  }
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN && WaitReady(fd, POLLOUT, deadline)) continue;
    close(fd);
    return Fail(error, "cannot write to " + path);
  }
  close(fd);
  return true;
}

}  // namespace platform
