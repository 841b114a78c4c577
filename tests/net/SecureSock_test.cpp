#include "net/SecureSock.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "NetPeers.h"
#include "support/WaitUntil.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + (i * 7 + i / 26) % 26);
  return s;
}

// Reads until the peer closes (or 10 s pass), consuming.
std::string ReadToEnd(CSecureSock& s) {
  std::string all;
  char buffer[5000];
  auto start = Clock::now();
  while (ElapsedMs(start) < 10000) {
    int n = s.Read(buffer, sizeof(buffer), 0, 5000, nullptr, nullptr);
    if (n < 0) break;
    all.append(buffer, n);
  }
  return all;
}

class SecureSockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Start({"-WWW"}));
    server_.AddFile("small.txt", "tiny file");
    server_.AddFile("big.txt", Pattern(70000));
  }
  // Connects over TLS and asks s_server for `file`.
  void Request(CSecureSock& s, const std::string& file) {
    s.tls = 1;
    ASSERT_EQ(s.Connect("127.0.0.1", server_.port(), 10000), 1);
    ASSERT_TRUE(s.IsUsable());
    std::string request = "GET /" + file + " HTTP/1.0\r\n\r\n";
    ASSERT_EQ(s.WriteAll(request.data(), static_cast<int>(request.size()), 5000),
              static_cast<int>(request.size()));
  }
  OpenSslServerPeer server_;
};

TEST_F(SecureSockTest, AcceptsSelfSignedServerAndReadsReplyUntilClose) {
  CSecureSock s;
  Request(s, "small.txt");
  EXPECT_NE(SSL_CTX_get_options(s.ctx) & SSL_OP_LEGACY_SERVER_CONNECT, 0u);
  std::string reply = ReadToEnd(s);
  EXPECT_NE(reply.find("200 ok"), std::string::npos);
  EXPECT_EQ(reply.substr(reply.size() - 9), "tiny file");
  char c;
  EXPECT_EQ(s.Read(&c, 1, 0, 1000, nullptr, nullptr), -1);  // closed stays closed
  s.Close();
  EXPECT_EQ(s.socket.load(), INVALID_SOCKET);
  EXPECT_EQ(s.ssl, nullptr);
}

TEST_F(SecureSockTest, PeekThenReadGivesSameBytesAndKeepsTheRestPending) {
  CSecureSock s;
  Request(s, "big.txt");
  char peeked[4095];
  char read[4095];
  int p = s.Read(peeked, sizeof(peeked), MSG_PEEK, 5000, nullptr, nullptr);
  ASSERT_GT(p, 0);
  int r = s.sslRead(read, p, 0, 5000);
  ASSERT_EQ(r, p);
  EXPECT_EQ(std::string(peeked, p), std::string(read, r));
  // The record was larger than what was asked: the rest is pending, handed out
  // without waiting even with a time-out of 0.
  ASSERT_GT(s.filled - s.consumed, 0);
  int pendingBefore = s.filled - s.consumed;
  char more[100];
  EXPECT_EQ(s.sslRead(more, 100, 0, 0), std::min(100, pendingBefore));
}

TEST_F(SecureSockTest, RepeatedLargePeeksNeverOverrunThePendingBuffer) {
  CSecureSock s;
  Request(s, "big.txt");
  std::string expected = Pattern(70000);
  std::vector<char> buffer(CSecureSock::kPendingSize);
  // Consume a little, then peek as far as the buffer goes: every SSL_read must
  // fit the free space behind the unread bytes.
  char one;
  ASSERT_EQ(s.sslRead(&one, 1, 0, 5000), 1);
  int last = 0;
  for (int i = 0; i < 50; ++i) {
    int n = s.sslRead(buffer.data(), CSecureSock::kPendingSize, MSG_PEEK, 2000);
    ASSERT_GT(n, 0);
    ASSERT_LE(s.filled, CSecureSock::kPendingSize);
    if (n == last && n >= CSecureSock::kPendingSize - 1) break;
    last = n;
  }
  std::string all(1, one);
  all += ReadToEnd(s);
  size_t body = all.find("\r\n\r\n");
  ASSERT_NE(body, std::string::npos);
  EXPECT_EQ(all.substr(body + 4), expected);
}

