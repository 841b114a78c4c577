// The metro event receiver against real peers: datagrams from a real UDP
// socket, python HTTP targets recording the raw requests, status files in a
// temporary program folder, and a hand-set clock for the duplicate window.
#include "services/VuzorMetroEventReceiver.h"

#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "ServiceFixture.h"
#include "foundation/ProcessLogCapture.h"
#include "foundation/XmlSerializer.h"

namespace {

constexpr int64_t kReceiverNow = 1796896800;  // 2026-12-10 10:00:00 UTC

std::string MetroDatagramOf(const std::string& json) {
  auto n = static_cast<uint32_t>(json.size());
  std::string bytes{static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                    static_cast<char>((n >> 16) & 0xFF), static_cast<char>(n >> 24)};
  return bytes + json;
}

std::string Event(int car, int type, const std::string& raised = "2026-12-10 10:00:00") {
  std::string json = "{\"versionNo\":\"1\",\"trainNo\":\"101\",\"carNo\":" + std::to_string(car) +
                     ",\"eventType\":" + std::to_string(type) + ",\"cameraNo\":5";
  if (!raised.empty()) json += ",\"DateTimeRaised\":\"" + raised + "\"";
  return json + ",\"camera\":[\"rtsp://a\",\"rtsp://b\"]}";
}

// Waits up to 20 s for `done`; true when it came.
template <class Done>
bool WaitFor(Done done) {
  for (int i = 0; i < 400; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

class MetroReceiverTest : public ServiceFixture {
 protected:
  void SetUp() override {
    ServiceFixture::SetUp();
    clock_ = std::make_shared<platform::ManualClock>(kReceiverNow * 1000000);
    port_ = FreeLoopbackPort();
    sender_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(sender_, 0);
  }
  void TearDown() override {
    receiver_.reset();
    close(sender_);
    ServiceFixture::TearDown();
  }

  static CVuzorMetroEventReceiverItem Job(int id, int port, const std::vector<std::string>& urls) {
    CVuzorMetroEventReceiverItem job;
    job.SetID(id);
    job.SetEnable(true);
    job.SetPort(port);
    std::vector<CHttpTargetSite> sites;
    for (const std::string& url : urls) {
      CHttpTargetSite site;
      site.SetTargetUrl(url);
      sites.push_back(site);
    }
    job.SetTargetSites(sites);
    return job;
  }
  void SetMetroJobs(const std::vector<CVuzorMetroEventReceiverItem>& jobs) {
    CVuzorMetroEventReceiverItems list;
    list.SetItems(jobs);
    ASSERT_TRUE(settings_.Option_SetVuzorMetroEventReceiverItems(list));
  }
  void StartReceiver() {
    receiver_ = std::make_unique<CVuzorMetroEventReceiver>(settings_, clock_);
    receiver_->Initialize();
    receiver_->Start();
    ASSERT_TRUE(receiver_->IsRunning());
  }
  void Send(const std::string& bytes) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port_);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(sendto(sender_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof(to)),
              static_cast<ssize_t>(bytes.size()));
  }
  // Sends `bytes` and waits until the receiver has accepted `accepted` events in all.
  bool SendAndWaitAccepted(const std::string& bytes, uint64_t accepted) {
    Send(bytes);
    return WaitFor([&] { return receiver_->GetAcceptedCount() >= accepted; });
  }

  std::shared_ptr<platform::ManualClock> clock_;
  unsigned short port_ = 0;
  int sender_ = -1;
  std::unique_ptr<CVuzorMetroEventReceiver> receiver_;
};

const char kIssueBody[] =
    "<?xml version=\"1.0\"?>\r\n<DMEventData>\r\n\t<versionNo>1</versionNo>\r\n\t<trainNo>101</trainNo>\r\n"
    "\t<carNo>3</carNo>\r\n\t<eventType>7</eventType>\r\n\t<DateTimeRaised>2026-12-10 "
    "10:00:00</DateTimeRaised>\r\n\t<cameraNo>5</cameraNo>\r\n\t<camera>\r\n\t\t<url>rtsp://a</url>\r\n"
    "\t\t<url>rtsp://b</url>\r\n\t</camera>\r\n</DMEventData>\r\n";

TEST_F(MetroReceiverTest, AnEventReachesEverySiteOnceAsItsXmlAndIsRecordedInTheStatus) {
  StartTarget();
  target_.SetReply("a", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
  target_.SetReply("b", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
  SetMetroJobs({Job(3, port_, {TargetUrl("/r/a?site=1"), TargetUrl("/r/b")})});
  StartReceiver();
  ProcessLogCapture log;
  // A rejected datagram first: nothing posted, no status change.
  Send(MetroDatagramOf(Event(3, 0)));
  ASSERT_TRUE(SendAndWaitAccepted(MetroDatagramOf(Event(3, 7)), 1));
  ASSERT_TRUE(WaitFor([&] { return target_.RequestCount() >= 2; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(target_.RequestCount(), 2);
  std::string first = target_.Request(1), second = target_.Request(2);
  if (first.find("/r/b") != std::string::npos) std::swap(first, second);
  EXPECT_EQ(first.substr(0, first.find("\r\n")), "POST /r/a?site=1 HTTP/1.1");
  EXPECT_EQ(second.substr(0, second.find("\r\n")), "POST /r/b HTTP/1.1");
  for (const std::string& request : {first, second}) {
    EXPECT_EQ(BodyOf(request), std::string(kIssueBody) + "\r\n\r\n");
    EXPECT_NE(request.find("Content-Length: " + std::to_string(sizeof(kIssueBody) - 1 + 4) + "\r\n"),
              std::string::npos)
        << request;
  }
  EXPECT_NE(log.Text().find("INFO - [127.0.0.1] Invalid Event Type. (101 / 3 / 0)"), std::string::npos);
  EXPECT_NE(log.Text().find("INFO - [127.0.0.1] Event Received. (101 / 3 / 7)"), std::string::npos);

  CVuzorMetroEventReceiverItemStatus status = receiver_->GetItemStatus(3);
  EXPECT_EQ(status.GetLastAddress(), "127.0.0.1");
  EXPECT_EQ(status.GetLastDateTimeReceived(), "2026-12-10 10:00:00");
  ASSERT_EQ(status.GetHistories().size(), 1u);
  EXPECT_EQ(status.GetHistories()[0].GetTrainSetNumber(), "101");
  EXPECT_EQ(status.GetHistories()[0].GetEventType(), 7);
  EXPECT_EQ(status.GetLastErrorCode(), 0);

  receiver_->Stop();
  CVuzorMetroEventReceiverItemStatus saved;
  ASSERT_TRUE(CXmlSerializer::FromXmlFile(DataFile("DMEventReceiver_" + std::to_string(port_) + "_Status_3.dat"),
                                          &saved));
  EXPECT_EQ(saved.GetLastAddress(), "127.0.0.1");
  EXPECT_EQ(saved.GetHistories().size(), 1u);
}

TEST_F(MetroReceiverTest, AnEventWithoutRaisedTimeCarriesItsReceiveTime) {
  StartTarget();
  target_.SetReply("a", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
  SetMetroJobs({Job(1, port_, {TargetUrl("/r/a")})});
  StartReceiver();
  clock_->SetNowMicros((kReceiverNow + 65) * 1000000);
  ASSERT_TRUE(SendAndWaitAccepted(MetroDatagramOf(Event(4, 2, "")), 1));
  ASSERT_TRUE(WaitFor([&] { return target_.RequestCount() >= 1; }));
  EXPECT_NE(target_.Request(1).find("<DateTimeRaised>2026-12-10 10:01:05</DateTimeRaised>"), std::string::npos);
  EXPECT_EQ(receiver_->GetItemStatus(1).GetHistories().at(0).GetDateTimeReceived(), "2026-12-10 10:01:05");
}

TEST_F(MetroReceiverTest, RepeatsWithinTheSlidingWindowAreSkipped) {
  struct Step {
    int advanceSeconds;
    int type;
    bool accepted;
  };
  struct Case {
    const char* name;
    const char* window;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"window 5, every 3 s, then 6 s later",
       "5",
       {{0, 7, true}, {3, 7, false}, {3, 7, false}, {3, 7, false}, {6, 7, true}, {1, 8, true}, {1, 7, true}}},
      {"window 0", "0", {{0, 7, true}, {0, 7, true}, {1, 7, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings_.SetValue(CLocalAppSettings::kJobCategory, "DMEventThresholdSeconds", c.window);
    SetMetroJobs({Job(1, port_, {"http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/"})});
    clock_->SetNowMicros(kReceiverNow * 1000000);
    StartReceiver();
    ProcessLogCapture log;
    uint64_t accepted = 0;
    int skipped = 0;
    for (const Step& step : c.steps) {
      clock_->AdvanceMillis(step.advanceSeconds * 1000);
      Send(MetroDatagramOf(Event(3, step.type)));
      if (step.accepted) {
        ++accepted;
      } else {
        ++skipped;
      }
      // Each datagram is handled before the next is sent: wait for its line.
      ASSERT_TRUE(WaitFor([&] {
        std::string text = log.Text();
        size_t lines = 0;
        for (size_t at = text.find("Event Skipped"); at != std::string::npos; at = text.find("Event Skipped", at + 1))
          ++lines;
        return receiver_->GetAcceptedCount() == accepted && lines == static_cast<size_t>(skipped);
      }));
    }
    EXPECT_NE(skipped == 0, log.Text().find("INFO - [127.0.0.1] Event Skipped. (101 / 3 / 7)") != std::string::npos);
    receiver_.reset();
  }
}

TEST_F(MetroReceiverTest, TheLowestIdJobGivesPortSitesAndStatus) {
  StartTarget();
  target_.SetReply("a", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
  unsigned short otherPort = FreeLoopbackPort();
  SetMetroJobs({Job(7, otherPort, {TargetUrl("/r/other")}), Job(3, port_, {TargetUrl("/r/a")})});
  // A stale status file of a job that no longer exists is removed.
  WriteTestFile(DataFile("DMEventReceiver_10002_Status_9.dat"), "<?xml version=\"1.0\"?>\r\n");
  StartReceiver();
  EXPECT_EQ(receiver_->GetBoundPort(), port_);
  ASSERT_TRUE(SendAndWaitAccepted(MetroDatagramOf(Event(1, 1)), 1));
  ASSERT_TRUE(WaitFor([&] { return target_.RequestCount() >= 1; }));
  EXPECT_NE(target_.Request(1).find("POST /r/a HTTP/1.1"), std::string::npos);
  EXPECT_EQ(receiver_->GetItemStatus(3).GetHistories().size(), 1u);
  EXPECT_TRUE(receiver_->GetItemStatus(7).GetHistories().empty());
  receiver_->Stop();
  EXPECT_GE(GetFileLength(DataFile("DMEventReceiver_" + std::to_string(otherPort) + "_Status_7.dat")), 0);
  EXPECT_LT(GetFileLength(DataFile("DMEventReceiver_10002_Status_9.dat")), 0);
}

TEST_F(MetroReceiverTest, AStoredHistoryOverTheLimitIsTrimmedByTheNextEvent) {
  CVuzorMetroEventReceiverItemStatus stored;
  stored.SetID(2);
  std::vector<CVuzorMetroEventHistory> histories(150);
  for (size_t i = 0; i < histories.size(); ++i) histories[i].SetTrainSetNumber("old" + std::to_string(i));
  stored.SetHistories(histories);
  std::string path = DataFile("DMEventReceiver_" + std::to_string(port_) + "_Status_2.dat");
  CreateDirectoryPath(GetDataFolderPath());
  ASSERT_FALSE(CXmlSerializer::ToXmlFile(path, stored).empty());
  SetMetroJobs({Job(2, port_, {"http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/"})});
  StartReceiver();
  EXPECT_EQ(receiver_->GetItemStatus(2).GetHistories().size(), 150u);
  ASSERT_TRUE(SendAndWaitAccepted(MetroDatagramOf(Event(1, 1)), 1));
  std::vector<CVuzorMetroEventHistory> now = receiver_->GetItemStatus(2).GetHistories();
  ASSERT_EQ(now.size(), 100u);
  EXPECT_EQ(now.front().GetTrainSetNumber(), "old51");
  EXPECT_EQ(now.back().GetTrainSetNumber(), "101");
}

TEST_F(MetroReceiverTest, TheLastRunSetsTheErrorCode) {
  StartTarget();
  target_.SetReply("ok", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
  struct Case {
    std::string url;
    int code;
  };
  const Case cases[] = {
      {"http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/x", 4},
      {TargetUrl("/not-found"), 5},
      {TargetUrl("/r/ok"), 0},
  };
  int type = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    SetMetroJobs({Job(1, port_, {c.url})});
    ProcessLogCapture log;
    StartReceiver();
    receiver_->SetAllStatuses(-1);
    Send(MetroDatagramOf(Event(1, type++)));
    ASSERT_TRUE(WaitFor([&] { return receiver_->GetItemStatus(1).GetLastErrorCode() == c.code; }));
    if (c.code == 4) {
      EXPECT_NE(log.Text().find("ERROR - Error raised when post uri (" + c.url + ")\r\n"), std::string::npos);
    }
    receiver_.reset();
  }
}

TEST_F(MetroReceiverTest, AnOversizedDatagramIsDroppedWholeAndTheNextIsForwarded) {
  SetMetroJobs({Job(1, port_, {"http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/"})});
  StartReceiver();
  ProcessLogCapture log;
  std::string big = MetroDatagramOf(Event(1, 1));
  big.resize(1100, ' ');
  Send(big);
  ASSERT_TRUE(SendAndWaitAccepted(MetroDatagramOf(Event(2, 2)), 1));
  EXPECT_EQ(receiver_->GetAcceptedCount(), 1u);
  EXPECT_NE(log.Text().find("ERROR - []Error raised while receive data. the error is " + std::to_string(EMSGSIZE)),
            std::string::npos);
  EXPECT_EQ(receiver_->GetItemStatus(1).GetHistories().at(0).GetCarNumber(), 2);
}

TEST_F(MetroReceiverTest, StopDuringABlockedReceiveIsPrompt) {
  SetMetroJobs({Job(1, port_, {"http://127.0.0.1:1/"})});
  StartReceiver();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the loop waits for a datagram
  auto begin = std::chrono::steady_clock::now();
  receiver_->Stop();
  auto took = std::chrono::steady_clock::now() - begin;
  // The loop looks at the running flag every 200 ms; the bound is generous for a loaded machine.
  EXPECT_LT(took, std::chrono::seconds(5));
  EXPECT_FALSE(receiver_->IsRunning());
  EXPECT_EQ(receiver_->GetBoundPort(), 0);
}

TEST_F(MetroReceiverTest, APortHeldElsewhereIsBoundOnceItIsFree) {
  int holder = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port_);
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  SetMetroJobs({Job(1, port_, {"http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/"})});
  ProcessLogCapture log;
  StartReceiver();
  EXPECT_EQ(receiver_->GetBoundPort(), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  std::string text = log.Text();
  std::string line = "ERROR - Error raised when create '" + std::to_string(port_) + "' udp for event receive.";
  size_t first = text.find(line);
  ASSERT_NE(first, std::string::npos) << text;
  EXPECT_EQ(text.find(line, first + 1), std::string::npos) << "logged once a minute, not per attempt";
  close(holder);
  ASSERT_TRUE(WaitFor([&] { return receiver_->GetBoundPort() == port_; }));
  ASSERT_TRUE(SendAndWaitAccepted(MetroDatagramOf(Event(1, 1)), 1));
}

TEST(MetroSiteTargetTest, SchemeChoosesTlsAndTheDefaultPort) {
  struct Case {
    const char* url;
    int port;
    int tls;
    const char* path;
  };
  const Case cases[] = {
      {"https://h/x", 443, 1, "/x"},
      {"HTTPS://h:8443/x", 8443, 1, "/x"},
      {"http://h:8080/a?b=1", 8080, 0, "/a?b=1"},
      {"http://h/a", 80, 0, "/a"},
  };
  for (const Case& c : cases) {
    CHttpTargetSite site;
    site.SetTargetUrl(c.url);
    CHttpPostTarget target = SiteTarget(site);
    EXPECT_EQ(target.endpoint.host, "h") << c.url;
    EXPECT_EQ(target.endpoint.port, c.port) << c.url;
    EXPECT_EQ(target.endpoint.tls, c.tls) << c.url;
    EXPECT_EQ(target.requestPath, c.path) << c.url;
  }
}

}  // namespace

namespace {

std::string EventOf(const std::string& train, int car, int type) {
  return "{\"trainNo\":\"" + train + "\",\"carNo\":" + std::to_string(car) + ",\"eventType\":" + std::to_string(type) +
         "}";
}

// A TCP port that takes connections (the kernel completes them into the
// backlog) and never answers: every post to it waits for its time-out.
class SilentListener {
 public:
  SilentListener() {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(fd_, 64) != 0 ||
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      return;
    }
    port_ = ntohs(address.sin_port);
  }
  ~SilentListener() { close(fd_); }
  unsigned short port() const { return port_; }

 private:
  int fd_ = -1;
  unsigned short port_ = 0;
};

}  // namespace

// Entries of the duplicate test live only as long as the window: a sender's
// distinct trains and cars cost memory for 5 s, not for the run, and an
// entry still inside the window keeps suppressing its repeat.
TEST_F(MetroReceiverTest, RememberedEventsOlderThanTheWindowAreDropped) {
  SetMetroJobs({Job(1, port_, {"http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/"})});
  StartReceiver();
  uint64_t accepted = 0;
  for (int car = 0; car < 50; ++car) Send(MetroDatagramOf(EventOf("T", car, 1)));
  accepted += 50;
  ASSERT_TRUE(WaitFor([&] { return receiver_->GetAcceptedCount() == accepted; }));
  EXPECT_EQ(receiver_->GetRememberedEventCount(), 50u);

  clock_->AdvanceMillis(5000);  // car 0 is exactly the window old: still within it
  ASSERT_TRUE(SendAndWaitAccepted(MetroDatagramOf(EventOf("U", 1, 1)), ++accepted));
  EXPECT_EQ(receiver_->GetRememberedEventCount(), 51u);
  ProcessLogCapture log;
  Send(MetroDatagramOf(EventOf("T", 0, 1)));
  ASSERT_TRUE(WaitFor([&] { return log.Text().find("Event Skipped. (T / 0 / 1)") != std::string::npos; }));

  clock_->AdvanceMillis(6000);  // every earlier entry, the refreshed repeat too, is now over 5 s old
  ASSERT_TRUE(SendAndWaitAccepted(MetroDatagramOf(EventOf("V", 1, 1)), ++accepted));
  EXPECT_EQ(receiver_->GetRememberedEventCount(), 1u);
}

// A site that takes connections and never answers: its queue stops at 1000
// bodies, emptied with the message naming the site, while the other site
// is served.
TEST_F(MetroReceiverTest, ASiteQueueIsCappedAtAThousandBodies) {
  SilentListener silent;
  ASSERT_NE(silent.port(), 0);
  settings_.SetValue(CLocalAppSettings::kJobCategory, "DMEventThresholdSeconds", "0");
  SetMetroJobs({Job(1, port_, {"http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/",
                               "http://127.0.0.1:" + std::to_string(silent.port()) + "/"})});
  StartReceiver();
  ProcessLogCapture log;
  // Every send run of the silent site waits for its reply, so once the
  // sender pool's workers are all waiting the site's queue only grows.
  const std::string full = "INFO - SendQ is full (1)\r\n";
  size_t largest = 0;
  uint64_t sent = 0;
  while (sent < 3000 && log.Text().find(full) == std::string::npos) {
    for (int n = 0; n < 100; ++n) Send(MetroDatagramOf(EventOf("T", static_cast<int>(sent++), 1)));
    // Paced, so the kernel's receive buffer never overflows on a loaded machine.
    ASSERT_TRUE(WaitFor([&] { return receiver_->GetAcceptedCount() == sent; }));
    largest = std::max(largest, receiver_->GetSiteQueueSize(1));
  }
  EXPECT_NE(log.Text().find(full), std::string::npos) << sent << " events sent";
  EXPECT_LE(largest, CVuzorMetroEventReceiver::kSiteQueueLimit);
  EXPECT_LT(receiver_->GetSiteQueueSize(1), CVuzorMetroEventReceiver::kSiteQueueLimit);
  EXPECT_EQ(log.Text().find("INFO - SendQ is full (0)\r\n"), std::string::npos);
}

// The status is written to its file while the service runs, not only at
// Stop: a crash loses at most one save period of history.
TEST_F(MetroReceiverTest, TheStatusIsSavedPeriodicallyWhileRunning) {
  SetMetroJobs({Job(4, port_, {"http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/"})});
  CEventServiceConfig config = kMetroEventReceiverConfig;
  config.statusSaveDelayMs = 200;
  receiver_ = std::make_unique<CVuzorMetroEventReceiver>(settings_, clock_, config);
  receiver_->Initialize();
  receiver_->Start();
  ASSERT_TRUE(receiver_->IsRunning());
  ASSERT_TRUE(SendAndWaitAccepted(MetroDatagramOf(EventOf("T", 1, 1)), 1));
  const std::string path = DataFile("DMEventReceiver_" + std::to_string(port_) + "_Status_4.dat");
  CVuzorMetroEventReceiverItemStatus saved;
  ASSERT_TRUE(WaitFor([&] { return CXmlSerializer::FromXmlFile(path, &saved) && saved.GetHistories().size() == 1; }));
  EXPECT_TRUE(receiver_->IsRunning());
  EXPECT_EQ(saved.GetLastAddress(), "127.0.0.1");
  EXPECT_EQ(saved.GetHistories()[0].GetTrainSetNumber(), "T");
}

// An https site (nginx with a self-signed certificate) is posted to over
// TLS: its TLS port answers a plain request with 400, which would show as 5.
TEST_F(MetroReceiverTest, AnHttpsSiteIsPostedToOverTls) {
  NginxPeer nginx;
  ASSERT_TRUE(nginx.Start());
  SetMetroJobs({Job(1, port_, {"https://127.0.0.1:" + std::to_string(nginx.tlsPort()) + "/echo"})});
  StartReceiver();
  receiver_->SetAllStatuses(-1);
  ASSERT_TRUE(SendAndWaitAccepted(MetroDatagramOf(Event(3, 7)), 1));
  ASSERT_TRUE(WaitFor([&] { return receiver_->GetItemStatus(1).GetLastErrorCode() != -1; }));
  EXPECT_EQ(receiver_->GetItemStatus(1).GetLastErrorCode(), 0);
  EXPECT_EQ(receiver_->GetSitePostCount(), 1u);
}
