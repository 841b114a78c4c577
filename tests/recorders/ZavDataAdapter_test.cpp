#include "recorders/ZavDataAdapter.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "FakeRecordingServer.h"
#include "ZavTestStore.h"
#include "foundation/ProcessLogCapture.h"
#include "net/Sock.h"

namespace {

using Clock = std::chrono::steady_clock;

// The bytes a client sent to an accepted connection: waits up to 10 s for
// `size` bytes, or until the client stops sending for 300 ms.
std::string ReadRequest(SOCKET listener, size_t size) {
  pollfd p{listener, POLLIN, 0};
  if (poll(&p, 1, 10000) <= 0) return "<no client>";
  int fd = accept(listener, nullptr, nullptr);
  std::string bytes;
  auto end = Clock::now() + std::chrono::seconds(10);
  while (bytes.size() < size && Clock::now() < end) {
    pollfd r{fd, POLLIN, 0};
    if (poll(&r, 1, 300) <= 0) break;
    char chunk[4096];
    ssize_t n = recv(fd, chunk, sizeof(chunk), 0);
    if (n <= 0) break;
    bytes.append(chunk, static_cast<size_t>(n));
  }
  close(fd);
  return bytes;
}

std::string Post(const std::string& target, const std::string& body) {
  return "POST " + target + " HTTP/1.1\r\nAccept: */*\r\nUser-Agent: ORVU\r\nHost: 127.0.0.1\r\nContent-Length: " +
         std::to_string(body.size() + 4) + "\r\nConnection: Keep-Alive\r\n\r\n" + body + "\r\n\r\n";
}

const char kEventBody[] =
    "polling=0&interval=5&record=1&alarm=1&motion=1&videoloss=1&textin=1&disktemperature=1&disksmart=1&diskbad=1"
    "&rest=1&color=1&analysis=1&ptz=1";

TEST(ZavDataAdapter, StreamRequestsGoOutByteExact) {
  enum Kind { System, Event, Storage };
  struct Case {
    const char* what;
    Kind kind;
    int polling;
    std::string login, password;
    std::vector<int> channels;  // cameras of the server
    std::string expected;
  } cases[] = {
      {"system status without cameras", System, 0, "", "", {},
       Post("/stream/event.cgi?id=&password=&",
            "polling=0&interval=5&fulltext=1&status=1&record=1&videoloss=1&channel=1")},
      {"system status polling with channels and credentials", System, 1, "ad min", "p w&", {1, 2, 3},
       Post("/stream/event.cgi?id=ad+min&password=p+w%26&",
            "polling=1&fulltext=1&status=1&record=1&videoloss=1&channel=1%2c2%2c3")},
      {"event status", Event, 0, "admin", "pw", {4}, Post("/stream/event.cgi?id=admin&password=pw&", kEventBody)},
      {"storage status", Storage, 0, "admin", "p w", {},
       "GET /record/storage.cgi?method=get&id=admin&password=p+w HTTP/1.1\r\nAccept: */*\r\nUser-Agent: ORVU\r\n"
       "Host: 127.0.0.1\r\nConnection: Keep-Alive\r\n\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SOCKET listener = sock::Listen(0, htonl(INADDR_LOOPBACK));
    ASSERT_NE(listener, INVALID_SOCKET);
    ZavTestStore store;
    store.AddServer(1, sock::GetLocalPort(listener), c.login, c.password);
    for (size_t i = 0; i < c.channels.size(); ++i) store.AddCamera(static_cast<int>(10 + i), 1, c.channels[i]);
    CSecureSock conn;
    int sent = c.kind == System  ? CZavDataAdapter::RequestSystemStatus(store.get(), 1, 5, c.polling, conn)
               : c.kind == Event ? CZavDataAdapter::RequestEventStatus(store.get(), 1, 5, c.polling, conn)
                                 : CZavDataAdapter::RequestStorageStatus(store.get(), 1, conn);
    EXPECT_EQ(sent, 1);
    EXPECT_EQ(ReadRequest(listener, c.expected.size()), c.expected);
    conn.Close();
    sock::Close(listener);
  }
}

TEST(ZavDataAdapter, RequestFailuresAreLoggedAndReturnZero) {
  SOCKET listener = sock::Listen(0, htonl(INADDR_LOOPBACK));
  unsigned short closedPort = sock::GetLocalPort(listener);
  sock::Close(listener);  // nothing listens there now
  ZavTestStore store;
  store.AddServer(1, closedPort);
  ProcessLogCapture log;
  CSecureSock conn;
  EXPECT_EQ(CZavDataAdapter::RequestSystemStatus(store.get(), 1, 5, 0, conn), 0);
  EXPECT_NE(log.Text().find("ERROR - [127.0.0.1:" + std::to_string(closedPort) +
                            "] Error raised when check activity for zav.\r\n"),
            std::string::npos)
      << log.Text();
  EXPECT_EQ(CZavDataAdapter::RequestStorageStatus(store.get(), 9, conn), 0);
  EXPECT_NE(log.Text().find("ERROR - Can't find '9' zav information.\r\n"), std::string::npos);
  std::vector<char> buffer;
  EXPECT_EQ(CZavDataAdapter::ReceiveStatus(store.get(), 9, 1, 1, conn, &buffer, nullptr, nullptr), -1);
}

TEST(ZavDataAdapter, SystemInformation) {
  const std::string info =
      "<System><Information><Version>3.2.1</Version><MaxChannel>64</MaxChannel><OS>Linux</OS></Information>"
      "</System>";
  struct Case {
    const char* what;
    std::string reply;
    std::string login, password;
    int result;
    std::string requestLine;
    std::string os;   // after the call (the record starts with "before")
    std::string line;  // expected log text
  } cases[] = {
      {"a 200 reply fills the record", HttpReply(200, info), "ad min", "p w&", 1,
       "GET /system/information.cgi?method=get&id=ad+min&password=p+w%26 HTTP/1.1", "Linux", ""},
      {"no credentials: none in the query", HttpReply(200, info), "", "", 1,
       "GET /system/information.cgi?method=get HTTP/1.1", "Linux", ""},
      {"XML without the elements keeps the defaults", HttpReply(200, "<Other><A>1</A></Other>"), "", "", 1, "", "",
       ""},
      {"an empty body fails", HttpReply(200, ""), "", "", 0, "", "before",
       "Error received from server. the reponse is 'HTTP/1.1 200 Status"},
      {"a 404 fails", HttpReply(404, info), "", "", 0, "", "before", "Error received from server."},
      {"a body that is no XML fails", HttpReply(200, "not xml"), "", "", 0, "", "before",
       "Error raised when deserialize system data.('HTTP/1.1 200 Status"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeRecordingServer::Script script;
    script.systemInformation = c.reply;
    FakeRecordingServer server(script);
    ZavTestStore store;
    store.AddServer(1, server.port(), c.login, c.password);
    ProcessLogCapture log;
    CZavSysteminformation record;
    record.OS = "before";
    EXPECT_EQ(CZavDataAdapter::GetSystemInformation(store.get(), 1, &record), c.result);
    EXPECT_EQ(record.GetOS(), c.os);
    if (!c.requestLine.empty()) {
      ASSERT_EQ(server.Requests().size(), 1u);
      EXPECT_EQ(server.Requests()[0].substr(0, server.Requests()[0].find("\r\n")), c.requestLine);
    }
    if (!c.line.empty()) {
      EXPECT_NE(log.Text().find(c.line), std::string::npos) << log.Text();
    }
  }

  ZavTestStore store;
  SOCKET listener = sock::Listen(0, htonl(INADDR_LOOPBACK));
  store.AddServer(1, sock::GetLocalPort(listener));
  sock::Close(listener);
  ProcessLogCapture log;
  CZavSysteminformation record;
  EXPECT_EQ(CZavDataAdapter::GetSystemInformation(store.get(), 1, &record), 0);
  EXPECT_NE(log.Text().find("ERROR - Error raised when request message to 'zav1 (127.0.0.1)' zav\r\n"),
            std::string::npos)
      << log.Text();
}

// ---- ReceiveStatus over a connected pair fed with the peer's bytes

class ReceiveStatusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds_), 0);
    conn_.socket = fds_[0];
    store_.AddServer(1, 80);
  }
  void TearDown() override {
    conn_.Close();
    close(fds_[1]);
  }
  // The peer sends `bytes` and, with `end`, closes its sending side.
  void PeerSends(const std::string& bytes, bool end = true) {
    ASSERT_EQ(send(fds_[1], bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    if (end) shutdown(fds_[1], SHUT_WR);
  }
  int Receive(SockAbortFunc stop = nullptr, void* context = nullptr, int interval = 1, int extra = 1) {
    return CZavDataAdapter::ReceiveStatus(store_.get(), 1, interval, extra, conn_, &buffer_, stop, context);
  }
  std::string Text() const { return buffer_.empty() ? "" : std::string(buffer_.data()); }

  int fds_[2] = {-1, -1};
  CSecureSock conn_;
  ZavTestStore store_;
  std::vector<char> buffer_;
};

const char kStreamHeader[] =
    "HTTP/1.1 200 OK\r\nContent-Type: multipart/x-mixed-replace; boundary=1234567890\r\n\r\n";

TEST_F(ReceiveStatusTest, ReadsTheReplyHeaderThenPartAfterPart) {
  PeerSends(std::string(kStreamHeader) + FakeRecordingServer::Part("<EventStream/>") + "\r\n\r\n" +
                FakeRecordingServer::Part("<Records/>") + "--1234567890\r\nContent-Type: text/xml\r\n\r\n");
  EXPECT_EQ(Receive(), 0);  // the response header announces no body
  EXPECT_EQ(Receive(), 1);
  EXPECT_EQ(Text(), "<EventStream/>");
  EXPECT_EQ(Receive(), 1);  // the empty lines between the parts pass
  EXPECT_EQ(Text(), "<Records/>");
  EXPECT_EQ(Receive(), 0);  // a part without Content-Length
  EXPECT_EQ(Receive(), -1);  // the peer has closed
}

TEST_F(ReceiveStatusTest, ALineEndAfterABodyWaitsForTheNextPart) {
  // The server ends a body with CR LF and sends the next part a second later:
  // the lone line end is no stalled header.
  PeerSends(FakeRecordingServer::Part("<A/>"), false);
  EXPECT_EQ(Receive(), 1);
  std::thread later([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    PeerSends(FakeRecordingServer::Part("<B/>"));
  });
  EXPECT_EQ(Receive(nullptr, nullptr, 3, 1), 1);
  later.join();
  EXPECT_EQ(Text(), "<B/>");
}

TEST_F(ReceiveStatusTest, FailuresReturnMinusOneWithTheirLine) {
  const std::string body401(120, 'r');
  struct Case {
    const char* what;
    std::string bytes;
    std::string line;
    std::string buffer;  // the text at the buffer's start afterwards, when not empty
  } cases[] = {
      {"closing boundary first", "--1234567890--\r\n\r\n", "Invalid http header. (--1234567890--", ""},
      {"another single word", "hello\r\n\r\n", "Invalid http header.", ""},
      {"no empty line within 4095 bytes", std::string(5000, 'h'), "Error raised when receive response header", ""},
      {"status 401 keeps its body", "HTTP/1.1 401 Unauthorized\r\nContent-Length: 120\r\n\r\n" + body401,
       "Error raised when request message to zav (401)", body401},
      {"a part above 16 MiB", "--1234567890\r\nContent-Length: 16777217\r\n\r\nxx",
       "Part of 16777217 bytes is above the limit of 16777216 bytes.", ""},
      {"a body cut short", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc",
       "Error raised when receive response body message", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    buffer_.clear();
    SetUp();
    ProcessLogCapture log;
    PeerSends(c.bytes);
    EXPECT_EQ(Receive(), -1);
    EXPECT_NE(log.Text().find(c.line), std::string::npos) << log.Text();
    if (!c.buffer.empty()) {
      ASSERT_GT(buffer_.size(), c.buffer.size());
      EXPECT_EQ(std::string(buffer_.data(), c.buffer.size() + 1), c.buffer + '\0');
    }
  }
}

bool ZavFlagSet(void* flag) { return static_cast<std::atomic<bool>*>(flag)->load(); }

TEST_F(ReceiveStatusTest, StopCheckEndsTheWait) {
  std::atomic<bool> stop{false};
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    stop = true;
  });
  auto start = Clock::now();
  EXPECT_EQ(Receive(ZavFlagSet, &stop, 5, 5), -1);  // silence: only the stop check ends it
  auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  stopper.join();
  EXPECT_LT(elapsed, 5000);
}

}  // namespace