TEST_F(SecureSockTest, ReadExWithoutDataWaitsOneSliceAndAsksAbortOnce) {
  CSecureSock s;
  s.tls = 1;
  ASSERT_EQ(s.Connect("127.0.0.1", server_.port(), 10000), 1);  // no request: s_server stays silent
  int asked = 0;
  auto start = Clock::now();
  char buffer[16];
  int r = s.sslReadEx(buffer, sizeof(buffer), 0, 1000, [](void* user) { return ++*static_cast<int*>(user) < 0; },
                      &asked);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(asked, 1);
  EXPECT_GE(ElapsedMs(start), 900);
  s.Close();
}

TEST(SecureSockHandshake, SilentPeerEndsWithinConnectTimeOut) {
  SOCKET listener = sock::Listen(0, htonl(INADDR_LOOPBACK));  // accepts in the backlog, never answers
  ASSERT_NE(listener, INVALID_SOCKET);
  CSecureSock s;
  s.tls = 1;
  auto start = Clock::now();
  EXPECT_EQ(s.Connect("127.0.0.1", sock::GetLocalPort(listener), 700), 0);
  EXPECT_LT(ElapsedMs(start), 5000);
  EXPECT_EQ(s.socket.load(), INVALID_SOCKET);
  EXPECT_EQ(s.ssl, nullptr);
  EXPECT_EQ(s.ctx, nullptr);
  sock::Close(listener);
}

TEST(SecureSockHandshake, ReachesTls12ServerWithLegacyCipher) {
  OpenSslServerPeer server;
  ASSERT_TRUE(server.Start({"-WWW", "-tls1_2", "-cipher", "AES128-SHA"}));
  server.AddFile("a.txt", "legacy");
  CSecureSock s;
  s.tls = 1;
  ASSERT_EQ(s.Connect("127.0.0.1", server.port(), 10000), 1);
  EXPECT_STREQ(SSL_get_cipher_name(s.ssl), "AES128-SHA");
  std::string request = "GET /a.txt HTTP/1.0\r\n\r\n";
  ASSERT_EQ(s.WriteAll(request.data(), static_cast<int>(request.size()), 5000), static_cast<int>(request.size()));
  std::string reply = ReadToEnd(s);
  EXPECT_EQ(reply.substr(reply.size() - 6), "legacy");
  s.Close();
}

TEST(SecureSockHandshake, PlainServerFailsTheHandshakeAndLeavesNothingOpen) {
  PythonHttpPeer plain;
  ASSERT_TRUE(plain.Start());
  CSecureSock s;
  s.tls = 1;
  EXPECT_EQ(s.Connect("127.0.0.1", plain.port(), 5000), 0);
  EXPECT_EQ(s.socket.load(), INVALID_SOCKET);
  EXPECT_EQ(s.ssl, nullptr);
}

TEST(SecureSockPlain, ReadsAndPeeksPlainConnectionsThroughTheSameCalls) {
  SOCKET listener = sock::Listen(0, htonl(INADDR_LOOPBACK));
  CSecureSock s;
  ASSERT_EQ(s.Connect("127.0.0.1", sock::GetLocalPort(listener), 5000), 1);
  SOCKET server = accept(listener, nullptr, nullptr);
  ASSERT_EQ(send(server, "abcdef", 6, 0), 6);
  char buffer[8];
  EXPECT_EQ(s.Read(buffer, 8, MSG_PEEK, 5000, nullptr, nullptr), 6);
  EXPECT_EQ(s.Read(buffer, 3, 0, 5000, nullptr, nullptr), 3);
  EXPECT_EQ(std::string(buffer, 3), "abc");
  EXPECT_EQ(s.WriteAll("xyz", 3, 5000), 3);
  sock::Close(server);
  s.Close();
  sock::Close(listener);
}

// ---------------------------------------------------------------- ended by another thread

