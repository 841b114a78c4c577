// The peer side of a fuzz target that reads from a socket: the bytes arrive on
// one end of a connected pair whose other end then closes its sending side,
// so every reader sees them and then the end of the stream, never a wait.
#pragma once

#include <stddef.h>
#include <sys/socket.h>
#include <unistd.h>

// Makes the pair, writes `size` bytes (at most 1 MiB) to fds[1] and shuts its
// sending side. False when no pair could be made. The caller closes both ends.
inline bool FeedSocketPair(const char* bytes, size_t size, int fds[2]) {
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) return false;
  int big = 1 << 20;
  setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &big, sizeof(big));
  setsockopt(fds[0], SOL_SOCKET, SO_RCVBUF, &big, sizeof(big));
  while (size > 0) {
    ssize_t n = write(fds[1], bytes, size);
    if (n <= 0) break;
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  shutdown(fds[1], SHUT_WR);
  return true;
}
