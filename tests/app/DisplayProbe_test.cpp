// The display check before the window toolkit starts, against real sockets
// that answer, stay silent or are not there.
#include "app/DisplayProbe.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace {

// A TCP listener on a loopback port of 6000 or more, so that a display
// number names it; answers each connection with one byte when `answers`.
class FakeXServer {
 public:
  explicit FakeXServer(bool answers) : answers_(answers) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    listen(fd_, 4);
    thread_ = std::thread([this] {
      int client = accept(fd_, nullptr, nullptr);
      if (client < 0) return;
      char request[12];
      if (answers_ && recv(client, request, sizeof request, MSG_WAITALL) == 12) send(client, "\0", 1, MSG_NOSIGNAL);
      while (!done_) usleep(10000);
      close(client);
    });
  }
  ~FakeXServer() {
    done_ = true;
    shutdown(fd_, SHUT_RDWR);
    thread_.join();
    close(fd_);
  }
  // "127.0.0.1:<port - 6000>"; the kernel's ports lie far above 6000.
  std::string Display() const { return "127.0.0.1:" + std::to_string(port_ - 6000); }

 private:
  bool answers_;
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> done_{false};
  std::thread thread_;
};

TEST(DisplayProbe, OnlyADisplayThatAnswersCounts) {
  {
    FakeXServer server(true);
    EXPECT_TRUE(X11DisplayAnswers(server.Display(), 10000));
  }
  {
    FakeXServer server(true);
    EXPECT_TRUE(X11DisplayAnswers(server.Display() + ".0", 10000)) << "with a screen number";
  }
  {
    FakeXServer silent(false);
    EXPECT_FALSE(X11DisplayAnswers(silent.Display(), 300)) << "accepts but never answers";
  }
  // Nothing listens on these.
  EXPECT_FALSE(X11DisplayAnswers(":59123", 1000));
  EXPECT_FALSE(X11DisplayAnswers("not a display", 1000));
  EXPECT_FALSE(X11DisplayAnswers(":x", 1000));
}

TEST(DisplayProbe, WhenTheWindowRunsHeadless) {
  EXPECT_EQ(WhyRunHeadless("offscreen", nullptr, nullptr, 100), "") << "the toolkit's own choice stands";
  EXPECT_EQ(WhyRunHeadless(nullptr, "wayland-0", ":59123", 100), "") << "Wayland is the toolkit's to try";
  EXPECT_NE(WhyRunHeadless(nullptr, nullptr, nullptr, 100), "");
  EXPECT_NE(WhyRunHeadless("", "", "", 100), "");
  EXPECT_EQ(WhyRunHeadless(nullptr, nullptr, ":59123", 100), "the display ':59123' does not answer");
  FakeXServer server(true);
  EXPECT_EQ(WhyRunHeadless(nullptr, nullptr, server.Display().c_str(), 10000), "");
}

}  // namespace
