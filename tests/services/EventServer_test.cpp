// The event server and its pages against real peers: curl as the client (the
// exact bytes of each reply), raw sockets for pipelining, and the test
// MariaDB holding the user, setting, camera, analysis-device and event tables.
#include "services/EventServer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "AIPublisherFixture.h"
#include "net/NetPeers.h"
#include "ServiceFixture.h"
#include "database/DataStore.h"
#include "foundation/Aria.h"
#include "foundation/Digest.h"
#include "foundation/ProcessLogCapture.h"
#include "services/AIEventPublisher.h"
#include "services/EventApiPages.h"
#include "support/InstallationDatabaseTest.h"

namespace {

// Sends `request` on a fresh connection and returns every byte until the server closes it.
std::string RawExchange(unsigned short port, const std::string& request) {
  int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval timeout{30, 0};
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  std::string reply;
  if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      send(s, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
    char buffer[4096];
    ssize_t n;
    while ((n = recv(s, buffer, sizeof buffer, 0)) > 0) reply.append(buffer, static_cast<size_t>(n));
  }
  close(s);
  return reply;
}

std::string Sha(const std::string& text) { return Sha256Hex(text); }
std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return text;
}

const char kEmptyBody[] = "{\r\n}";
const char kJsonHead[] = "HTTP/1.1 200 OK\r\nContent-Type: application/json; charset=utf-8\r\nContent-Length: ";
const char kRefused[] = "HTTP/1.1 401 Unauthorized\r\n\r\n";

