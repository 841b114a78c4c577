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
#include "net/DigestAuth.h"
#include "net/HttpReply.h"
#include "net/MyHttp.h"

namespace {

using Clock = std::chrono::steady_clock;

int ElapsedMs(Clock::time_point start) {
  return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

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

void PasswordCallback(int event, CHttpServer::AUTHEVENT* record) {
  if (event == 0 && *static_cast<const std::string*>(record->data) == "user") {
    *static_cast<std::string*>(record->value) = "pw";
  }
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

TEST_F(HttpServerTest, OurOwnDigestClientLogsIn) {
  CMyHttp http;
  ASSERT_EQ(http.Connect("127.0.0.1", port_, 10, 0), 1);
  std::string reply;
  EXPECT_EQ(http.RequestUriUsingDigestAuth("/va/secure.cgi?k=v", "user", "pw", &reply, 10), 1);
  EXPECT_NE(reply.find("<Code>200</Code>"), std::string::npos) << reply;
  EXPECT_EQ(recorder_.Snapshot().query, "k=v&id=user&password=pw");
}

TEST_F(HttpServerTest, GrowsWorkersTenAtATimeAndStopsWithReadersBlocked) {
  EXPECT_EQ(server_.GetWorkerCount(), 10);
  std::vector<SOCKET> idle;
  for (int i = 0; i < 11; ++i) idle.push_back(sock::Connect("127.0.0.1", port_, 5000));  // never send
  auto start = Clock::now();
  while (server_.GetWorkerCount() < 20 && ElapsedMs(start) < 10000) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(server_.GetWorkerCount(), 20);
  start = Clock::now();
  server_.StopServer();  // the workers sit in 60 s header reads
  EXPECT_LT(ElapsedMs(start), 10000);
  EXPECT_EQ(server_.GetWorkerCount(), 0);
  EXPECT_FALSE(server_.IsRunning());
  for (SOCKET s : idle) {
    char c;
    EXPECT_EQ(sock::Recv(s, &c, 1, 0, 5000), -1);  // closed by the server
    sock::Close(s);
  }
}

TEST_F(HttpServerTest, CapsWorkersAndQueuesTheExcess) {
  std::vector<SOCKET> idle;
  for (int i = 0; i < CHttpServer::kMaxWorkers + 5; ++i) idle.push_back(sock::Connect("127.0.0.1", port_, 5000));
  auto start = Clock::now();
  while (server_.GetWorkerCount() < CHttpServer::kMaxWorkers && ElapsedMs(start) < 20000) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(server_.GetWorkerCount(), CHttpServer::kMaxWorkers);
  // A request that has to wait in the queue is served once idle clients leave.
  std::thread client([this] {
    std::string reply = RawExchange(port_, "GET /va/cctv_list.cgi?q=late HTTP/1.1\r\n\r\n", 30000);
    EXPECT_NE(reply.find("<Query>q=late</Query>"), std::string::npos) << reply;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  for (SOCKET s : idle) sock::Close(s);
  client.join();
  EXPECT_EQ(recorder_.Snapshot().query, "q=late");
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
