// The HTTP server against real clients: curl (plain and --digest), raw sockets
// for exact bytes and hostile input.
#include "net/HttpServer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "NetPeers.h"
#include "foundation/Base64.h"
#include "foundation/ProcessLogCapture.h"
#include "foundation/StringUtil.h"
#include "net/DigestAuth.h"
#include "net/HttpReply.h"
#include "net/MyHttp.h"
#include "support/WaitUntil.h"

namespace {

using Clock = std::chrono::steady_clock;

// What the last handler call saw.
struct Seen {
  int calls = 0;
  std::string address, header, category, cgi, query, body;
  unsigned short port = 0;
  std::vector<SOCKET> kept;  // sockets of handlers that keep their connection
};

// What the handlers saw (guarded by `mutex`: handlers run on worker threads), and how they answer.
struct Recorder {
  std::mutex mutex;
  Seen seen;
  int keep = 0;  // non-zero: handlers keep the socket
  Seen Snapshot() {
    std::lock_guard<std::mutex> hold(mutex);
    return seen;
  }
};

int RecordingHandler(SOCKET socket, const std::string& address, unsigned short port, const std::string& header,
                     const std::string& category, const std::string& cgi, const std::string& query,
                     const std::string& body, void* context) {
  auto* r = static_cast<Recorder*>(context);
  int keep;
  {
    std::lock_guard<std::mutex> hold(r->mutex);
    r->seen = Seen{r->seen.calls + 1, address, header, category, cgi, query, body, port, r->seen.kept};
    keep = r->keep;
    if (keep) r->seen.kept.push_back(socket);
  }
  CHttpReply reply(200);
  reply.extras["Query"] = query;
  CHttpServer::SendResponse(socket, reply.GetStatusLine(), "", reply.ToXml());
  return keep;
}

// Holds every worker busy until more requests are in handlers at once than the
// first ten workers can take (at most 10 s), so the server must have grown.
std::mutex g_slowMutex;
std::condition_variable g_slowWake;
int g_slowInFlight = 0;

int SlowHandler(SOCKET socket, const std::string&, unsigned short, const std::string&, const std::string&,
                const std::string&, const std::string&, const std::string&, void*) {
  {
    std::unique_lock<std::mutex> hold(g_slowMutex);
    ++g_slowInFlight;
    g_slowWake.notify_all();
    g_slowWake.wait_for(hold, std::chrono::seconds(10), [] { return g_slowInFlight > 10; });
  }
  CHttpServer::SendResponse(socket, "200 OK", "", CHttpReply(200).ToXml());
  return 0;
}

// Knows "user" (password "pw") and "blank" (an empty stored password).
void PasswordCallback(int event, CHttpServer::AUTHEVENT* record) {
  if (event != 0) return;
  const std::string& user = *static_cast<const std::string*>(record->data);
  if (user == "user") *static_cast<std::string*>(record->value) = "pw";
  record->userKnown = user == "user" || user == "blank";
}

// Sends raw bytes on a fresh connection and reads until the server closes.
std::string RawExchange(unsigned short port, const std::string& request, int timeoutMs = 10000) {
  SOCKET s = sock::Connect("127.0.0.1", port, 5000);
  if (s == INVALID_SOCKET) return "<no connection>";
  sock::SendAll(s, request.data(), static_cast<int>(request.size()), 5000);
  std::string reply;
  char buffer[4096];
  auto start = Clock::now();
  while (ElapsedMs(start) < timeoutMs) {
    int n = sock::Recv(s, buffer, sizeof(buffer), 0, 1000);
    if (n < 0) break;
    reply.append(buffer, n);
  }
  sock::Close(s);
  return reply;
}

class HttpServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<CCgiMap> cgis = {
        {"va", "cctv_list.cgi", &RecordingHandler, 0},
        {"va", "secure.cgi", &RecordingHandler, 1},
        {"slow", "wait.cgi", &SlowHandler, 0},
        {"va", "nohandler.cgi", nullptr, 0},
    };
    server_.SetBindAddress(htonl(INADDR_LOOPBACK));
    ASSERT_EQ(server_.StartServer(0, "test", cgis, 0, 0, &recorder_), 1);
    server_.authCallback = &PasswordCallback;
    port_ = server_.GetPort();
    ASSERT_NE(port_, 0);
  }
  void TearDown() override { server_.StopServer(); }

  // Runs curl with `args` against the server; returns what it wrote to stdout.
  std::string Curl(std::vector<std::string> args) {
    std::vector<std::string> argv = {"curl", "-s", "--max-time", "30", "-o", dir_.Join("out")};
    argv.insert(argv.end(), args.begin(), args.end());
    WriteTestFile(dir_.Join("out"), "");
    RunCommand(argv, dir_.Join("curl.log"));
    return ReadTestFile(dir_.Join("out"));
  }
  std::string Url(const std::string& path) { return "http://127.0.0.1:" + std::to_string(port_) + path; }

  TempDir dir_;
  Recorder recorder_;
  CHttpServer server_;
  unsigned short port_ = 0;
};

