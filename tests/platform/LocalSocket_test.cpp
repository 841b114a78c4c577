#include "platform/LocalSocket.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "support/TempDir.h"

namespace {

// A real listener on a Unix socket that collects what one client sends.
class Listener {
 public:
  explicit Listener(const std::string& path) {
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    ok_ = bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 && listen(fd_, 4) == 0;
  }
  ~Listener() { close(fd_); }
  bool ok() const { return ok_; }

  // Accepts one client and reads until it closes (at most 60 s).
  std::string ReceiveOne() {
    pollfd p = {fd_, POLLIN, 0};
    if (poll(&p, 1, 60000) != 1) return "<no client>";
    int client = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    std::string bytes;
    char buffer[256];
    for (;;) {
      pollfd c = {client, POLLIN, 0};
      if (poll(&c, 1, 60000) != 1) break;
      ssize_t n = read(client, buffer, sizeof(buffer));
      if (n <= 0) break;
      bytes.append(buffer, static_cast<size_t>(n));
    }
    close(client);
    return bytes;
  }

 private:
  int fd_ = -1;
  bool ok_ = false;
};

TEST(LocalSocket, DeliversTheMessage) {
  TempDir dir;
  std::string path = dir.Join("program.sock");
  Listener listener(path);
  ASSERT_TRUE(listener.ok());
  std::string received;
  std::thread reader([&] { received = listener.ReceiveOne(); });
  std::string error;
  EXPECT_TRUE(platform::SendToLocalSocket(path, "command 32771 1\n", 10000, &error)) << error;
  reader.join();
  EXPECT_EQ(received, "command 32771 1\n");
}

TEST(LocalSocket, FailsWithoutListener) {
  TempDir dir;
  struct Case {
    std::string path;
    const char* why;
  } cases[] = {
      {dir.Join("nobody.sock"), "no socket file"},
      {dir.path(), "a folder, not a socket"},
      {dir.path() + "/" + std::string(platform::MaxLocalSocketPath(), 'x'), "path too long"},
      {"", "empty path"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(platform::SendToLocalSocket(c.path, "x", 10000, &error)) << c.why;
    EXPECT_FALSE(error.empty()) << c.why;
  }
  // A stale socket file left by an ended listener.
  std::string stale = dir.Join("stale.sock");
  { Listener gone(stale); }
  EXPECT_FALSE(platform::SendToLocalSocket(stale, "x", 10000));
}

}  // namespace
