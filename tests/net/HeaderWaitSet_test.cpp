// The header wait of the HTTP server on real loopback connections.
#include "net/HeaderWaitSet.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A listener, the set watching it, and client connections whose server ends
// are added to the set.
class HeaderWaitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    listener_ = sock::Listen(0, htonl(INADDR_LOOPBACK));
    ASSERT_NE(listener_, INVALID_SOCKET);
    ASSERT_TRUE(sock::SetNonBlock(listener_, true));
    ASSERT_TRUE(set_.Open(listener_));
  }
  void TearDown() override {
    for (SOCKET s : clients_) sock::Close(s);
    for (const auto& c : ready_) sock::Close(c.socket);
    sock::Close(listener_);
  }
  // Connects a client, accepts its server end into the set; returns the client.
  SOCKET Add(int timeoutMs) {
    SOCKET client = sock::Connect("127.0.0.1", sock::GetLocalPort(listener_), 5000);
    clients_.push_back(client);
    EXPECT_TRUE(set_.Poll(5000, &ready_));  // the listener has the connection
    SOCKET server = accept(listener_, nullptr, nullptr);
    EXPECT_GE(server, 0);
    set_.Add(server, "127.0.0.1", 1, timeoutMs);
    return client;
  }
  // Polls until `ready_` holds `count` connections or `timeoutMs` passes.
  void PollUntilReady(size_t count, int timeoutMs) {
    auto start = Clock::now();
    while (ready_.size() < count && Clock::now() - start < std::chrono::milliseconds(timeoutMs)) set_.Poll(100, &ready_);
  }

  CHeaderWaitSet set_{3, 4096};
  SOCKET listener_ = INVALID_SOCKET;
  std::vector<SOCKET> clients_;
  std::vector<CHeaderWaitSet::Connection> ready_;
};

TEST_F(HeaderWaitTest, HandsOverOnlyConnectionsWhoseHeaderArrived) {
  SOCKET whole = Add(10000);
  SOCKET split = Add(10000);
  Add(10000);  // sends nothing
  sock::SendAll(whole, "GET / HTTP/1.1\r\n\r\nbody", 22, 1000);
  sock::SendAll(split, "GET / HTTP/1.1\r\nHost: x\r\n", 25, 1000);
  PollUntilReady(1, 5000);
  ASSERT_EQ(ready_.size(), 1u);
  EXPECT_EQ(set_.size(), 2u);
  // The handed-over connection still holds every byte: the set only peeks.
  char buffer[64];
  EXPECT_EQ(sock::Recv(ready_[0].socket, buffer, sizeof(buffer), 0, 1000), 22);
  sock::SendAll(split, "\r\n", 2, 1000);  // the rest of its header
  PollUntilReady(2, 5000);
  EXPECT_EQ(ready_.size(), 2u);
  EXPECT_EQ(set_.size(), 1u);
}

TEST_F(HeaderWaitTest, ClosesPeersThatLeaveTimeOutOrMustMakeRoom) {
  SOCKET leaving = Add(10000);
  SOCKET late = Add(300);
  SOCKET kept = Add(10000);
  sock::SendAll(leaving, "GET / HT", 8, 1000);
  sock::Close(leaving);
  clients_.erase(clients_.begin());
  char c;
  EXPECT_EQ(sock::Recv(late, &c, 1, 0, 0), 0);
  auto start = Clock::now();
  while (set_.size() > 1 && Clock::now() - start < std::chrono::seconds(5)) set_.Poll(100, &ready_);
  EXPECT_EQ(set_.size(), 1u);  // the closed one and the timed-out one are gone
  EXPECT_EQ(sock::Recv(late, &c, 1, 0, 1000), -1);
  // Full: the connection nearest its deadline makes room.
  Add(20000);
  Add(30000);
  Add(40000);
  EXPECT_EQ(set_.size(), 3u);
  EXPECT_EQ(sock::Recv(kept, &c, 1, 0, 1000), -1);
  EXPECT_TRUE(ready_.empty());
}

}  // namespace