TEST_F(HttpServerTest, RoutesByLowerCasedCategoryAndCgiKeepingTheQuery) {
  ProcessLogCapture log;
  std::string reply = Curl({Url("/va/cctv_list.cgi?x=1")});
  EXPECT_NE(reply.find("<Query>x=1</Query>"), std::string::npos) << reply;
  EXPECT_EQ(recorder_.Snapshot().category, "va");
  EXPECT_EQ(recorder_.Snapshot().cgi, "cctv_list.cgi");
  EXPECT_EQ(recorder_.Snapshot().query, "x=1");
  EXPECT_EQ(recorder_.Snapshot().body, "");
  EXPECT_EQ(recorder_.Snapshot().address, "127.0.0.1");
  EXPECT_EQ(recorder_.Snapshot().header.substr(0, 31), "GET /va/cctv_list.cgi?x=1 HTTP/");

  Curl({Url("/VA/CCTV_LIST.CGI?X=Y")});
  EXPECT_EQ(recorder_.Snapshot().category, "va");
  EXPECT_EQ(recorder_.Snapshot().cgi, "cctv_list.cgi");
  EXPECT_EQ(recorder_.Snapshot().query, "X=Y");
  EXPECT_EQ(recorder_.Snapshot().calls, 2);
  EXPECT_NE(log.Text().find("INFO - Request command : va/cctv_list.cgi (127.0.0.1)"), std::string::npos)
      << log.Text();
}

TEST_F(HttpServerTest, AnswersTheBannerForPathsItDoesNotServe) {
  ProcessLogCapture log;
  const std::string banner = "Welcome to ORVU!!!\r\n\r\n";
  EXPECT_EQ(Curl({"--http0.9", Url("/va/other.cgi")}), banner);
  EXPECT_EQ(Curl({"--http0.9", Url("/nothing")}), banner);
  EXPECT_EQ(Curl({"--http0.9", Url("/none/x.cgi")}), banner);
  EXPECT_EQ(RawExchange(port_, "GARBAGE\r\n\r\n"), banner);
  EXPECT_EQ(RawExchange(port_, "GET /va/nohandler.cgi HTTP/1.1\r\n\r\n"), "");
  std::string text = log.Text();
  EXPECT_NE(text.find("ERROR - Not found 'other.cgi' cgi (va)"), std::string::npos) << text;
  EXPECT_NE(text.find("ERROR - Not found 'none' category"), std::string::npos) << text;
  EXPECT_EQ(text.find("nothing"), std::string::npos) << text;
  EXPECT_EQ(recorder_.Snapshot().calls, 0);
}

TEST_F(HttpServerTest, TakesTheFirstForwardedAddressAndTheRealPort) {
  Curl({"-H", "X-Forwarded-For: 10.1.1.1, 10.1.1.2", Url("/va/cctv_list.cgi")});
  EXPECT_EQ(recorder_.Snapshot().address, "10.1.1.1");
  EXPECT_NE(recorder_.Snapshot().port, 0);
  EXPECT_NE(recorder_.Snapshot().port, port_);
}

TEST_F(HttpServerTest, ReadsSizedAndChunkedRequestBodies) {
  Curl({"--data-binary", "{\"a\":\"1\"}", Url("/va/cctv_list.cgi")});
  EXPECT_EQ(recorder_.Snapshot().body, "{\"a\":\"1\"}");
  Curl({"-H", "Transfer-Encoding: chunked", "--data-binary", "chunked body", Url("/va/cctv_list.cgi")});
  EXPECT_EQ(recorder_.Snapshot().body, "chunked body");
  EXPECT_EQ(recorder_.Snapshot().calls, 2);
}

TEST_F(HttpServerTest, RefusesOversizedBodiesAndDropsStalledOnes) {
  std::string reply = RawExchange(port_, "POST /va/cctv_list.cgi HTTP/1.1\r\nContent-Length: 999999999\r\n\r\nab");
  EXPECT_EQ(reply.substr(0, 34), "HTTP/1.1 413 Payload Too Large\r\nWW") << reply;
  server_.requestTimeoutSec = 1;
  auto start = Clock::now();
  EXPECT_EQ(RawExchange(port_, "POST /va/cctv_list.cgi HTTP/1.1\r\nContent-Length: 5\r\n\r\nab"), "");
  EXPECT_LT(ElapsedMs(start), 8000);
  EXPECT_EQ(RawExchange(port_, "GET /va/cctv_list.cgi HTTP/1.1\r\nHost: x"), "");  // header never ends
  EXPECT_EQ(recorder_.Snapshot().calls, 0);
}

