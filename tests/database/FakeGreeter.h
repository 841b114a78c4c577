// A fake database server that speaks only the start of the MariaDB wire
// protocol: it greets with a known scramble, reads the client's login and
// refuses it. Used to see which user and password a client logs in with.
#pragma once

#include <string>
#include <thread>

class FakeGreeter {
 public:
  FakeGreeter();
  ~FakeGreeter();
  FakeGreeter(const FakeGreeter&) = delete;
  FakeGreeter& operator=(const FakeGreeter&) = delete;

  unsigned short port() const { return port_; }
  // Waits up to 30 s for the first login; false when none came.
  bool WaitForLogin();
  const std::string& user() const { return user_; }
  // True when the login's scrambled password is that of `password`.
  bool PasswordIs(const std::string& password) const;

 private:
  void Serve();

  int listener_ = -1;
  unsigned short port_ = 0;
  std::string scramble_;
  std::string user_;
  std::string auth_;
  bool done_ = false;
  std::thread thread_;
};
