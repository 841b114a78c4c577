#include "shell/InstanceChannel.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/LocalSocket.h"
#include "support/LocalListener.h"
#include "support/TempDir.h"

namespace {

TEST(InstanceChannel, CommandsRoundTripAndMalformedOnesAreRefused) {
  EXPECT_EQ(EncodeInstanceCommand(kTrayShowCommand), "command 32771\n");
  EXPECT_EQ(DecodeInstanceCommand(EncodeInstanceCommand(kTrayShowCommand)), kTrayShowCommand);
  EXPECT_EQ(DecodeInstanceCommand(EncodeInstanceCommand(1)), 1);
  EXPECT_EQ(DecodeInstanceCommand(EncodeInstanceCommand(65535)), 65535);
  for (const char* bad : {"", "\n", "command \n", "command 32771", "command 32771\n\n", "Command 32771\n",
                          "command  32771\n", "command -1\n", "command 0\n", "command 65536\n", "command 032771\n",
                          "command 3277x\n", "command 99999999999999999999\n", "show\n"}) {
    EXPECT_EQ(DecodeInstanceCommand(bad), 0) << bad;
  }
  EXPECT_EQ(DecodeInstanceCommand(std::string("command 32771\0\n", 15)), 0);
}

TEST(InstanceChannel, PathsLieBesideTheProgramAndFitASocketAddress) {
  EXPECT_EQ(InstanceLockPath("/opt/gate", "TorvaneGateManager"), "/opt/gate/TorvaneGateManager.lock");
  EXPECT_EQ(InstanceChannelPath("/opt/gate", "TorvaneGateManager"), "/opt/gate/TorvaneGateManager.sock");
  std::string deep = "/opt/" + std::string(120, 'd');
  std::string a = InstanceChannelPath(deep, "TorvaneGateManager");
  std::string b = InstanceChannelPath(deep + "2", "TorvaneGateManager");
  EXPECT_LE(a.size(), platform::MaxLocalSocketPath());
  EXPECT_NE(a, b) << "one channel per program folder";
  EXPECT_EQ(a, InstanceChannelPath(deep, "TorvaneGateManager")) << "the same for every instance";
}

// The running instance may still be starting when a second one sends.
TEST(InstanceChannel, SendWaitsForTheListenerToAppear) {
  TempDir dir;
  std::string path = InstanceChannelPath(dir.path(), "Program");
  std::string received;
  std::thread listener([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // not yet listening at first
    LocalListener late(path);
    if (late.ok()) received = late.ReceiveOne();
  });
  EXPECT_TRUE(SendInstanceCommand(path, kTrayShowCommand, 60000));
  listener.join();
  EXPECT_EQ(DecodeInstanceCommand(received), kTrayShowCommand);
}

TEST(InstanceChannel, SendGivesUpWhenNobodyListens) {
  TempDir dir;
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(SendInstanceCommand(InstanceChannelPath(dir.path(), "Program"), kTrayShowCommand, 300));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

}  // namespace