TEST_F(HttpServerTest, HandlerMayKeepItsSocket) {
  recorder_.keep = 1;
  SOCKET s = sock::Connect("127.0.0.1", port_, 5000);
  std::string request = "GET /va/cctv_list.cgi HTTP/1.1\r\n\r\n";
  sock::SendAll(s, request.data(), static_cast<int>(request.size()), 5000);
  std::vector<char> header;
  int length = 0;
  ASSERT_GT(CMyHttp::RecvHeader(s, &header, &length, 10), 0);
  ASSERT_EQ(CMyHttp::RecvBody(s, &header, length, 10), 1);
  // The worker has gone back to idle; the connection is still open for the handler's owner.
  SOCKET kept;
  ASSERT_EQ(recorder_.Snapshot().kept.size(), 1u);
  kept = recorder_.Snapshot().kept[0];
  ASSERT_EQ(sock::SendAll(kept, "later", 5, 5000), 5);
  char buffer[8];
  EXPECT_EQ(sock::RecvAll(s, buffer, 5, 5000), 5);
  sock::Close(kept);
  sock::Close(s);
}

TEST_F(HttpServerTest, ProtectedCgiSendsTheExactChallenge) {
  std::string reply = RawExchange(port_, "GET /va/secure.cgi?x=1 HTTP/1.1\r\n\r\n");
  std::smatch m;
  std::regex shape(
      "HTTP/1\\.1 401 Unauthorized\r\n"
      "WWW-Authenticate: (Digest algorithm=SHA-256, realm=\"ZMS\", qop=\"auth\", nonce=\"([A-Za-z0-9+/=]{24})\", "
      "opaque=\"([0-9]{8})\")\r\n"
      "Content-Type: text/xml; charset=euc-kr\r\nContent-Length: ([0-9]+)\r\n\r\n"
      "(<\\?xml version=\"1\\.0\" encoding=\"EUC-KR\"\\?>\r\n<Result>\r\n\t<Code>401</Code>\r\n"
      "\t<Comment>Unauthorized</Comment>\r\n\t<WWW-Authenticate>([^<]*)</WWW-Authenticate>\r\n</Result>)");
  ASSERT_TRUE(std::regex_match(reply, m, shape)) << reply;
  EXPECT_EQ(std::stoul(m[4].str()), m[5].str().size());
  EXPECT_EQ(m[6].str(), m[1].str());
  std::string decoded;
  ASSERT_EQ(Base64Decode(m[2].str(), &decoded), 18);
  EXPECT_TRUE(std::regex_match(decoded, std::regex("[ 0-9]{10}[0-9]{8}"))) << decoded;
  EXPECT_EQ(decoded.substr(10), m[3].str());
  EXPECT_EQ(recorder_.Snapshot().calls, 0);
}

TEST_F(HttpServerTest, CurlDigestLogsInAndAWrongPasswordIsRefused) {
  std::string reply = Curl({"--digest", "-u", "user:pw", Url("/va/secure.cgi?x=1")});
  EXPECT_NE(reply.find("<Code>200</Code>"), std::string::npos) << reply;
  EXPECT_EQ(recorder_.Snapshot().query, "x=1&id=user&password=pw");
  EXPECT_EQ(recorder_.Snapshot().calls, 1);

  reply = Curl({"--digest", "-u", "user:wrong", Url("/va/secure.cgi")});
  EXPECT_NE(reply.find("<Code>401</Code>"), std::string::npos) << reply;
  reply = Curl({"--digest", "-u", "nobody:pw", Url("/va/secure.cgi")});
  EXPECT_NE(reply.find("<Code>401</Code>"), std::string::npos) << reply;
  EXPECT_EQ(recorder_.Snapshot().calls, 1);

  // Credentials in the query are the handler's to check: no Digest exchange.
  Curl({Url("/va/secure.cgi?id=a&password=b")});
  EXPECT_EQ(recorder_.Snapshot().query, "id=a&password=b");
  EXPECT_EQ(recorder_.Snapshot().calls, 2);

  // A POST's JSON body gets the credentials; a body that is no JSON stays as it is.
  Curl({"--digest", "-u", "user:pw", "--data-binary", "{\"event\":\"7\",\"id\":\"x\"}", Url("/va/secure.cgi")});
  EXPECT_EQ(recorder_.Snapshot().body, "{\"event\":\"7\",\"id\":\"user\",\"password\":\"pw\"}");
  Curl({"--digest", "-u", "user:pw", "--data-binary", "plain", Url("/va/secure.cgi")});
  EXPECT_EQ(recorder_.Snapshot().body, "plain");
  EXPECT_EQ(recorder_.Snapshot().calls, 4);
}

// The nonce and opaque of a challenge reply, empty when it holds none.
void ReadChallenge(const std::string& reply, std::string* nonce, std::string* opaque) {
  std::smatch m;
  if (std::regex_search(reply, m, std::regex("nonce=\"([^\"]*)\", opaque=\"([^\"]*)\""))) {
    *nonce = m[1].str();
    *opaque = m[2].str();
  }
}

// A SHA-256 Digest Authorization line answering `nonce` for `uri`.
std::string DigestLine(const std::string& user, const std::string& password, const std::string& nonce,
                       const std::string& uri, const std::string& nc) {
  std::string ha1 = DigestCalcHA1Sha256("SHA-256", user, "ZMS", password, nonce, "c0ffee");
  std::string response = DigestCalcResponseSha256(ha1, nonce, nc, "c0ffee", "auth", "GET", uri, "");
  return "Authorization: Digest username=\"" + user + "\", realm=\"ZMS\", nonce=\"" + nonce + "\", uri=\"" + uri +
         "\", algorithm=SHA-256, response=\"" + response + "\", qop=auth, nc=" + nc + ", cnonce=\"c0ffee\"\r\n";
}

