// A listening Unix stream socket for tests: the other end of a local socket
// client, such as a later instance sending a command to the running one.
#pragma once

#include <string>

class LocalListener {
 public:
  // Binds `path` and listens; ok() tells whether that worked.
  explicit LocalListener(const std::string& path);
  // Closes the socket. The socket file stays, as a crashed listener leaves it.
  ~LocalListener();
  LocalListener(const LocalListener&) = delete;
  LocalListener& operator=(const LocalListener&) = delete;

  bool ok() const { return ok_; }
  int fd() const { return fd_; }

  // True when a client waits to be accepted, after at most `timeoutMs`.
  bool Pending(int timeoutMs) const;

  // Accepts one client and reads what it sends until it closes, at most
  // `maxBytes`, waiting at most `timeoutMs` for each step. "<no client>" when
  // none came.
  std::string ReceiveOne(int timeoutMs = 60000, size_t maxBytes = 4096);

 private:
  int fd_ = -1;
  bool ok_ = false;
};
