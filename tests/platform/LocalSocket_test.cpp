#include "platform/LocalSocket.h"

#include <gtest/gtest.h>

#include <thread>

#include "support/LocalListener.h"
#include "support/TempDir.h"

namespace {

TEST(LocalSocket, DeliversTheMessage) {
  TempDir dir;
  std::string path = dir.Join("program.sock");
  LocalListener listener(path);
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
  { LocalListener gone(stale); }
  EXPECT_FALSE(platform::SendToLocalSocket(stale, "x", 10000));
}

}  // namespace