TEST_F(HttpServerTest, DigestAcceptsOnlyIssuedFreshNoncesGrowingCountsAndTheRealTarget) {
  std::string nonce, opaque;
  ReadChallenge(RawExchange(port_, "GET /va/secure.cgi HTTP/1.1\r\n\r\n"), &nonce, &opaque);
  ASSERT_EQ(nonce.size(), 24u);
  std::string forged = Base64EncodeText(StrFormat("%10d%08d", static_cast<int>(time(nullptr)), 1234567));
  struct Case {
    const char* what;
    std::string path, line;
    bool admitted;
  } cases[] = {
      {"first answer", "/va/secure.cgi?x=1", DigestLine("user", "pw", nonce, "/va/secure.cgi?x=1", "00000001"), true},
      {"the same header again", "/va/secure.cgi?x=1", DigestLine("user", "pw", nonce, "/va/secure.cgi?x=1", "00000001"),
       false},
      {"next count", "/va/secure.cgi?x=1", DigestLine("user", "pw", nonce, "/va/secure.cgi?x=1", "00000002"), true},
      {"a count that went back", "/va/secure.cgi?x=1",
       DigestLine("user", "pw", nonce, "/va/secure.cgi?x=1", "00000001"), false},
      {"uri of another target", "/va/secure.cgi?x=2",
       DigestLine("user", "pw", nonce, "/va/secure.cgi?x=1", "00000003"), false},
      {"a nonce never issued", "/va/secure.cgi", DigestLine("user", "pw", forged, "/va/secure.cgi", "00000001"), false},
      {"wrong password", "/va/secure.cgi", DigestLine("user", "px", nonce, "/va/secure.cgi", "00000004"), false},
      {"unknown user, empty password", "/va/secure.cgi", DigestLine("nobody", "", nonce, "/va/secure.cgi", "00000005"),
       false},
      {"known user whose password is empty", "/va/secure.cgi",
       DigestLine("blank", "", nonce, "/va/secure.cgi", "00000006"), true},
      {"wrong answers used no count", "/va/secure.cgi", DigestLine("user", "pw", nonce, "/va/secure.cgi", "00000007"),
       true},
  };
  int admitted = 0;
  for (const Case& c : cases) {
    std::string reply = RawExchange(port_, "GET " + c.path + " HTTP/1.1\r\n" + c.line + "\r\n");
    EXPECT_EQ(reply.substr(0, 15), c.admitted ? "HTTP/1.1 200 OK" : "HTTP/1.1 401 Un") << c.what << "\n" << reply;
    admitted += c.admitted;
  }
  EXPECT_EQ(recorder_.Snapshot().calls, admitted);

  // A nonce older than its lifetime is refused.
  server_.nonceLifetimeSec = 1;
  ReadChallenge(RawExchange(port_, "GET /va/secure.cgi HTTP/1.1\r\n\r\n"), &nonce, &opaque);
  std::this_thread::sleep_for(std::chrono::milliseconds(2200));
  std::string reply = RawExchange(
      port_, "GET /va/secure.cgi HTTP/1.1\r\n" + DigestLine("user", "pw", nonce, "/va/secure.cgi", "00000001") + "\r\n");
  EXPECT_EQ(reply.substr(0, 15), "HTTP/1.1 401 Un") << reply;
  EXPECT_EQ(recorder_.Snapshot().calls, admitted);
}

TEST_F(HttpServerTest, QueryCredentialsSkipDigestOnlyForWholeParameterNames) {
  struct Case {
    const char* query;
    bool handlerChecks;
  } cases[] = {
      {"id=a&password=b", true},
      {"x=1&password=&id=a", true},
      {"hidden=1&passwordless=1", false},
      {"id=a&passwords=b", false},
      {"userid=a&password=b", false},
      {"id=a", false},
  };
  for (const Case& c : cases) {
    std::string reply = RawExchange(port_, std::string("GET /va/secure.cgi?") + c.query + " HTTP/1.1\r\n\r\n");
    EXPECT_EQ(reply.substr(0, 15), c.handlerChecks ? "HTTP/1.1 200 OK" : "HTTP/1.1 401 Un") << c.query;
  }
}

TEST_F(HttpServerTest, OurOwnDigestClientLogsIn) {
  CMyHttp http;
  ASSERT_EQ(http.Connect("127.0.0.1", port_, 10, 0), 1);
  std::string reply;
  EXPECT_EQ(http.RequestUriUsingDigestAuth("/va/secure.cgi?k=v", "user", "pw", &reply, 10), 1);
  EXPECT_NE(reply.find("<Code>200</Code>"), std::string::npos) << reply;
  EXPECT_EQ(recorder_.Snapshot().query, "k=v&id=user&password=pw");
}

