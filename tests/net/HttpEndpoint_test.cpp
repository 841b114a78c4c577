#include "net/HttpEndpoint.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "NetPeers.h"
#include "net/HttpReply.h"
#include "net/HttpResult.h"
#include "net/HttpServer.h"
#include "net/MyHttp.h"
#include "support/WaitUntil.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::string kResultBody = "<Result>\r\n\t<Code>7</Code>\r\n\t<Comment>queued</Comment>\r\n</Result>";
const std::string kResultReply =
    "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " + std::to_string(kResultBody.size()) +
    "\r\n\r\n" + kResultBody;

class HttpEndpointTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(peer_.Start());
    peer_.SetReply("event.cgi", kResultReply);
  }
  PythonHttpPeer peer_;
};

TEST_F(HttpEndpointTest, BasicModeSendsTheHeaderAndReadsTheResultDocument) {
  CHttpEndpoint target("127.0.0.1", peer_.port(), "admin", "1234", CHttpEndpoint::kAuthBasic, 0);
  std::string reply;
  ASSERT_EQ(target.Post("/r/event.cgi", "{\"a\":\"1\"}", &reply, 10), 1);
  EXPECT_NE(peer_.Request(1).find("\r\nAuthorization: Basic YWRtaW46MTIzNA==\r\nConnection: Keep-Alive\r\n"),
            std::string::npos);
  CHttpResult result(reply);
  EXPECT_EQ(result.code, 7);
  EXPECT_EQ(result.comment, "queued");
  EXPECT_EQ(result.contentLength, static_cast<int>(kResultBody.size()));
}

TEST_F(HttpEndpointTest, QueryModeCarriesCredentialsOnlyWhenSet) {
  struct Case {
    int mode;
    const char *user, *password, *line;
  } cases[] = {
      {3, "u", "p", "GET /r/event.cgi?id=u&password=p HTTP/1.1\r\n"},
      {0, "u", "p", "GET /r/event.cgi?id=u&password=p HTTP/1.1\r\n"},
      {3, "", "", "GET /r/event.cgi HTTP/1.1\r\n"},
  };
  int n = 0;
  for (const Case& c : cases) {
    CHttpEndpoint target("127.0.0.1", peer_.port(), c.user, c.password, c.mode, 0);
    std::string reply;
    ASSERT_EQ(target.Get("/r/event.cgi", &reply, 10), 1);
    std::string request = peer_.Request(++n);
    EXPECT_EQ(request.substr(0, request.find('\n') + 1), c.line);
    EXPECT_EQ(request.find("Authorization"), std::string::npos);
  }
}

TEST_F(HttpEndpointTest, ReportsOnlyWhetherTheConnectionWasMade) {
  std::string reply = "untouched";
  CHttpEndpoint nowhere("127.0.0.1", FreeLoopbackPort(), "", "", 3, 0);
  auto start = Clock::now();
  EXPECT_EQ(nowhere.Get("/", &reply, 5), 0);
  EXPECT_EQ(reply, "untouched");
  EXPECT_LT(ElapsedMs(start), 5000);

  peer_.SetReply("silent", "<<HANG>>");
  CHttpEndpoint silent("127.0.0.1", peer_.port(), "", "", 3, 0);
  EXPECT_EQ(silent.Post("/r/silent", "x", &reply, 1), 1);
  EXPECT_EQ(reply, "");
}

TEST_F(HttpEndpointTest, StreamConnectionPostsInEachMode) {
  for (int mode : {1, 3}) {
    CSecureSock conn;
    ASSERT_EQ(conn.Connect("127.0.0.1", peer_.port(), 5000), 1);
    CHttpEndpoint target("127.0.0.1", peer_.port(), "u", "p", mode, 0);
    ASSERT_EQ(target.SendPost(conn, "/r/event.cgi", "body", 5), 1);
    std::string header;
    int length = 0;
    ASSERT_TRUE(CMyHttp::RecvHeaderText(conn, &header, &length, 10));
    EXPECT_EQ(length, static_cast<int>(kResultBody.size()));
  }
  EXPECT_NE(peer_.Request(1).find("Authorization: Basic dTpw\r\nContent-Length: 8\r\n"), std::string::npos);
  EXPECT_EQ(peer_.Request(2).substr(0, 45), "POST /r/event.cgi?id=u&password=p HTTP/1.1\r\nA");
  CSecureSock closed;
  CHttpEndpoint target("127.0.0.1", peer_.port(), "u", "p", 1, 0);
  EXPECT_EQ(target.SendPost(closed, "/r/event.cgi", "body", 5), 0);
}

bool FlagSet(void* flag) { return static_cast<std::atomic<bool>*>(flag)->load(); }

TEST_F(HttpEndpointTest, StopEndsTheWaitForADigestChallenge) {
  peer_.SetReply("mute", "<<HANG>>");  // reads the request and never answers
  struct Case {
    const char* name;
    bool byOwnerCheck;  // the owner's stop check, or the connection's own Stop
  } cases[] = {{"owner's stop check", true}, {"connection's Stop", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CSecureSock conn;
    ASSERT_EQ(conn.Connect("127.0.0.1", peer_.port(), 5000), 1);
    CHttpEndpoint target("127.0.0.1", peer_.port(), "u", "p", CHttpEndpoint::kAuthDigest, 0);
    std::atomic<bool> stop{false};
    std::thread stopper([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      if (c.byOwnerCheck) {
        stop = true;
      } else {
        conn.Stop();
      }
    });
    auto start = Clock::now();
    EXPECT_EQ(target.SendPost(conn, "/r/mute", "body", 60, &FlagSet, &stop), 0);
    int elapsed = ElapsedMs(start);
    stopper.join();
    EXPECT_GE(elapsed, 250);
    EXPECT_LT(elapsed, 15000);  // the challenge wait alone is 60 s
    EXPECT_FALSE(conn.IsUsable());
  }
}

int ResultHandler(SOCKET socket, const std::string&, unsigned short, const std::string&, const std::string&,
                  const std::string&, const std::string& query, const std::string&, void* context) {
  *static_cast<std::string*>(context) = query;
  CHttpReply reply(200);
  CHttpServer::SendResponse(socket, reply.GetStatusLine(), "", reply.ToXml());
  return 0;
}

void Passwords(int event, CHttpServer::AUTHEVENT* record) {
  if (event != 0) return;
  *static_cast<std::string*>(record->value) = "secret";
  record->userKnown = 1;
}

TEST(HttpEndpointDigest, LogsIntoOurServerAndReadsItsResult) {
  std::string seenQuery;
  CHttpServer server;
  server.SetBindAddress(htonl(INADDR_LOOPBACK));
  ASSERT_EQ(server.StartServer(0, "digest", {{"api", "event.cgi", &ResultHandler, 1}}, 0, 0, &seenQuery), 1);
  server.authCallback = &Passwords;
  CHttpEndpoint target("127.0.0.1", server.GetPort(), "admin", "secret", CHttpEndpoint::kAuthDigest, 0);
  std::string reply;
  ASSERT_EQ(target.Get("/api/event.cgi?n=1", &reply, 10), 1);
  CHttpResult result(reply);
  EXPECT_EQ(result.code, 200);
  EXPECT_EQ(seenQuery, "n=1&id=admin&password=secret");

  CHttpEndpoint wrong("127.0.0.1", server.GetPort(), "admin", "guess", CHttpEndpoint::kAuthDigest, 0);
  ASSERT_EQ(wrong.Post("/api/event.cgi", "{}", &reply, 10), 1);
  EXPECT_EQ(CHttpResult(reply).code, 401);
  server.StopServer();
}

}  // namespace