std::string EventJsonReply(const std::string& body) {
  return kJsonHead + std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace

class EventServerTest : public InstallationDatabaseTest {
 protected:
  EventServerTest() : InstallationDatabaseTest("evsrv") {}

  void SetUp() override {
    InstallationDatabaseTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    store_ = std::make_shared<CDataStore>(service_.get());
  }
  void TearDown() override {
    if (server_) server_->Shutdown();
    server_.reset();
    store_.reset();
    InstallationDatabaseTest::TearDown();
  }

  void Sql(const std::string& statement) {
    std::string error;
    ASSERT_TRUE(RunSqlScript(db_, name_, statement, &error)) << error;
  }
  // Starts the server on a free loopback port over the test store; the
  // PasswordEncrypted switch is read from the database as the application does.
  void StartServer(const CEventServerSettings& settings = {}) {
    int encrypted = CEventServer::ReadPasswordEncrypted(service_.get());
    std::shared_ptr<IDataStore> store = store_;
    server_ = std::make_unique<CEventServer>(0, [store, encrypted] {
      return CEventServerStore{store, encrypted != 0};
    });
    server_->GetHttpServer().SetBindAddress(htonl(INADDR_LOOPBACK));
    server_->Configure(settings);
    ASSERT_TRUE(server_->Start());
  }
  std::string Url(const std::string& pathAndQuery) const {
    return "http://127.0.0.1:" + std::to_string(server_->GetPort()) + pathAndQuery;
  }
  // curl -sS --raw: the header as received, then the body.
  std::string Curl(const std::string& pathAndQuery, std::vector<std::string> extra = {}) {
    std::vector<std::string> argv = {"curl", "-sS", "--raw", "--max-time", "30", "-D", dir_.Join("head"),
                                     "-o", dir_.Join("body")};
    argv.insert(argv.end(), extra.begin(), extra.end());
    argv.push_back(Url(pathAndQuery));
    WriteTestFile(dir_.Join("head"), "");
    WriteTestFile(dir_.Join("body"), "");
    RunCommand(argv, dir_.Join("curl.log"));
    return ReadTestFile(dir_.Join("head")) + ReadTestFile(dir_.Join("body"));
  }
  void AddUser(int no, const std::string& id, const std::string& password, int deleted = 0) {
    Sql("INSERT INTO TBL_User (no, id, password, IsDeleted) VALUES (" + std::to_string(no) + ", '" + id + "', '" +
        password + "', " + std::to_string(deleted) + ")");
  }
  void AddCamera(int no, const std::string& addr) {
    Sql("INSERT INTO TBL_Camera (no, name, addr) VALUES (" + std::to_string(no) + ", 'cam', '" + addr + "')");
  }
  void AddDevice(int id, int cameraNo) {
    Sql("INSERT INTO TBL_VasDevice (VasDeviceID, VasID, DeviceID) VALUES (" + std::to_string(id) + ", 1, " +
        std::to_string(cameraNo) + ")");
  }
  void AddEvent(int id, const std::string& name) {
    Sql("INSERT INTO TBL_VasIntelligentEvent (VasIntelligentEventID, Name) VALUES (" + std::to_string(id) + ", '" +
        name + "')");
  }
  // The query of a valid login of the user made by AddLoginUser.
  static std::string Login() { return "?id=op&password=" + Sha("pw"); }
  void AddLoginUser() { AddUser(50, "op", "pw"); }

  TempDir dir_;
  CLocalAppSettings appSettings_;  // the publishers' settings; outlives the server
  std::shared_ptr<CDataStore> store_;
  std::unique_ptr<CEventServer> server_;
};

// ---- logins: one table, with the password stored in clear and enciphered ----

class EventServerLoginTest : public EventServerTest, public ::testing::WithParamInterface<bool> {};

TEST_P(EventServerLoginTest, LoginCases) {
  bool encrypted = GetParam();
  auto stored = [&](const std::string& clear) { return encrypted ? AriaEncryptString(clear) : clear; };
  if (encrypted) Sql("INSERT INTO TBL_SystemSettings (Category, `Key`, Setting) VALUES (1, 'PasswordEncrypted', '1')");
  AddUser(1, "alice", stored("secret"));
  AddUser(2, "alice", stored("other"));  // same id, higher no: never tried
  AddUser(3, "%41", stored("pct"));
  AddUser(4, "a&b", stored("amp"));
  AddUser(5, "c=d", stored("eq"));
  AddUser(6, "gone", stored("old"), 1);  // soft-deleted
  AddUser(7, "twice", stored("deleted-one"), 1);
  AddUser(8, "twice", stored("live-one"));
  StartServer();

  const std::string invalid = "ERROR - Invalid input parameters for authentication\r\n";
  struct Case {
    std::string query;
    bool accepted;
    std::string logged;  // a log line expected ("" for none in particular)
  } cases[] = {
      {"?id=alice&password=" + Sha("secret"), true, ""},
      {"?id=alice&password=" + Upper(Sha("secret")), true, ""},
      {"?password=" + Sha("secret") + "&id=alice", true, ""},
      {"?id=alice&password=" + Sha("other"), false, "Unauthorized."},
      {"?id=alice&password=" + Sha("secret").substr(0, 63), false, "Unauthorized."},
      {"?id=alice&password=" + Sha("secret") + "0", false, "Unauthorized."},
      {"?id=nobody&password=" + Sha("secret"), false, "Unauthorized."},
      {"", false, invalid},
      {"?", false, invalid},
      {"?id=alice&password=", false, invalid},
      {"?id=alice&password", false, invalid},
      {"?id=&password=" + Sha("secret"), false, invalid},
      {"?ID=alice&PASSWORD=" + Sha("secret"), false, invalid},
      {"?id=nobody&id=alice&password=" + Sha("secret"), true, ""},
      {"?id=alice&id=nobody&password=" + Sha("secret"), false, ""},
      {"?id=%41&password=" + Sha("pct"), true, ""},
      {"?id=A&password=" + Sha("pct"), false, ""},
      {"?id=a&b&password=" + Sha("amp"), false, ""},
      {"?id=a%26b&password=" + Sha("amp"), false, ""},
      {"?id=c=d&password=" + Sha("eq"), false, ""},
      {"?id=gone&password=" + Sha("old"), false, ""},
      {"?id=twice&password=" + Sha("live-one"), true, ""},
      {"?===&id=alice&&password=" + Sha("secret") + "=ignored", true, ""},
  };
  for (const Case& c : cases) {
    ProcessLogCapture log;
    std::string reply = Curl("/va/event_list.cgi" + c.query);
    if (c.accepted) {
      EXPECT_EQ(reply, EventJsonReply(kEmptyBody)) << c.query;
    } else {
      EXPECT_EQ(reply, kRefused) << c.query;
      EXPECT_NE(log.Text().find("ERROR - [127.0.0.1] Unauthorized.\r\n"), std::string::npos) << c.query;
    }
    if (!c.logged.empty()) EXPECT_NE(log.Text().find(c.logged), std::string::npos) << c.query;
  }
}

INSTANTIATE_TEST_SUITE_P(PasswordForms, EventServerLoginTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Enciphered" : "Clear"; });

TEST_F(EventServerTest, EveryPageRefusesWithOnlyTheStatusLine) {
  StartServer();
  for (const char* page : {"cctv_list.cgi", "event_list.cgi", "event_status.cgi", "CCTV_LIST.CGI"}) {
    EXPECT_EQ(Curl(std::string("/va/") + page + "?id=x&password=y"), kRefused) << page;
  }
}

TEST_F(EventServerTest, UsersAreReadAgainOnceTheTableIsOlderThanItsMaximumAge) {
  AddLoginUser();
  StartServer();
  server_->SetUserTableMaxAge(0);
  EXPECT_EQ(Curl("/va/event_list.cgi?id=new&password=" + Sha("n")), kRefused);
  AddUser(60, "new", "n");
  EXPECT_EQ(Curl("/va/event_list.cgi?id=new&password=" + Sha("n")), EventJsonReply(kEmptyBody));
  Sql("UPDATE TBL_User SET password = 'changed' WHERE no = 60");
  EXPECT_EQ(Curl("/va/event_list.cgi?id=new&password=" + Sha("n")), kRefused);
  Sql("UPDATE TBL_User SET IsDeleted = 1 WHERE no = 50");
  EXPECT_EQ(Curl("/va/event_list.cgi" + Login()), kRefused);
}

TEST_F(EventServerTest, WithinItsMaximumAgeTheUserTableIsServedFromTheCache) {
  AddLoginUser();
  StartServer();
  server_->SetUserTableMaxAge(3600);
  EXPECT_EQ(Curl("/va/event_list.cgi" + Login()), EventJsonReply(kEmptyBody));
  AddUser(60, "new", "n");
  EXPECT_EQ(Curl("/va/event_list.cgi?id=new&password=" + Sha("n")), kRefused);
}

TEST_F(EventServerTest, DatabaseDownRefusesWithBothLinesNamingTheForwardedClient) {
  auto down = std::make_unique<CDBDataStore>();
  down->Initialize("127.0.0.1", ClosedLoopbackPort(), name_.c_str(), db_.user.c_str(), db_.password.c_str());
  auto downStore = std::make_shared<CDataStore>(down.get());
  server_ = std::make_unique<CEventServer>(0, [downStore] { return CEventServerStore{downStore, false}; });
  server_->GetHttpServer().SetBindAddress(htonl(INADDR_LOOPBACK));
  ASSERT_TRUE(server_->Start());
  ProcessLogCapture log;
  EXPECT_EQ(Curl("/va/cctv_list.cgi" + Login(), {"-H", "X-Forwarded-For: 203.0.113.9, 10.1.1.1"}), kRefused);
  std::string text = log.Text();
  EXPECT_NE(text.find("ERROR - The databsase connection has not established.."), std::string::npos) << text;
  EXPECT_NE(text.find("ERROR - [203.0.113.9] Unauthorized.\r\n"), std::string::npos) << text;
  server_->Shutdown();
  server_.reset();
}

// ---- pages ----

TEST_F(EventServerTest, CctvListIsByteExactInDeviceOrderRereadOnEveryRequest) {
  AddLoginUser();
  AddCamera(12, "10.0.0.7");
  AddCamera(13, "10.0.0.8");
  AddCamera(14, "10.0.0.9");  // no device: not listed
  AddDevice(1, 12);
  AddDevice(2, 13);
  AddDevice(3, 99);  // no camera: skipped
  StartServer();
  const std::string body = "{\r\n\t\"12\": \"10.0.0.7\",\r\n\t\"13\": \"10.0.0.8\"\r\n}";
  EXPECT_EQ(Curl("/va/cctv_list.cgi" + Login()), EventJsonReply(body));
  EXPECT_EQ(Curl("/VA/CCTV_List.CGI" + Login()), EventJsonReply(body));

  AddDevice(4, 12);  // a camera of two devices: twice under one key
  AddDevice(5, 14);
  EXPECT_EQ(Curl("/va/cctv_list.cgi" + Login()),
            EventJsonReply("{\r\n\t\"12\": \"10.0.0.7\",\r\n\t\"13\": \"10.0.0.8\",\r\n\t\"12\": \"10.0.0.7\",\r\n"
                      "\t\"14\": \"10.0.0.9\"\r\n}"));
}

TEST_F(EventServerTest, EmptyTablesAnswerFourBytes) {
  AddLoginUser();
  StartServer();
  server_->SetAIEventPublisher(std::make_shared<CAIEventPublisher>(appSettings_));
  for (const char* page : {"cctv_list.cgi", "event_list.cgi", "event_status.cgi"}) {
    std::string reply = Curl(std::string("/va/") + page + Login());
    EXPECT_EQ(reply, EventJsonReply(kEmptyBody)) << page;
    EXPECT_NE(reply.find("Content-Length: 4\r\n"), std::string::npos) << page;
  }
}

TEST_F(EventServerTest, PrefixesKoreanTextAndEscapesReachTheClientAsValidUtf8Json) {
  AddLoginUser();
  AddCamera(7, "rtsp://10.0.0.7/a\\\\b\"q");
  AddDevice(1, 7);
  AddEvent(3, "\xc4\xa7\xc0\xd4");  // "침입" in the database's EUC-KR
  AddEvent(1, "loiter/zone");
  CEventServerSettings settings;
  settings.cameraPrefix = "cam_";
  settings.eventPrefix = "ev\"";
  StartServer(settings);

  std::string events = "{\r\n\t\"ev\\\"1\": \"loiter/zone\",\r\n\t\"ev\\\"3\": \"침입\"\r\n}";
  EXPECT_EQ(Curl("/va/event_list.cgi" + Login()), EventJsonReply(events));
  EXPECT_EQ(Curl("/va/cctv_list.cgi" + Login()),
            EventJsonReply("{\r\n\t\"cam_7\": \"rtsp://10.0.0.7/a\\\\b\\\"q\"\r\n}"));
  for (const char* page : {"/va/event_list.cgi", "/va/cctv_list.cgi"}) {
    Curl(page + Login());
    std::vector<std::string> check = {"python3", "-c",
                                      "import json,sys; json.load(open(sys.argv[1], encoding='utf-8'))",
                                      dir_.Join("body")};
    EXPECT_EQ(RunCommand(check, dir_.Join("python.log")), 0) << page << ReadTestFile(dir_.Join("python.log"));
  }
}

TEST_F(EventServerTest, EventStatusWithoutPublisherAnswers500AndLogsWhy) {
  AddLoginUser();
  StartServer();
  ProcessLogCapture log;
  EXPECT_EQ(Curl("/va/event_status.cgi" + Login()), "HTTP/1.1 500 Internal Server Error\r\n\r\n");
  EXPECT_NE(log.Text().find("ERROR - [127.0.0.1] AIEventPublisher is not ready.\r\n"), std::string::npos);
}

TEST_F(EventServerTest, EventStatusSeesANewCameraOnlyAfterACctvList) {
  AddLoginUser();
  AddCamera(12, "a");
  AddDevice(1, 12);
  CEventServerSettings settings;
  settings.pollingStatusType = 2;
  StartServer(settings);
  server_->SetAIEventPublisher(std::make_shared<CAIEventPublisher>(appSettings_));
  EXPECT_EQ(Curl("/va/event_status.cgi" + Login()), EventJsonReply("{\r\n\t\"12\": 0\r\n}"));
  AddCamera(13, "b");
  AddDevice(2, 13);
  EXPECT_EQ(Curl("/va/event_status.cgi" + Login()), EventJsonReply("{\r\n\t\"12\": 0\r\n}"));
  EXPECT_EQ(Curl("/va/cctv_list.cgi" + Login()), EventJsonReply("{\r\n\t\"12\": \"a\",\r\n\t\"13\": \"b\"\r\n}"));
  EXPECT_EQ(Curl("/va/event_status.cgi" + Login()), EventJsonReply("{\r\n\t\"12\": 0,\r\n\t\"13\": 0\r\n}"));
  server_->Shutdown();
}

TEST_F(EventServerTest, OneReplyPerConnectionAndTheBannerForUnknownPaths) {
  AddLoginUser();
  StartServer();
  std::string request = "GET /va/event_list.cgi" + Login() + " HTTP/1.1\r\nHost: x\r\n\r\n";
  EXPECT_EQ(RawExchange(server_->GetPort(), request + request), EventJsonReply(kEmptyBody));
  EXPECT_EQ(RawExchange(server_->GetPort(), "GET /va/other.cgi HTTP/1.1\r\n\r\n"), "Welcome to ORVU!!!\r\n\r\n");
  EXPECT_EQ(Curl("/nowhere", {"--http0.9"}), "Welcome to ORVU!!!\r\n\r\n");
}

TEST_F(EventServerTest, AfterShutdownTheStatusTypeAndPublisherAreReset) {
  CEventServerSettings settings;
  settings.pollingStatusType = 2;
  StartServer(settings);
  server_->SetAIEventPublisher(std::make_shared<CAIEventPublisher>(appSettings_));
  server_->Shutdown();
  EXPECT_EQ(server_->GetSettings().pollingStatusType, 1);
  EXPECT_EQ(server_->GetAIEventPublisher(), nullptr);
  EXPECT_EQ(server_->GetPort(), 0);
  EXPECT_EQ(server_->FindCgiHandler("va", "cctv_list.cgi"), nullptr);
}

TEST(EventServerPort, APortThatCannotBeBoundIsLoggedAndReported) {
  CHttpServer holder;
  ASSERT_EQ(holder.StartServer(0, "holder", {}, 0, 0, nullptr), 1);
  CEventServer server(holder.GetPort(), [] { return CEventServerStore{}; });
  ProcessLogCapture log;
  EXPECT_FALSE(server.Start());
  EXPECT_NE(log.Text().find("port " + std::to_string(holder.GetPort())), std::string::npos) << log.Text();
  holder.StopServer();
}

// ---- the status forms over the publisher's maps ----

TEST(EventStatusForms, ActiveAndLastEventForms) {
  using Cameras = std::vector<CEventApiPages::AnalysedCamera>;
  Cameras cameras = {{1, 12, ""}, {2, 13, ""}, {3, 14, ""}, {4, 12, ""}};
  CActiveEventMap active = {
      {2, {{5, {100, 1}}, {2, {100, 1}}, {7, {90, 0}}}},
      {3, {{4, {90, 0}}}},
      {4, {{9, {100, 1}}}},
  };
  CLastEventMap last = {{2, 2}, {3, 4}, {4, 8}};
  struct Case {
    const char* name;
    std::string got, want;
  } cases[] = {
      {"active", CEventApiPages::BuildActiveEventsJson(cameras, active, "c"),
       "{\r\n\t\"c13\": [2,5],\r\n\t\"c12\": [9]\r\n}"},
      {"last", CEventApiPages::BuildLastEventJson(cameras, active, last, ""),
       "{\r\n\t\"12\": 0,\r\n\t\"13\": 2,\r\n\t\"14\": 0,\r\n\t\"12\": 0\r\n}"},
      {"no events, active", CEventApiPages::BuildActiveEventsJson(cameras, {}, ""), kEmptyBody},
      {"no events, last", CEventApiPages::BuildLastEventJson({{1, 12, ""}}, {}, {}, ""), "{\r\n\t\"12\": 0\r\n}"},
      {"no cameras", CEventApiPages::BuildLastEventJson({}, active, last, ""), kEmptyBody},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.want) << c.name;
}

// ---- against the running AI event publisher ----

// The publisher started over a scratch database with one analysed camera, the
// event server over a store of the same database, and results handed to the
// publisher as its metadata receiver hands them.
class EventServerLiveTest : public AIPublisherFixture {
 protected:
  void SetUp() override {
    AIPublisherFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    camera_ = AddCamera("Gate");
    device_ = AddDevice(1, 1, camera_);
    intrusion_ = AddEvent("Intrusion", 1);
    AddRegion(device_, 1, intrusion_);
    Sql("INSERT INTO TBL_User (no, id, password, IsDeleted) VALUES (50, 'op', 'pw', 0)");
    SetJobs({AIJob(3, "http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/x")});
    publisher_ = std::make_shared<CAIEventPublisher>(settings_);
    publisher_->Start();
    ASSERT_TRUE(WaitUntil([&] { return publisher_->GetMainPassCount() >= 1; }, 60));
    // The fixture's store outlives the server (TearDown shuts it down first).
    std::shared_ptr<IDataStore> store(std::shared_ptr<void>(), store_.get());
    server_ = std::make_unique<CEventServer>(0, [store] { return CEventServerStore{store, false}; });
    server_->GetHttpServer().SetBindAddress(htonl(INADDR_LOOPBACK));
    server_->SetAIEventPublisher(publisher_);
    ASSERT_TRUE(server_->Start());
  }
  void TearDown() override {
    if (server_) server_->Shutdown();
    server_.reset();
    if (publisher_) publisher_->Stop();
    publisher_.reset();
    AIPublisherFixture::TearDown();
  }
  std::string Get(const std::string& pathAndQuery) {
    return RawExchange(server_->GetPort(), "GET " + pathAndQuery + " HTTP/1.1\r\nHost: x\r\n\r\n");
  }
  static std::string Login() { return "?id=op&password=" + Sha256Hex("pw"); }

  int camera_ = 0, device_ = 0, intrusion_ = 0;
  std::shared_ptr<CAIEventPublisher> publisher_;
  std::unique_ptr<CEventServer> server_;
};

// A matching result shows at once and is gone after the dwell time (3 s) and
// the sweep that follows it (each second): under the active form the camera
// drops out, under the last-event form it reads 0.
TEST_F(EventServerLiveTest, AnInjectedEventShowsAtOnceAndGoesAfterTheDwellAndTheSweep) {
  const std::string key = "\"" + std::to_string(camera_) + "\": ";
  struct Case {
    int statusType;
    std::string active, expired;
  } cases[] = {
      {1, "{\r\n\t" + key + "[" + std::to_string(intrusion_) + "]\r\n}", kEmptyBody},
      {2, "{\r\n\t" + key + std::to_string(intrusion_) + "\r\n}", "{\r\n\t" + key + "0\r\n}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.statusType);
    CEventServerSettings settings;
    settings.pollingStatusType = c.statusType;
    server_->Configure(settings);
    EXPECT_EQ(Get("/va/event_status.cgi" + Login()), EventJsonReply(c.expired));

    auto injected = std::chrono::steady_clock::now();
    ASSERT_TRUE(CAIEventPublisher::VasMetaCallback(MakeResult(1, 1, "20261209093000000", {{1}}),
                                                   publisher_.get()));
    EXPECT_EQ(Get("/va/event_status.cgi" + Login()), EventJsonReply(c.active));
    std::string reply;
    while (std::chrono::steady_clock::now() - injected < std::chrono::seconds(30)) {
      reply = Get("/va/event_status.cgi" + Login());
      if (reply != EventJsonReply(c.active)) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - injected).count();
    EXPECT_EQ(reply, EventJsonReply(c.expired));
    // The match and the sweep read whole seconds and the sweep runs each
    // second, so an entry goes 2 to 4 s after its match (dwell 3 s) unloaded;
    // the upper bound leaves room for a loaded machine.
    EXPECT_GE(seconds, 2.0);
    EXPECT_LE(seconds, 12.0);
    RecordProperty("expired_after_ms_type" + std::to_string(c.statusType), static_cast<int>(seconds * 1000));
  }
}

// Shutdown while clients keep every page busy: it returns within its bound,
// every worker has ended, and each client got a whole reply or a closed
// connection, never part of one.
TEST_F(EventServerLiveTest, ShutdownUnderLoadEndsEveryWorkerInBoundedTime) {
  std::atomic<bool> stop{false};
  std::atomic<int> whole{0}, broken{0};
  const std::string pages[] = {"/va/cctv_list.cgi", "/va/event_list.cgi", "/va/event_status.cgi"};
  const unsigned short port = server_->GetPort();
  std::vector<std::thread> clients;
  for (int i = 0; i < 24; ++i) {
    clients.emplace_back([&, i] {
      const std::string request = "GET " + pages[i % 3] + Login() + " HTTP/1.1\r\nHost: x\r\n\r\n";
      while (!stop.load()) {
        std::string reply = RawExchange(port, request);
        if (reply.empty()) continue;  // refused or closed unanswered
        size_t head = reply.find("\r\n\r\n");
        size_t length = reply.find("Content-Length: ");
        bool ok = reply.rfind("HTTP/1.1 200 OK\r\n", 0) == 0 && head != std::string::npos &&
                  length != std::string::npos &&
                  reply.size() - head - 4 == std::stoul(reply.substr(length + 16));
        ++(ok ? whole : broken);
      }
    });
  }
  ASSERT_TRUE(WaitUntil([&] { return whole.load() >= 48; }, 60));
  auto start = std::chrono::steady_clock::now();
  server_->Shutdown();
  auto took = std::chrono::steady_clock::now() - start;
  stop = true;
  for (std::thread& client : clients) client.join();
  EXPECT_LT(took, std::chrono::seconds(CHttpServer::kStopWaitSec + 2));
  EXPECT_EQ(server_->GetHttpServer().GetWorkerCount(), 0);
  EXPECT_EQ(server_->GetHttpServer().GetLingeringWorkerCount(), 0);
  EXPECT_EQ(server_->GetPort(), 0);
  EXPECT_EQ(broken.load(), 0);
}