// Opens `count` connections whose header has arrived and whose announced body
// never comes: each holds a worker in its body read.
std::vector<SOCKET> HoldWorkersInBodyReads(unsigned short port, int count) {
  const std::string header = "POST /va/cctv_list.cgi HTTP/1.1\r\nContent-Length: 5\r\n\r\n";
  std::vector<SOCKET> held;
  for (int i = 0; i < count; ++i) {
    SOCKET s = sock::Connect("127.0.0.1", port, 5000);
    sock::SendAll(s, header.data(), static_cast<int>(header.size()), 5000);
    held.push_back(s);
  }
  return held;
}

bool WaitForWorkers(CHttpServer& server, int count, int timeoutMs) {
  auto start = Clock::now();
  while (server.GetWorkerCount() < count && ElapsedMs(start) < timeoutMs) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return server.GetWorkerCount() >= count;
}

TEST_F(HttpServerTest, GrowsWorkersTenAtATimeAndStopsWithReadersBlocked) {
  EXPECT_EQ(server_.GetWorkerCount(), 10);
  std::vector<SOCKET> held = HoldWorkersInBodyReads(port_, 11);
  EXPECT_TRUE(WaitForWorkers(server_, 20, 60000));
  EXPECT_EQ(server_.GetWorkerCount(), 20);
  auto start = Clock::now();
  server_.StopServer();  // the workers sit in 60 s body reads
  EXPECT_LT(ElapsedMs(start), 10000);
  EXPECT_EQ(server_.GetWorkerCount(), 0);
  EXPECT_FALSE(server_.IsRunning());
  for (SOCKET s : held) {
    char c;
    EXPECT_EQ(sock::Recv(s, &c, 1, 0, 5000), -1);  // closed by the server
    sock::Close(s);
  }
}