// Runs `wait` on a thread, calls `end` after 300 ms, and returns how long the
// wait went on after `end` (ms); `result` gets the wait's result.
template <typename Wait, typename End>
int EndedAfterMs(Wait wait, End end, int* result) {
  std::atomic<bool> done{false};
  Clock::time_point finished;
  std::thread waiter([&] {
    *result = wait();
    finished = Clock::now();
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(done.load()) << "the wait ended before it was asked to";
  auto asked = Clock::now();
  end();
  waiter.join();
  return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(finished - asked).count());
}

// The ends are expected within 100 ms; the bound leaves room for a loaded machine.
constexpr int kEndBoundMs = 1000;

TEST(SecureSockStop, StopOrCloseEndsAConnectToAPeerThatNeverAccepts) {
  NeverAcceptingPeer peer;
  ASSERT_TRUE(peer.Start());
  int result = -1;
  {  // sock::ConnectWait: the socket closed by another thread
    std::atomic<SOCKET> s{sock::CreateTcp()};
    int after = EndedAfterMs([&] { return sock::ConnectWait(s, "127.0.0.1", peer.port()) ? 1 : 0; },
                             [&] { sock::Close(s.exchange(INVALID_SOCKET)); }, &result);
    EXPECT_EQ(result, 0);
    EXPECT_LT(after, kEndBoundMs);
  }
  {  // sock::ConnectWait: the stop flag set by another thread
    std::atomic<SOCKET> s{sock::CreateTcp()};
    std::atomic<int> stop{0};
    int after = EndedAfterMs([&] { return sock::ConnectWait(s, "127.0.0.1", peer.port(), &stop) ? 1 : 0; },
                             [&] { stop = 1; }, &result);
    EXPECT_EQ(result, 0);
    EXPECT_LT(after, kEndBoundMs);
    sock::Close(s);
  }
  {  // CSecureSock::Reconnect stopped
    CSecureSock s;
    int after = EndedAfterMs([&] { return s.Reconnect("127.0.0.1", peer.port()); }, [&] { s.Stop(); }, &result);
    EXPECT_EQ(result, 0);
    EXPECT_LT(after, kEndBoundMs);
    EXPECT_EQ(s.Reconnect("127.0.0.1", peer.port()), 0);  // still stopped
    s.Close();
  }
  {  // CSecureSock::Connect with a long time-out, stopped
    CSecureSock s;
    int after =
        EndedAfterMs([&] { return s.Connect("127.0.0.1", peer.port(), 30000); }, [&] { s.Stop(); }, &result);
    EXPECT_EQ(result, 0);
    EXPECT_LT(after, kEndBoundMs);
    EXPECT_EQ(s.socket.load(), INVALID_SOCKET);
  }
}

TEST(SecureSockStop, StopOrCloseEndsAReadFromAPeerThatAcceptsAndNeverAnswers) {
  SOCKET listener = sock::Listen(0, htonl(INADDR_LOOPBACK));
  ASSERT_NE(listener, INVALID_SOCKET);
  unsigned short port = sock::GetLocalPort(listener);
  int result = -2;
  struct Case {
    const char* what;
    bool stop;  // Stop, else Close
  } cases[] = {{"plain read, stopped", true}, {"plain read, closed", false}};
  for (const Case& c : cases) {
    CSecureSock s;
    ASSERT_EQ(s.Connect("127.0.0.1", port, 5000), 1);
    SOCKET accepted = accept(listener, nullptr, nullptr);
    char buffer[16];
    int after = EndedAfterMs([&] { return s.Read(buffer, sizeof(buffer), 0, 30000, nullptr, nullptr); },
                             [&] { c.stop ? s.Stop() : s.Close(); }, &result);
    EXPECT_LE(result, 0) << c.what;
    EXPECT_LT(after, kEndBoundMs) << c.what;
    s.Close();
    sock::Close(accepted);
  }
  {  // a TLS handshake the peer never answers, stopped
    CSecureSock s;
    s.tls = 1;
    int after = EndedAfterMs([&] { return s.Connect("127.0.0.1", port, 30000); }, [&] { s.Stop(); }, &result);
    EXPECT_EQ(result, 0);
    EXPECT_LT(after, kEndBoundMs);
    EXPECT_EQ(s.ssl, nullptr);
  }
  {  // a TLS read the peer never answers, stopped
    OpenSslServerPeer server;
    ASSERT_TRUE(server.Start({"-WWW"}));
    CSecureSock s;
    s.tls = 1;
    ASSERT_EQ(s.Connect("127.0.0.1", server.port(), 10000), 1);  // no request: s_server stays silent
    char buffer[16];
    int after = EndedAfterMs([&] { return s.Read(buffer, sizeof(buffer), 0, 30000, nullptr, nullptr); },
                             [&] { s.Stop(); }, &result);
    EXPECT_LE(result, 0);
    EXPECT_LT(after, kEndBoundMs);
    s.Close();
  }
  sock::Close(listener);
}

}  // namespace
