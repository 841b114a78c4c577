#include "analysis/VasMetaClientSKTAI.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <stdlib.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include "EngineFrames.h"
#include "PartFeed.h"
#include "foundation/ProcessLogCapture.h"

namespace {

TEST(VasMetaClientSKTAI, LengthAnnouncesTheBodyThatFollows) {
  ProcessLogCapture log;
  FakeAnalysisServer server([](FakeConnection& connection, int) {
    connection.Send(std::string("\x10\x00\x00\x00", 4) + "{\"objects\":[ ]}" + " " + SktFrame(SktResult(9)));
    connection.Hold();
  });
  ReceiverUnderTest test(platform::SystemClock(), EngineTimings());
  test.collector.keep = true;
  CVasConnInfo info = EngineServer(kVasKindSktServer, server.port());
  ASSERT_TRUE(test.Run(info));
  ASSERT_TRUE(test.collector.WaitFor(1));
  test.receiver.Stop();
  ASSERT_EQ(test.collector.Kept().size(), 1u);
  const CVAR& result = *test.collector.Kept()[0];
  EXPECT_EQ(result.Channel, 9);
  EXPECT_EQ(result.VasID, info.VasID);
  ASSERT_EQ(result.Events.size(), 1u);
  EXPECT_EQ(result.Events[0].ROINumbers, (std::vector<int>{1}));
  // The 16 bytes were a message that lacks "source": refused by the reader.
  std::string label = CVasMetaClientBase::GetLabel(info);
  EXPECT_EQ(label, "Torvane 127.0.0.1:" + std::to_string(server.port()));
  EXPECT_NE(log.Text().find("ERROR - [" + label + "] Error raised when json deserialize the meta stream"),
            std::string::npos)
      << log.Text();
}

// The engine may say nothing for hours: the client keeps the connection.
TEST(VasMetaClientSKTAI, SilentConnectionIsKept) {
  ProcessLogCapture log;
  auto clock = std::make_shared<platform::ManualClock>();
  clock->SetLocal(2020, 10, 8, 12, 35, 27);
  PartFeed feed;
  FakeAnalysisServer server([&](FakeConnection& connection, int) { feed.Serve(connection, false); });
  ReceiverUnderTest test(clock, EngineTimings());
  ASSERT_TRUE(test.Run(EngineServer(kVasKindSktServer, server.port())));
  ASSERT_TRUE(WaitUntil([&] { return server.Accepted() == 1; }));
  for (int hour = 0; hour < 3; ++hour) {
    clock->AdvanceMillis(3600 * 1000);
    std::this_thread::sleep_for(std::chrono::milliseconds(600));  // more than one message wait
  }
  feed.Push(SktFrame(SktResult(2)));
  ASSERT_TRUE(test.collector.WaitFor(1));
  test.receiver.Stop();
  EXPECT_EQ(server.Accepted(), 1);
  EXPECT_EQ(log.Text().find("has expired keep alive time"), std::string::npos) << log.Text();
}

// The socket option `name` at `level` of this process's connection to `port`
// on the loopback, or -1 when there is none.
int ClientSocketOption(unsigned short port, int level, int name) {
  DIR* folder = opendir("/proc/self/fd");
  if (!folder) return -1;
  int value = -1;
  while (dirent* entry = readdir(folder)) {
    int fd = atoi(entry->d_name);
    sockaddr_in peer{};
    socklen_t length = sizeof(peer);
    if (fd <= 2 || getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0) continue;
    if (peer.sin_family != AF_INET || ntohs(peer.sin_port) != port) continue;
    socklen_t size = sizeof(value);
    getsockopt(fd, level, name, &value, &size);
    break;
  }
  closedir(folder);
  return value;
}

// A peer that vanished (a half-open connection after a network fault) is
// found by TCP keep-alive probes, so the client reconnects in the end.
TEST(VasMetaClientSKTAI, StreamSocketProbesAVanishedPeer) {
  FakeAnalysisServer server([](FakeConnection& connection, int) { connection.Hold(); });
  ReceiverUnderTest test(platform::SystemClock(), EngineTimings());
  ASSERT_TRUE(test.Run(EngineServer(kVasKindSktServer, server.port())));
  ASSERT_TRUE(WaitUntil([&] { return server.Accepted() == 1; }));
  // The options are set just after the connection stands.
  ASSERT_TRUE(WaitUntil([&] { return ClientSocketOption(server.port(), SOL_SOCKET, SO_KEEPALIVE) == 1; }));
  EXPECT_EQ(ClientSocketOption(server.port(), IPPROTO_TCP, TCP_KEEPIDLE), 60);
  EXPECT_EQ(ClientSocketOption(server.port(), IPPROTO_TCP, TCP_KEEPINTVL), 10);
  EXPECT_EQ(ClientSocketOption(server.port(), IPPROTO_TCP, TCP_KEEPCNT), 3);
  test.receiver.Stop();
}

}  // namespace