TEST_F(HttpServerTest, CapsWorkersAndQueuesTheExcess) {
  std::vector<SOCKET> held = HoldWorkersInBodyReads(port_, CHttpServer::kMaxWorkers + 5);
  EXPECT_TRUE(WaitForWorkers(server_, CHttpServer::kMaxWorkers, 120000));  // thread starts are slow under TSan
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(server_.GetWorkerCount(), CHttpServer::kMaxWorkers);
  // A request that has to wait in the queue is served once the held clients leave.
  std::thread client([this] {
    std::string reply = RawExchange(port_, "GET /va/cctv_list.cgi?q=late HTTP/1.1\r\n\r\n", 60000);
    EXPECT_NE(reply.find("<Query>q=late</Query>"), std::string::npos) << reply;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  for (SOCKET s : held) sock::Close(s);
  client.join();
  EXPECT_EQ(recorder_.Snapshot().query, "q=late");
}

TEST_F(HttpServerTest, IdleAndDrippingConnectionsHoldNoWorkerAndTimeOut) {
  server_.requestTimeoutSec = 3;
  std::vector<SOCKET> idle;
  for (int i = 0; i < 300; ++i) idle.push_back(sock::Connect("127.0.0.1", port_, 5000));  // never send
  std::vector<SOCKET> dripping;
  for (int i = 0; i < 50; ++i) {
    SOCKET s = sock::Connect("127.0.0.1", port_, 5000);
    sock::SendAll(s, "GET /va/cctv_list.cgi HTTP/1.1\r\nX-a: ", 37, 5000);  // the header never ends
    dripping.push_back(s);
  }
  for (SOCKET s : dripping) sock::SendAll(s, "b", 1, 5000);
  // Well-formed requests are served at once by the first ten workers.
  for (int i = 0; i < 5; ++i) {
    std::string reply = Curl({Url("/va/cctv_list.cgi?n=" + std::to_string(i))});
    EXPECT_NE(reply.find("<Code>200</Code>"), std::string::npos) << reply;
  }
  EXPECT_EQ(server_.GetWorkerCount(), 10);
  EXPECT_EQ(recorder_.Snapshot().calls, 5);
  // Past the header deadline the server closes them without a reply.
  for (std::vector<SOCKET>* group : {&idle, &dripping}) {
    for (SOCKET s : *group) {
      char buffer[64];
      EXPECT_EQ(sock::Recv(s, buffer, sizeof(buffer), 0, 20000), -1);
      sock::Close(s);
    }
  }
  EXPECT_EQ(recorder_.Snapshot().calls, 5);
}

TEST_F(HttpServerTest, RefusesAmbiguousFramingWith400) {
  ProcessLogCapture log;
  const char* refused[] = {
      "POST /va/cctv_list.cgi HTTP/1.1\r\nContent-Length : 5\r\n\r\nhello",
      "POST /va/cctv_list.cgi HTTP/1.1\r\nHost\t: x\r\n\r\n",
      "POST /va/cctv_list.cgi HTTP/1.1\r\nContent-Length: 5\r\nContent-Length: 6\r\n\r\nhello!",
      "POST /va/cctv_list.cgi HTTP/1.1\r\nContent-Length: 5, 6\r\n\r\nhello!",
      "POST /va/cctv_list.cgi HTTP/1.1\r\nContent-Length: 5\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n",
      "POST /va/cctv_list.cgi HTTP/1.1\r\nTransfer-Encoding: chunked\r\nContent-Length: 5\r\n\r\nhello",
  };
  for (const char* request : refused) {
    std::string reply = RawExchange(port_, request);
    EXPECT_EQ(reply.substr(0, 26), "HTTP/1.1 400 Bad Request\r\n") << request;
    EXPECT_NE(reply.find("<Code>400</Code>"), std::string::npos) << reply;
  }
  EXPECT_EQ(recorder_.Snapshot().calls, 0);
  EXPECT_NE(log.Text().find("two different Content-Length values"), std::string::npos) << log.Text();
  // The same length twice, and blanks after the colon, are unambiguous.
  std::string reply =
      RawExchange(port_, "POST /va/cctv_list.cgi HTTP/1.1\r\nContent-Length:  5 \r\nContent-Length: 5\r\n\r\nhello");
  EXPECT_NE(reply.find("<Code>200</Code>"), std::string::npos) << reply;
  EXPECT_EQ(recorder_.Snapshot().body, "hello");
}

TEST_F(HttpServerTest, AnswersExpectContinueBeforeReadingTheBody) {
  SOCKET s = sock::Connect("127.0.0.1", port_, 5000);
  std::string header =
      "POST /va/cctv_list.cgi HTTP/1.1\r\nContent-Length: 5\r\nExpect: 100-continue\r\n\r\n";
  sock::SendAll(s, header.data(), static_cast<int>(header.size()), 5000);
  const std::string interim = "HTTP/1.1 100 Continue\r\n\r\n";
  char buffer[64] = {};
  ASSERT_EQ(sock::RecvAll(s, buffer, static_cast<int>(interim.size()), 10000), static_cast<int>(interim.size()));
  EXPECT_EQ(std::string(buffer, interim.size()), interim);
  sock::SendAll(s, "hello", 5, 5000);
  std::string reply;
  int n;
  while ((n = sock::Recv(s, buffer, sizeof(buffer), 0, 10000)) > 0) reply.append(buffer, n);
  sock::Close(s);
  EXPECT_NE(reply.find("<Code>200</Code>"), std::string::npos) << reply;
  EXPECT_EQ(recorder_.Snapshot().body, "hello");
  // A body that is too large is refused at once, without the interim reply.
  reply = RawExchange(port_,
                      "POST /va/cctv_list.cgi HTTP/1.1\r\nContent-Length: 99999999\r\nExpect: 100-continue\r\n\r\n");
  EXPECT_EQ(reply.substr(0, 25), "HTTP/1.1 413 Payload Too ") << reply;
}

TEST_F(HttpServerTest, CountsChunkedBodiesAgainstTheLimit) {
  ProcessLogCapture log;
  // One chunk announcing more than the limit is refused before its data.
  std::string reply = RawExchange(
      port_, "POST /va/cctv_list.cgi HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n1400000\r\nabc");
  EXPECT_EQ(reply.substr(0, 25), "HTTP/1.1 413 Payload Too ") << reply;
  // Chunks that pass the limit together are refused when the one crossing it is announced.
  SOCKET s = sock::Connect("127.0.0.1", port_, 5000);
  std::string text = "POST /va/cctv_list.cgi HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n";
  const std::string chunk = "100000\r\n" + std::string(0x100000, 'x') + "\r\n";
  for (int i = 0; i < 16; ++i) text += chunk;
  ASSERT_EQ(sock::SendAll(s, text.data(), static_cast<int>(text.size()), 30000), static_cast<int>(text.size()));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the server reads the sixteen chunks
  sock::SendAll(s, "1\r\n", 3, 5000);
  reply.clear();
  char buffer[4096];
  int n;
  while ((n = sock::Recv(s, buffer, sizeof(buffer), 0, 20000)) > 0) reply.append(buffer, n);
  sock::Close(s);
  EXPECT_EQ(reply.substr(0, 25), "HTTP/1.1 413 Payload Too ") << reply.substr(0, 200);
  EXPECT_EQ(recorder_.Snapshot().calls, 0);
  EXPECT_NE(log.Text().find("Chunked request body above the limit"), std::string::npos) << log.Text();
  // An empty chunked body is a complete, empty body.
  reply = RawExchange(port_, "POST /va/cctv_list.cgi HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n");
  EXPECT_NE(reply.find("<Code>200</Code>"), std::string::npos) << reply;
  EXPECT_EQ(recorder_.Snapshot().body, "");
  EXPECT_EQ(recorder_.Snapshot().calls, 1);
}

TEST_F(HttpServerTest, ServesConcurrentClients) {
  {
    std::lock_guard<std::mutex> hold(g_slowMutex);
    g_slowInFlight = 0;
  }
  std::vector<std::thread> clients;
  std::atomic<int> ok{0};
  for (int i = 0; i < 30; ++i) {
    clients.emplace_back([this, &ok] {
      std::string reply = RawExchange(port_, "GET /slow/wait.cgi HTTP/1.1\r\n\r\n");
      if (reply.find("<Code>200</Code>") != std::string::npos) ++ok;
    });
  }
  for (std::thread& t : clients) t.join();
  EXPECT_EQ(ok.load(), 30);
  EXPECT_GE(server_.GetWorkerCount(), 20);  // grown by ten when the eleventh arrived while ten were busy
}

TEST(HttpServerStart, FailsWhenThePortCannotBeOpened) {
  SOCKET taken = sock::Listen(0, htonl(INADDR_LOOPBACK));
  CHttpServer server;
  server.SetBindAddress(htonl(INADDR_LOOPBACK));
  EXPECT_EQ(server.StartServer(sock::GetLocalPort(taken), "busy", {}, 0, 0, nullptr), 0);
  EXPECT_FALSE(server.IsRunning());
  EXPECT_EQ(server.GetWorkerCount(), 0);
  sock::Close(taken);
  // And it can start afterwards on a free port, and stop again.
  EXPECT_EQ(server.StartServer(0, "free", {}, 0, 0, nullptr), 1);
  server.StopServer();
}

// ---------------------------------------------------------------- stopping

// Handlers that stay inside until the test releases them (at most 60 s), and
// handlers that write more than a client that never reads can take.
struct Gate {
  std::mutex mutex;
  std::condition_variable wake;
  int inside = 0;
  bool open = false;
};

int GatedHandler(SOCKET socket, const std::string&, unsigned short, const std::string&, const std::string&,
                 const std::string&, const std::string&, const std::string&, void* context) {
  auto* gate = static_cast<Gate*>(context);
  std::unique_lock<std::mutex> hold(gate->mutex);
  ++gate->inside;
  gate->wake.notify_all();
  gate->wake.wait_for(hold, std::chrono::seconds(60), [gate] { return gate->open; });
  --gate->inside;
  hold.unlock();
  CHttpServer::SendResponse(socket, "200 OK", "", CHttpReply(200).ToXml());
  return 0;
}

int FloodingHandler(SOCKET socket, const std::string&, unsigned short, const std::string&, const std::string&,
                    const std::string&, const std::string&, const std::string&, void* context) {
  static const std::string reply(32 * 1024 * 1024, 'x');  // more than the loopback buffers hold
  auto* gate = static_cast<Gate*>(context);
  {
    std::lock_guard<std::mutex> hold(gate->mutex);
    ++gate->inside;
  }
  gate->wake.notify_all();
  sock::SendAll(socket, reply.data(), static_cast<int>(reply.size()), 60000);  // the client never reads
  return 0;
}

class HttpServerStopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_.SetBindAddress(htonl(INADDR_LOOPBACK));
    ASSERT_EQ(server_.StartServer(0, "stop",
                                  {{"t", "gated.cgi", &GatedHandler, 0}, {"t", "flood.cgi", &FloodingHandler, 0}}, 0,
                                  0, &gate_),
              1);
  }
  void TearDown() override { Release(); }
  void Release() {
    {
      std::lock_guard<std::mutex> hold(gate_.mutex);
      gate_.open = true;
    }
    gate_.wake.notify_all();
  }
  // Opens `count` connections that each send a request for `path`; true once
  // that many handlers are inside.
  bool EnterHandlers(const std::string& path, int count) {
    std::string request = "GET " + path + " HTTP/1.1\r\n\r\n";
    for (int i = 0; i < count; ++i) {
      SOCKET s = sock::Connect("127.0.0.1", server_.GetPort(), 5000);
      if (s == INVALID_SOCKET) return false;
      sock::SendAll(s, request.data(), static_cast<int>(request.size()), 5000);
      clients_.push_back(s);
    }
    std::unique_lock<std::mutex> hold(gate_.mutex);
    return gate_.wake.wait_for(hold, std::chrono::seconds(60), [&] { return gate_.inside >= count; });
  }
  ~HttpServerStopTest() override {
    for (SOCKET s : clients_) sock::Close(s);
  }

  Gate gate_;
  std::vector<SOCKET> clients_;
  CHttpServer server_;  // last: its destructor joins workers that use gate_
};

