#include "net/Sock.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/WaitUntil.h"

namespace {

using Clock = std::chrono::steady_clock;

const uint32_t kLoopback = htonl(INADDR_LOOPBACK);

// A listener on a kernel-chosen loopback port with one accepted connection.
class SockPair : public ::testing::Test {
 protected:
  void SetUp() override {
    listener_ = sock::Listen(0, kLoopback);
    ASSERT_NE(listener_, INVALID_SOCKET);
    port_ = sock::GetLocalPort(listener_);
    client_ = sock::Connect("127.0.0.1", port_, 5000);
    ASSERT_NE(client_, INVALID_SOCKET);
    server_ = accept(listener_, nullptr, nullptr);
    ASSERT_GE(server_, 0);
  }
  void TearDown() override {
    sock::Close(client_);
    sock::Close(server_);
    sock::Close(listener_);
  }
  void ServerSends(const std::string& bytes) {
    ASSERT_EQ(send(server_, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
  }

  SOCKET listener_ = INVALID_SOCKET;
  SOCKET client_ = INVALID_SOCKET;
  SOCKET server_ = INVALID_SOCKET;
  unsigned short port_ = 0;
};

TEST(SockAddress, RecognisesDottedTextAndResolvesNames) {
  struct Case {
    const char* text;
    bool dotted;
    uint32_t address;
  } cases[] = {
      {"10.0.0.1", true, inet_addr("10.0.0.1")},
      {"127.0.0.1", true, htonl(INADDR_LOOPBACK)},
      {"300.1.1.1", true, INADDR_NONE},
      {"", true, INADDR_NONE},
      {"localhost", false, htonl(INADDR_LOOPBACK)},
      {"no-such-host.invalid", false, INADDR_NONE},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sock::IsIpAddress(c.text), c.dotted) << c.text;
    EXPECT_EQ(sock::Resolve(c.text), c.address) << c.text;
  }
}

TEST(SockConnect, RefusesBadPortsAndAddressesWithoutWaiting) {
  auto start = Clock::now();
  EXPECT_EQ(sock::Connect("127.0.0.1", 0, 5000), INVALID_SOCKET);
  EXPECT_EQ(sock::Connect("127.0.0.1", 65535, 5000), INVALID_SOCKET);
  EXPECT_EQ(sock::Connect("300.1.1.1", 80, 5000), INVALID_SOCKET);
  int pending = 7;
  EXPECT_EQ(sock::ConnectNonBlock("127.0.0.1", 65535, &pending), INVALID_SOCKET);
  EXPECT_LT(ElapsedMs(start), 4000);
}

TEST(SockConnect, RefusedPortFailsAndProbeSaysUnreachable) {
  SOCKET listener = sock::Listen(0, kLoopback);
  unsigned short port = sock::GetLocalPort(listener);
  sock::Close(listener);  // nobody listens there now
  EXPECT_EQ(sock::Connect("127.0.0.1", port, 5000), INVALID_SOCKET);
  int pending = 0;
  SOCKET s = sock::ConnectNonBlock("127.0.0.1", port, &pending);
  if (s != INVALID_SOCKET) {
    EXPECT_FALSE(sock::WaitConnected(s, 5000));
    sock::Close(s);
  }
  EXPECT_FALSE(sock::IsReachable("127.0.0.1", port));
}

TEST_F(SockPair, ConnectsByNameAndLeavesSocketNonBlocking) {
  SOCKET byName = sock::Connect("localhost", port_, 5000);
  ASSERT_NE(byName, INVALID_SOCKET);
  char c;
  EXPECT_EQ(recv(byName, &c, 1, 0), -1);  // non-blocking: no data is EAGAIN, not a wait
  EXPECT_EQ(errno, EAGAIN);
  sock::Close(byName);
  EXPECT_TRUE(sock::IsReachable("127.0.0.1", port_));
}

TEST_F(SockPair, ConnectWaitConnectsCallersSocketAndHonoursStopFlag) {
  std::atomic<SOCKET> s{sock::CreateTcp()};
  EXPECT_TRUE(sock::ConnectWait(s, "127.0.0.1", port_));
  sock::Close(s);
  s = sock::CreateTcp();
  std::atomic<int> stop{0};
  EXPECT_TRUE(sock::ConnectWait(s, "127.0.0.1", port_, &stop));
  sock::Close(s);
  s = sock::CreateTcp();
  EXPECT_FALSE(sock::ConnectWait(s, "127.0.0.1", 0));
  sock::Close(s);
}

TEST_F(SockPair, RecvTellsTimeOutFromClosedPeerAndPeekKeepsBytes) {
  char buffer[16] = {};
  EXPECT_EQ(sock::Recv(client_, buffer, sizeof(buffer), 0, 50), 0);  // time-out
  ServerSends("hello");
  EXPECT_EQ(sock::Recv(client_, buffer, sizeof(buffer), MSG_PEEK, 5000), 5);
  EXPECT_EQ(sock::Recv(client_, buffer, 2, 0, 5000), 2);
  EXPECT_EQ(std::string(buffer, 2), "he");
  EXPECT_EQ(sock::Recv(client_, buffer, sizeof(buffer), 0, 5000), 3);
  EXPECT_EQ(std::string(buffer, 3), "llo");
  ::shutdown(server_, SHUT_WR);
  EXPECT_EQ(sock::Recv(client_, buffer, sizeof(buffer), 0, 5000), -1);  // closed, not 0
}

TEST_F(SockPair, RecvExWithZeroTimeOutReadsNothingAndAbortEndsAfterOneSlice) {
  ServerSends("x");
  char buffer[4];
  EXPECT_EQ(sock::RecvEx(client_, buffer, sizeof(buffer), MSG_PEEK, 0, nullptr, nullptr), 0);
  EXPECT_EQ(sock::RecvEx(client_, buffer, sizeof(buffer), 0, 5000, nullptr, nullptr), 1);

  int asked = 0;
  auto start = Clock::now();
  int r = sock::RecvEx(client_, buffer, sizeof(buffer), 0, 60000,
                       [](void* user) { return ++*static_cast<int*>(user) > 0; }, &asked);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(asked, 1);
  EXPECT_LT(ElapsedMs(start), 10000);  // one slice of 1000 ms, not the minute
}

TEST_F(SockPair, RecvAllCollectsPiecesAndFailsWhenPeerClosesEarly) {
  std::thread sender([this] {
    ServerSends("abc");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ServerSends("defg");
  });
  char buffer[8] = {};
  EXPECT_EQ(sock::RecvAll(client_, buffer, 7, 10000), 7);
  EXPECT_EQ(std::string(buffer, 7), "abcdefg");
  sender.join();

  ServerSends("xy");
  EXPECT_EQ(sock::RecvAll(client_, buffer, 4, 100), 2);  // short at the deadline
  ServerSends("z");
  ::shutdown(server_, SHUT_WR);
  EXPECT_EQ(sock::RecvAll(client_, buffer, 4, 10000), -1);
}

TEST_F(SockPair, RecvAllExStopsWhenAsked) {
  ServerSends("ab");
  char buffer[8];
  int calls = 0;
  auto start = Clock::now();
  int r = sock::RecvAllEx(client_, buffer, 8, -1, [](void* user) { return ++*static_cast<int*>(user) >= 1; },
                          &calls);
  EXPECT_EQ(r, 2);
  EXPECT_LT(ElapsedMs(start), 10000);
}

TEST_F(SockPair, SendAllStopsAtDeadlineWhenPeerNeverReads) {
  int small = 4096;
  setsockopt(client_, SOL_SOCKET, SO_SNDBUF, &small, sizeof(small));
  setsockopt(server_, SOL_SOCKET, SO_RCVBUF, &small, sizeof(small));
  std::string big(8 * 1024 * 1024, 'x');
  auto start = Clock::now();
  int sent = sock::SendAll(client_, big.data(), static_cast<int>(big.size()), 300);
  EXPECT_GT(sent, 0);
  EXPECT_LT(sent, static_cast<int>(big.size()));
  EXPECT_GE(ElapsedMs(start), 250);
  EXPECT_LT(ElapsedMs(start), 10000);
}

TEST_F(SockPair, SendAllToClosedPeerFailsWithoutEndingTheProcess) {
  sock::Close(server_);
  server_ = INVALID_SOCKET;
  std::string data(64 * 1024, 'y');
  int result = 0;
  for (int i = 0; i < 50 && result >= 0; ++i) {
    result = sock::SendAll(client_, data.data(), static_cast<int>(data.size()), 1000);
  }
  EXPECT_EQ(result, -1);
}

TEST_F(SockPair, ShutdownWakesABlockedReader) {
  std::thread reader([this] {
    char c;
    EXPECT_EQ(sock::Recv(client_, &c, 1, 0, 60000), -1);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  auto start = Clock::now();
  sock::Shutdown(client_);
  reader.join();
  EXPECT_LT(ElapsedMs(start), 10000);
}

TEST(SockUdp, BindsAndReceivesADatagram) {
  SOCKET udp = sock::BindUDP(0);
  ASSERT_NE(udp, INVALID_SOCKET);
  unsigned short port = sock::GetLocalPort(udp);
  int sender = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = kLoopback;
  ASSERT_EQ(sendto(sender, "ping", 4, 0, reinterpret_cast<sockaddr*>(&to), sizeof(to)), 4);
  char buffer[8];
  EXPECT_EQ(sock::Recv(udp, buffer, sizeof(buffer), 0, 5000), 4);
  close(sender);
  sock::Close(udp);
}

TEST(SockListen, ListenFailsOnAPortInUse) {
  SOCKET first = sock::Listen(0, kLoopback);
  ASSERT_NE(first, INVALID_SOCKET);
  EXPECT_EQ(sock::Listen(sock::GetLocalPort(first), kLoopback), INVALID_SOCKET);
  sock::Close(first);
}

}  // namespace

namespace {

TEST(SockListen, QueuesABurstOfConnectsBeyondTwenty) {
  // Nobody accepts: every connect must still complete into the listen queue.
  SOCKET listener = sock::Listen(0, kLoopback);
  ASSERT_NE(listener, INVALID_SOCKET);
  unsigned short port = sock::GetLocalPort(listener);
  std::vector<SOCKET> clients;
  for (int i = 0; i < 200; ++i) {
    int pending = 0;
    clients.push_back(sock::ConnectNonBlock("127.0.0.1", port, &pending));
  }
  int connected = 0;
  auto start = Clock::now();
  for (SOCKET s : clients) connected += sock::WaitConnected(s, std::max(5000 - ElapsedMs(start), 0)) ? 1 : 0;
  EXPECT_EQ(connected, 200);
  for (SOCKET s : clients) sock::Close(s);
  sock::Close(listener);
}

}  // namespace
