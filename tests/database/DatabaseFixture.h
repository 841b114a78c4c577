// What the database tests share: a scratch database per fixture with a plain
// client connection beside it (for setting up tables, killing sessions and
// reading the server's general log), a capture of the process log, and a TCP
// relay that can make a reachable server unreachable on demand.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/TempDir.h"
#include "support/TestDatabase.h"

typedef struct st_mysql MYSQL;

// A plain client connection of the test itself (charset euckr).
class RawConnection {
 public:
  RawConnection() = default;
  ~RawConnection();
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  bool Open(const TestDatabase& db, const std::string& database, std::string* error);
  // Runs one statement and discards any result. False (message in LastError) on failure.
  bool Run(const std::string& sql);
  // The rows of a query (NULL as "(null)"); empty on failure.
  std::vector<std::vector<std::string>> Rows(const std::string& sql);
  // The first value of the first row, or "" when there is none.
  std::string Value(const std::string& sql);
  std::string LastError() const;
  unsigned long ThreadId() const;

 private:
  MYSQL* conn_ = nullptr;
};

// A test with a scratch database of its own (dropped afterwards), a plain
// connection `raw_` on it, and the server's general log switched on.
class DatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The statements that session `thread_id` sent (general log, command Query),
  // in the order the server received them.
  std::vector<std::string> StatementsOf(unsigned long thread_id);
  // The statements of `thread_id` received after the first `skip` of them.
  std::vector<std::string> StatementsSince(unsigned long thread_id, size_t skip);
  // Ends session `thread_id` from the plain connection (KILL CONNECTION).
  bool KillSession(unsigned long thread_id);

  TestDatabase db_;
  std::string database_;
  RawConnection raw_;
};

// Captures the process log's level-1 lines (debugger output with the function
// name, "[Class::Method] text") into a file for the length of a test.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // Everything logged so far.
  std::string Text() const;
  // True when some line contains `piece`.
  bool Contains(const std::string& piece) const { return Text().find(piece) != std::string::npos; }

 private:
  TempDir dir_;
  int fd_ = -1;
};

// Relays TCP connections from a loopback port of its own to a target port, so
// that a test can take the "server" away (Stop: refuse new connections and cut
// open ones) and bring it back on the same port (Start).
class TcpRelay {
 public:
  explicit TcpRelay(unsigned short target_port);
  ~TcpRelay();
  TcpRelay(const TcpRelay&) = delete;
  TcpRelay& operator=(const TcpRelay&) = delete;

  // Listens (on the same port as before, or a new one the first time). False on failure.
  bool Start();
  // Closes the listener and every relayed connection; waits for the relay thread.
  void Stop();
  unsigned short port() const { return port_; }

 private:
  void Run();

  unsigned short target_port_;
  unsigned short port_ = 0;
  int listener_ = -1;
  int wake_[2] = {-1, -1};
  std::thread thread_;
};

// A MariaDB server of one test's own (for tests that stop and restart a
// server; the shared test server must never be restarted). Started as
// scripts/with-mariadb starts the shared one: a fresh data folder, loopback
// port, root@127.0.0.1 with `password()`, an empty database "gate_private".
class PrivateServer {
 public:
  // `options` are added to the server's command line (say "--sql-mode=").
  explicit PrivateServer(std::vector<std::string> options = {}) : options_(std::move(options)) {}
  ~PrivateServer();  // stops the server and removes its folder
  PrivateServer(const PrivateServer&) = delete;
  PrivateServer& operator=(const PrivateServer&) = delete;

  // Installs the data folder (first call) and starts the server; waits up to
  // 60 s until it answers. False (reason in `error`) on failure.
  bool Start(std::string* error);
  // Stops the server (SIGTERM, then SIGKILL after 30 s) and waits for it.
  void Stop();
  // Freezes the running server (SIGSTOP): it keeps its connections and
  // accepts new ones, but answers nothing until Resume (SIGCONT).
  void Pause();
  void Resume();
  unsigned short port() const { return port_; }
  static const char* password() { return "private-pw"; }

 private:
  bool WaitUntilUp(std::string* error);

  std::vector<std::string> options_;
  TempDir dir_;
  bool installed_ = false;
  bool paused_ = false;
  unsigned short port_ = 0;
  int pid_ = -1;
};

// A loopback port on which nothing listens (bound and closed again).
unsigned short ClosedPort();

// A listener that accepts connections and never says anything (a server that
// hangs). With `full`, its accept queue is filled first, so that the kernel
// drops further connection attempts and a connect stays pending (a host that
// does not answer).
class SilentServer {
 public:
  explicit SilentServer(bool full = false);
  ~SilentServer();
  unsigned short port() const { return port_; }

 private:
  int listener_ = -1;
  unsigned short port_ = 0;
  std::vector<int> fillers_;
};