// Idle workers and the accept thread end at once; a handler blocked writing to
// a client that does not read ends as its connection is shut down.
TEST_F(HttpServerStopTest, StopIsPromptForIdleWorkersAndForHandlersBlockedOnTheirConnection) {
  ASSERT_TRUE(EnterHandlers("/t/flood.cgi", 3));
  auto start = Clock::now();
  server_.StopServer();
  EXPECT_LT(ElapsedMs(start), 3000);
  EXPECT_EQ(server_.GetLingeringWorkerCount(), 0);
  EXPECT_EQ(server_.GetWorkerCount(), 0);
  EXPECT_FALSE(server_.IsRunning());
}

// Handlers that ignore the stop cost the wait once, not once per worker; their
// workers are joined when they return, and the server starts again meanwhile.
TEST_F(HttpServerStopTest, StuckHandlersCostOneBoundedWaitAndAreJoinedWhenTheyReturn) {
  ASSERT_TRUE(EnterHandlers("/t/gated.cgi", 6));
  ProcessLogCapture log;
  auto start = Clock::now();
  server_.StopServer(1);
  EXPECT_LT(ElapsedMs(start), 4000);  // 2 s a worker would be 12 s
  EXPECT_FALSE(server_.IsRunning());
  EXPECT_EQ(server_.GetLingeringWorkerCount(), 6);
  EXPECT_NE(log.Text().find("still in its handler"), std::string::npos);

  ASSERT_EQ(server_.StartServer(0, "again", {{"t", "gated.cgi", &GatedHandler, 0}}, 0, 0, &gate_), 1);
  Release();
  auto joined = Clock::now();
  while (server_.GetLingeringWorkerCount() > 0 && ElapsedMs(joined) < 30000) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(server_.GetLingeringWorkerCount(), 0);
  EXPECT_NE(RawExchange(server_.GetPort(), "GET /t/gated.cgi HTTP/1.1\r\n\r\n").find("<Code>200</Code>"),
            std::string::npos);
  start = Clock::now();
  server_.StopServer();
  EXPECT_LT(ElapsedMs(start), 3000);
}

