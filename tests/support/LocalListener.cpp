#include "support/LocalListener.h"

#include <poll.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

LocalListener::LocalListener(const std::string& path) {
  fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
  ok_ = fd_ >= 0 && path.size() < sizeof(address.sun_path) &&
        bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 && listen(fd_, 8) == 0;
}

LocalListener::~LocalListener() {
  if (fd_ >= 0) close(fd_);
}

bool LocalListener::Pending(int timeoutMs) const {
  pollfd p = {fd_, POLLIN, 0};
  return poll(&p, 1, timeoutMs) == 1;
}

std::string LocalListener::ReceiveOne(int timeoutMs, size_t maxBytes) {
  if (!Pending(timeoutMs)) return "<no client>";
  int client = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
  if (client < 0) return "<no client>";
  std::string bytes;
  char buffer[256];
  while (bytes.size() < maxBytes) {
    pollfd p = {client, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) != 1) break;
    ssize_t n = read(client, buffer, sizeof(buffer) < maxBytes - bytes.size() ? sizeof(buffer) : maxBytes - bytes.size());
    if (n <= 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  close(client);
  return bytes;
}