// ---------------------------------------------------------------- Digest check

TEST(HttpServerDigest, ParsesAuthorizationByItsParameters) {
  CHttpServer::DIGESTINFO record;
  // cnonce before nonce, bare parameters last, nc in hexadecimal.
  ASSERT_TRUE(CHttpServer::ParseDigestAuthorization(
      "Digest username=\"user\", realm=\"ZMS\", cnonce=\"CN\", nonce=\"N\", uri=\"/a\", response=\"r\", "
      "qop=auth, nc=0000000a, algorithm=SHA-256",
      &record));
  EXPECT_EQ(record.nonce, "N");
  EXPECT_EQ(record.cnonce, "CN");
  EXPECT_EQ(record.nc, 10u);
  EXPECT_EQ(record.ncText, "0000000a");
  EXPECT_EQ(record.algorithm, "SHA-256");
  EXPECT_EQ(record.qop, "auth");

  const char* refused[] = {
      "Basic dXNlcjpwdw==",
      "Digest realm=\"ZMS\", nonce=\"N\", uri=\"/a\", response=\"r\"",  // no username
      "Digest username=\"u\", realm=\"ZMS\", nonce=\"N\", uri=\"/a\", response=\"r\", nc=zz",
      "Digest username=\"u\", realm=\"ZMS\", nonce=\"N\", uri=\"/a\", response=\"r",
  };
  for (const char* text : refused) {
    CHttpServer::DIGESTINFO r;
    EXPECT_FALSE(CHttpServer::ParseDigestAuthorization(text, &r)) << text;
  }
  CHttpServer::DIGESTINFO longUser;
  EXPECT_FALSE(CHttpServer::ParseDigestAuthorization(
      "Digest username=\"" + std::string(40, 'u') + "\", realm=\"ZMS\", nonce=\"N\", uri=\"/a\", response=\"r\"",
      &longUser));
  CHttpServer::DIGESTINFO defaults;
  ASSERT_TRUE(CHttpServer::ParseDigestAuthorization(
      "Digest username=\"u\", realm=\"ZMS\", nonce=\"N\", uri=\"/a\", response=\"r\"", &defaults));
  EXPECT_EQ(defaults.algorithm, "md5");
}

TEST(HttpServerDigest, VerifiesResponsesOfEveryKnownForm) {
  struct Case {
    std::string algorithm, qop, nc;
  } cases[] = {{"SHA-256", "auth", "0000000a"}, {"md5", "auth", "00000001"}, {"MD5", "", ""},
               {"SHA-256-sess", "auth", "00000002"}};
  for (const Case& c : cases) {
    CHttpServer::DIGESTINFO record;
    record.algorithm = c.algorithm;
    record.username = "user";
    record.realm = "ZMS";
    record.nonce = "NONCE";
    record.cnonce = "CNONCE";
    record.uri = "/va/x.cgi";
    record.qop = c.qop;
    record.ncText = c.nc;
    bool sha = IsSha256DigestAlgorithm(c.algorithm);
    std::string ha1 = sha ? DigestCalcHA1Sha256(c.algorithm, "user", "ZMS", "pw", "NONCE", "CNONCE")
                          : DigestCalcHA1(c.algorithm, "user", "ZMS", "pw", "NONCE", "CNONCE");
    record.response = sha ? DigestCalcResponseSha256(ha1, "NONCE", c.nc, "CNONCE", c.qop, "GET", "/va/x.cgi", "")
                          : DigestCalcResponse(ha1, "NONCE", c.nc, "CNONCE", c.qop, "GET", "/va/x.cgi", "");
    EXPECT_TRUE(CHttpServer::CheckDigestResponse(&record, "GET", "pw")) << c.algorithm;
    EXPECT_FALSE(CHttpServer::CheckDigestResponse(&record, "GET", "pw2")) << c.algorithm;
    EXPECT_FALSE(CHttpServer::CheckDigestResponse(&record, "POST", "pw")) << c.algorithm;
  }
  CHttpServer::DIGESTINFO authInt;
  authInt.qop = "auth-int";
  authInt.ncText = "00000001";
  authInt.cnonce = "c";
  EXPECT_FALSE(CHttpServer::CheckDigestResponse(&authInt, "GET", ""));
}

}  // namespace
