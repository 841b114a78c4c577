// The alarm output publisher against real peers: python relay boards that
// record every raw POST, a management server and E-map servers steered by
// files, and the test MariaDB server (or a closed port for a database that
// is down).
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "foundation/ProcessLogCapture.h"
#include "foundation/XmlCfg.h"
#include "services/AlarmOutputPublisher.h"
#include "services/AlarmTrigger.h"
#include "services/EMapServerList.h"
#include "services/RelayOutput.h"
#include "support/TestDatabase.h"
#include "support/WaitUntil.h"
#include "ServiceFixture.h"

namespace {

// The python peer of tests/services/peers/alarm_peer.py: a relay board, a
// management server and an E-map server in one.
class AlarmPeer {
 public:
  // Starts on `port` (0: a free one). False when it did not come up.
  bool Start(unsigned short port = 0, const std::string& host = "127.0.0.1") {
    remove(dir_.Join("port").c_str());
    std::string script = std::string(GATE_SERVICES_PEERS_DIR) + "/alarm_peer.py";
    if (!process_.Start({"python3", script, dir_.path(), std::to_string(port), host}, dir_.path(), dir_.Join("peer.log"))) {
      return false;
    }
    // Generous: a python start on a loaded machine can take many seconds.
    if (!WaitUntil([&] { return !ReadTestFile(dir_.Join("port")).empty(); }, 60)) return false;
    port_ = static_cast<unsigned short>(atoi(ReadTestFile(dir_.Join("port")).c_str()));
    return host != "127.0.0.1" || WaitForPort(port_);
  }
  void Stop() { process_.Stop(); }
  unsigned short port() const { return port_; }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
  // Writes a control file ("errorcamera", "count", "mode", "postplan").
  void Set(const std::string& name, const std::string& text) {
    std::ofstream(dir_.Join(name), std::ios::binary) << text;
  }
  // The raw POSTs recorded so far, in order.
  std::vector<std::string> Posts() const {
    std::vector<std::string> posts;
    for (int n = 1;; ++n) {
      std::string text = ReadTestFile(dir_.Join("posts/" + std::to_string(n) + ".bin"));
      if (text.empty()) return posts;
      posts.push_back(text);
    }
  }
  // The parameter lines of the POSTs ("OutputPin.1.State=open").
  std::vector<std::string> States() const {
    std::vector<std::string> states;
    for (const std::string& post : Posts()) {
      size_t start = post.find("\r\n\r\n");
      std::string body = start == std::string::npos ? "" : post.substr(start + 4);
      states.push_back(body.substr(0, body.find("\r\n")));
    }
    return states;
  }

 private:
  TempDir dir_;
  PeerProcess process_;
  unsigned short port_ = 0;
};

CAlarmOutputPublisherItem AlarmJob(int id, int eventKind, const std::string& url, int channel = 1,
                                   int deviceKind = 1, const std::string& emap = "") {
  CAlarmOutputPublisherItem job;
  job.SetID(id);
  job.SetEventKind(eventKind);
  job.SetDeviceKind(deviceKind);
  job.SetChannel(channel);
  job.SetTargetUrl(url);
  job.SetEMapAddress(emap);
  return job;
}

std::string OpenRequest(int channel, const char* state) {
  std::string body = "OutputPin." + std::to_string(channel) + ".State=" + state + "\r\n\r\n";
  return "POST /api/param.cgi HTTP/1.1\r\nAccept: */*\r\nUser-Agent: ORVU\r\nHost: 127.0.0.1\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\nConnection: Keep-Alive\r\n\r\n" + body;
}

// Fast periods so the running service shows its behaviour in a few seconds.
CAlarmOutputTiming FastTiming() {
  CAlarmOutputTiming timing;
  timing.checkerFirstDelayMs = 50;
  timing.periodMs = 200;
  timing.relayPassMs = 50;
  timing.retryMs = 200;
  timing.checkerTimeoutSec = 2;
  return timing;
}
// Periods so long that no task runs: the test drives the passes itself.
CAlarmOutputTiming ManualTiming() {
  CAlarmOutputTiming timing;
  timing.checkerFirstDelayMs = 600000;
  timing.periodMs = 600000;
  timing.relayPassMs = 600000;
  return timing;
}

}  // namespace

TEST(RelayOutputTest, AlarmValuesSwitchOnlyTheirOwnAlarmsOutputs) {
  struct Case {
    int eventKind;
    int value;
    CRelayAction action;
  } cases[] = {
      {1, 1, CRelayAction::kClose}, {1, 2, CRelayAction::kOpen},   {1, 3, CRelayAction::kIgnore},
      {1, 4, CRelayAction::kIgnore}, {2, 1, CRelayAction::kIgnore}, {2, 2, CRelayAction::kIgnore},
      {2, 3, CRelayAction::kClose}, {2, 4, CRelayAction::kOpen},   {0, 1, CRelayAction::kIgnore},
      {3, 3, CRelayAction::kIgnore}, {1, 0, CRelayAction::kIgnore}, {2, 5, CRelayAction::kIgnore},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RelayActionFor(c.eventKind, c.value), c.action) << "kind " << c.eventKind << " value " << c.value;
  }
}

TEST(EMapServerListTest, PiecesGiveHostsAndPorts) {
  struct Case {
    const char* text;
    std::map<std::string, int> servers;
  } cases[] = {
      {",emap1,,emap2:8080,emap1:90", {{"emap1", 82}, {"emap2", 8080}}},
      {":8080", {{"8080", 82}}},
      {"http://emap3/status", {{"emap3", 82}}},
      {"http://emap3:9000/", {{"emap3", 9000}}},
      {"emap4:abc", {{"emap4", 0}}},
      {" emap5", {{" emap5", 82}}},
      {"", {}},
  };
  for (const Case& c : cases) {
    std::map<std::string, int> servers;
    AddEMapServers(c.text, &servers);
    EXPECT_EQ(servers, c.servers) << c.text;
  }
}

TEST(AlarmTriggerTest, FollowsTheInputAfterTheRequiredRun) {
  struct Case {
    int required;
    std::vector<int> samples;
    bool active;
  } cases[] = {
      {1, {1}, true},
      {1, {1, 0}, false},
      {1, {3, 7}, true},
      {5, {1, 1, 1, 1}, false},
      {5, {1, 1, 1, 1, 1}, true},
      {5, {1, 1, 1, 1, 0, 1, 1, 1, 1}, false},
      {5, {1, 1, 1, 1, 1, 1, 1, 1, 0}, true},  // one low sample does not clear it
      {5, {1, 1, 1, 1, 1, 0, 0, 0, 0, 0}, false},
      {1, {0, 0, 0}, false},
  };
  for (const Case& c : cases) {
    CAlarmTrigger trigger(c.required);
    for (int sample : c.samples) trigger.Update(sample);
    EXPECT_EQ(trigger.IsActive(), c.active) << "required " << c.required << ", " << c.samples.size() << " samples";
  }
}

class AlarmOutputPublisherTest : public ServiceFixture {
 protected:
  void SetJobs(const std::vector<CAlarmOutputPublisherItem>& jobs) {
    CAlarmOutputPublisherItems list;
    list.SetItems(jobs);
    ASSERT_TRUE(settings_.Option_SetAlarmOutputPublisherItems(list));
  }
  // The test database when there is one (else the test is skipped).
  void UseDatabase() {
    GATE_REQUIRE_DATABASE(db_);
    settings_.SetDatabaseAddress(db_.host);
    settings_.SetDatabasePort(static_cast<int>(db_.port));
    settings_.SetDatabaseName(db_.database);
    settings_.SetDatabaseLoginID(db_.user);
    settings_.SetDatabasePassword(db_.password);
  }
  void UseDatabaseDown() {
    settings_.SetDatabaseAddress("127.0.0.1");
    settings_.SetDatabasePort(ClosedLoopbackPort());
  }
  void UseManagementServer(unsigned short port) {
    settings_.SetValue(CLocalAppSettings::kGeneralCategory, "ZmsAddress", "127.0.0.1");
    settings_.SetValue(CLocalAppSettings::kGeneralCategory, "ZmsPort", std::to_string(port));
  }
  // A publisher whose settings were copied by a Start that queued the
  // inactive values, and that was stopped before any task ran.
  std::unique_ptr<CAlarmOutputPublisher> StartedAndStopped() {
    auto publisher = std::make_unique<CAlarmOutputPublisher>(settings_, ManualTiming());
    publisher->Initialize();
    publisher->Start();
    publisher->Stop();
    return publisher;
  }

  TestDatabase db_;
};

TEST_F(AlarmOutputPublisherTest, StartOpensEveryOutputOnceWithTheExactRequest) {
  UseDatabase();
  if (IsSkipped()) return;
  AlarmPeer management, boardA, boardB;
  ASSERT_TRUE(management.Start());
  ASSERT_TRUE(boardA.Start());
  ASSERT_TRUE(boardB.Start());
  UseManagementServer(management.port());
  SetJobs({AlarmJob(1, 1, boardA.Url(), 1), AlarmJob(2, 2, boardB.Url(), 0)});

  CAlarmOutputPublisher publisher(settings_, FastTiming());
  publisher.Initialize();
  publisher.Start();
  ASSERT_TRUE(WaitUntil([&] { return boardA.Posts().size() >= 1 && boardB.Posts().size() >= 1; }, 20));
  std::this_thread::sleep_for(std::chrono::seconds(1));  // several samples: nothing raises an alarm
  publisher.Stop();
  EXPECT_EQ(boardA.Posts(), std::vector<std::string>{OpenRequest(1, "open")});
  EXPECT_EQ(boardB.Posts(), std::vector<std::string>{OpenRequest(0, "open")});
  EXPECT_EQ(OpenRequest(1, "open").find("Content-Length: 26\r\n") != std::string::npos, true);
  EXPECT_EQ(publisher.GetItemStatus(1).GetLastErrorCode(), 0);
}

TEST_F(AlarmOutputPublisherTest, ManagementAlarmFollowsTheErrorCameraCount) {
  UseDatabase();
  if (IsSkipped()) return;
  AlarmPeer management, board;
  ASSERT_TRUE(management.Start());
  ASSERT_TRUE(board.Start());
  management.Set("errorcamera", "0");
  UseManagementServer(management.port());
  SetJobs({AlarmJob(1, 1, board.Url(), 3)});

  CAlarmOutputPublisher publisher(settings_, FastTiming());
  publisher.Initialize();
  publisher.Start();
  ASSERT_TRUE(WaitUntil([&] { return board.States().size() == 1; }, 20));
  management.Set("errorcamera", "1");
  ASSERT_TRUE(WaitUntil([&] { return board.States().size() == 2; }, 20));
  management.Set("errorcamera", "0");
  ASSERT_TRUE(WaitUntil([&] { return board.States().size() == 3; }, 20));
  publisher.Stop();
  EXPECT_EQ(board.States(), (std::vector<std::string>{"OutputPin.3.State=open", "OutputPin.3.State=close",
                                                      "OutputPin.3.State=open"}));
}

// The checker's own samples and the main task's count together: the fifth
// consecutive failure raises the alarm, not the first.
TEST_F(AlarmOutputPublisherTest, RefusingManagementServerRaisesTheAlarmAfterFiveSamples) {
  UseDatabase();
  if (IsSkipped()) return;
  UseManagementServer(ClosedLoopbackPort());
  SetJobs({AlarmJob(1, 1, "http://127.0.0.1:1/")});
  auto publisher = StartedAndStopped();
  EXPECT_EQ(publisher->GetQueuedValueCount(1), 2u);  // 2 and 4 from Start
  for (int round = 0; round < 2; ++round) {
    publisher->OnPublisherMainManagementChecker();
    publisher->UpdateTriggers();
    EXPECT_FALSE(publisher->IsManagementAlarmActive()) << "after round " << round;
  }
  publisher->OnPublisherMainManagementChecker();  // the fifth high sample
  publisher->UpdateTriggers();
  EXPECT_TRUE(publisher->IsManagementAlarmActive());
  EXPECT_EQ(publisher->GetQueuedValueCount(1), 3u);
}

// A server that takes the connection and answers 500 or nothing counts as a
// failed request (it would otherwise never raise the alarm).
TEST_F(AlarmOutputPublisherTest, ManagementServerThatAnswersBadlyCountsAsFailed) {
  UseDatabase();
  if (IsSkipped()) return;
  for (const char* mode : {"500", "hang"}) {
    AlarmPeer management;
    ASSERT_TRUE(management.Start());
    management.Set("mode", mode);
    management.Set("errorcamera", "0");
    UseManagementServer(management.port());
    SetJobs({AlarmJob(1, 1, "http://127.0.0.1:1/")});
    CAlarmOutputTiming timing = ManualTiming();
    timing.checkerTimeoutSec = 1;
    CAlarmOutputPublisher publisher(settings_, timing);
    publisher.Initialize();
    publisher.Start();
    publisher.Stop();
    for (int round = 0; round < 3; ++round) {
      publisher.OnPublisherMainManagementChecker();
      publisher.UpdateTriggers();
    }
    EXPECT_TRUE(publisher.IsManagementAlarmActive()) << mode;
  }
}

TEST_F(AlarmOutputPublisherTest, DatabaseDownRaisesTheAlarmAtTheNextSampleWithCodeTwo) {
  UseDatabaseDown();
  SetJobs({AlarmJob(1, 1, "http://127.0.0.1:1/"), AlarmJob(2, 2, "")});
  auto publisher = StartedAndStopped();
  publisher->OnPublisherMainManagementChecker();
  EXPECT_EQ(publisher->GetItemStatus(1).GetLastErrorCode(), 2);
  EXPECT_EQ(publisher->GetItemStatus(2).GetLastErrorCode(), 2);
  publisher->UpdateTriggers();
  EXPECT_TRUE(publisher->IsManagementAlarmActive());
}

TEST_F(AlarmOutputPublisherTest, PidsAlarmFollowsTheFirstServerThatGivesACount) {
  UseDatabaseDown();
  struct Case {
    const char* first;   // count of 127.0.0.1 (first in host order)
    const char* second;  // count of 127.0.0.2
    bool active;
  } cases[] = {{"0", "3", false}, {"3", "0", true}};
  for (const Case& c : cases) {
    AlarmPeer first, second;
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(second.Start(0, "127.0.0.2"));
    first.Set("count", c.first);
    second.Set("count", c.second);
    std::string emap = "127.0.0.2:" + std::to_string(second.port()) + ",127.0.0.1:" + std::to_string(first.port());
    SetJobs({AlarmJob(1, 2, "http://127.0.0.1:1/", 1, 1, emap)});
    auto publisher = StartedAndStopped();
    EXPECT_EQ(publisher->GetEMapServers().size(), 2u);
    publisher->OnPublisherMainPIDSChecker();
    publisher->UpdateTriggers();
    EXPECT_EQ(publisher->IsPidsAlarmActive(), c.active) << c.first << "/" << c.second;
  }
}

TEST_F(AlarmOutputPublisherTest, FailedEMapPassesRaiseTheManagementAlarmAfterFive) {
  UseDatabaseDown();  // the management checker is not run: its inputs stay 0
  SetJobs({AlarmJob(1, 1, "http://127.0.0.1:1/", 1, 1, "127.0.0.1:" + std::to_string(ClosedLoopbackPort()))});
  auto publisher = StartedAndStopped();
  for (int pass = 1; pass <= 5; ++pass) {
    publisher->OnPublisherMainPIDSChecker();
    publisher->UpdateTriggers();
    EXPECT_EQ(publisher->IsManagementAlarmActive(), pass == 5) << "pass " << pass;
  }
  EXPECT_FALSE(publisher->IsPidsAlarmActive());
}

// One pass of an output's sender: the code of the last value that did not
// reach its board.
TEST_F(AlarmOutputPublisherTest, SendPassCodeIsThatOfTheLastUndeliveredValue) {
  UseDatabaseDown();
  struct Case {
    const char* plan;  // per POST after the opening one
    int code;
  } cases[] = {{"ok,drop,ok", 4}, {"ok,ok,drop", 4}, {"ok,ok,ok", 0}};
  for (const Case& c : cases) {
    AlarmPeer board;
    ASSERT_TRUE(board.Start());
    board.Set("postplan", c.plan);
    SetJobs({AlarmJob(1, 1, board.Url())});
    auto publisher = StartedAndStopped();
    publisher->OnPublisherSend(1);  // the opening value of Start
    publisher->PublishEvent(1);
    publisher->PublishEvent(2);
    publisher->OnPublisherSend(1);
    EXPECT_EQ(publisher->GetItemStatus(1).GetLastErrorCode(), c.code) << c.plan;
    EXPECT_EQ(board.States(), (std::vector<std::string>{"OutputPin.1.State=open", "OutputPin.1.State=close",
                                                        "OutputPin.1.State=open"}))
        << c.plan;
  }
}

TEST_F(AlarmOutputPublisherTest, OutputsThatCannotBeDrivenGetTheirCodeAndNoRequest) {
  UseDatabaseDown();
  AlarmPeer board;
  ASSERT_TRUE(board.Start());
  struct Case {
    CAlarmOutputPublisherItem job;
    int code;
    const char* state;  // the request sent, "" for none
  } cases[] = {
      {AlarmJob(1, 1, board.Url(), 9), 3, ""},
      {AlarmJob(1, 1, board.Url(), -1), 3, ""},
      {AlarmJob(1, 1, "", 1), 3, ""},
      {AlarmJob(1, 1, board.Url(), 1, 2), 1, ""},
      {AlarmJob(1, 2, board.Url(), 1), 0, ""},  // PIDS output holding 1 and 2
      {AlarmJob(1, 1, board.Url(), 0), 0, "OutputPin.0.State=close"},
  };
  size_t seen = 0;
  for (const Case& c : cases) {
    SetJobs({c.job});
    auto publisher = StartedAndStopped();
    publisher->OnPublisherSend(1);  // takes the opening values of Start
    seen = board.Posts().size();
    publisher->PublishEvent(1);
    publisher->OnPublisherSend(1);
    CAlarmOutputPublisherItemStatus status = publisher->GetItemStatus(1);
    EXPECT_EQ(status.GetLastErrorCode(), c.code) << c.job.GetChannel() << " " << c.job.GetTargetUrl();
    EXPECT_NE(status.GetLastDateTimeExecuted(), CAlarmOutputPublisherItemStatus().GetLastDateTimeExecuted());
    std::vector<std::string> states = board.States();
    std::vector<std::string> sent(states.begin() + static_cast<long>(seen), states.end());
    EXPECT_EQ(sent, std::string(c.state).empty() ? std::vector<std::string>{} : std::vector<std::string>{c.state});
  }
}

TEST_F(AlarmOutputPublisherTest, StatusFileIsSavedAfterAPassWithValues) {
  UseDatabaseDown();
  struct Case {
    const char* url;
    const char* file;
  } cases[] = {{"http://10.0.0.5:8080/", "AlarmOutput_10_0_0_5_Status_7.dat"}, {"", "AlarmOutput__Status_7.dat"}};
  for (const Case& c : cases) {
    SetJobs({AlarmJob(7, 1, c.url, 1, 2)});  // device kind 2: code 1, no request
    auto publisher = StartedAndStopped();
    publisher->OnPublisherSend(7);
    std::string text = ReadTestFile(DataFile(c.file));
    EXPECT_NE(text.find("<AlarmOutputPubItemStatus"), std::string::npos) << c.file << ": " << text;
    EXPECT_NE(text.find("1"), std::string::npos);
  }
}

TEST_F(AlarmOutputPublisherTest, FullQueueIsEmptiedBeforeTheNextValue) {
  UseDatabaseDown();
  SetJobs({AlarmJob(5, 1, "http://127.0.0.1:1/")});
  auto publisher = StartedAndStopped();
  ProcessLogCapture log;
  while (publisher->GetQueuedValueCount(5) < 1000) publisher->PublishEvent(1);
  publisher->PublishEvent(2);
  EXPECT_EQ(publisher->GetQueuedValueCount(5), 1u);
  EXPECT_NE(log.Text().find("INFO - SendQ is full (5)\r\n"), std::string::npos);
}

// The fix for a missed alarm: a value the board could not take is sent again
// once the board is back.
TEST_F(AlarmOutputPublisherTest, AlarmRaisedWhileTheBoardWasDownClosesTheOutputWhenItIsBack) {
  UseDatabaseDown();  // raises the management alarm at once
  unsigned short boardPort = ClosedLoopbackPort();
  SetJobs({AlarmJob(1, 1, "http://127.0.0.1:" + std::to_string(boardPort) + "/")});
  CAlarmOutputPublisher publisher(settings_, FastTiming());
  publisher.Initialize();
  publisher.Start();
  ASSERT_TRUE(WaitUntil([&] { return publisher.IsManagementAlarmActive(); }, 20));
  ASSERT_TRUE(WaitUntil([&] { return publisher.GetQueuedValueCount(1) == 0; }, 20));
  ASSERT_TRUE(WaitUntil([&] { return publisher.GetItemStatus(1).GetLastErrorCode() == 4; }, 20));
  AlarmPeer board;
  ASSERT_TRUE(board.Start(boardPort));
  ASSERT_TRUE(WaitUntil([&] { return !board.States().empty(); }, 20));
  std::this_thread::sleep_for(std::chrono::seconds(1));
  publisher.Stop();
  // The open of Start was replaced by the newer close; nothing went twice.
  EXPECT_EQ(board.States(), std::vector<std::string>{"OutputPin.1.State=close"});
}

TEST_F(AlarmOutputPublisherTest, StopIsPromptWhileABoardStalls) {
  UseDatabaseDown();
  AlarmPeer board;
  ASSERT_TRUE(board.Start());
  board.Set("mode", "hang");
  SetJobs({AlarmJob(1, 1, board.Url())});
  CAlarmOutputPublisher publisher(settings_, FastTiming());
  publisher.Initialize();
  publisher.Start();
  ASSERT_TRUE(WaitUntil([&] { return !board.Posts().empty(); }, 20));
  auto start = std::chrono::steady_clock::now();
  publisher.Stop();
  // A request in progress ends within its 2 s reply limit; no further one starts.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
  size_t posts = board.Posts().size();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(board.Posts().size(), posts);
}

TEST(AlarmOutputItemTest, EqualOnlyWhenEveryFieldMatchesByteForByte) {
  CAlarmOutputPublisherItem base = AlarmJob(4, 1, "http://Board/", 2, 1, "emap1");
  base.SetTargetLoginID("admin");
  base.SetTargetPasswordPlain("pw");
  struct Case {
    const char* name;
    void (*change)(CAlarmOutputPublisherItem&);
  } cases[] = {
      {"ID", [](CAlarmOutputPublisherItem& j) { j.SetID(5); }},
      {"EventKind", [](CAlarmOutputPublisherItem& j) { j.SetEventKind(2); }},
      {"DeviceKind", [](CAlarmOutputPublisherItem& j) { j.SetDeviceKind(0); }},
      {"Channel", [](CAlarmOutputPublisherItem& j) { j.SetChannel(1); }},
      {"EMapAddress", [](CAlarmOutputPublisherItem& j) { j.SetEMapAddress("EMAP1"); }},
      {"TargetUrl case", [](CAlarmOutputPublisherItem& j) { j.SetTargetUrl("http://board/"); }},
      {"TargetLoginID", [](CAlarmOutputPublisherItem& j) { j.SetTargetLoginID("Admin"); }},
      {"TargetPassword", [](CAlarmOutputPublisherItem& j) { j.SetTargetPasswordPlain("PW"); }},
  };
  CAlarmOutputPublisherItem same = base;
  EXPECT_TRUE(same == base);
  for (const Case& c : cases) {
    CAlarmOutputPublisherItem other = base;
    c.change(other);
    EXPECT_FALSE(other == base) << c.name;
  }
  // The password is kept enciphered as Base64 text and comes back whole.
  const std::string stored = base.GetTargetPassword();
  EXPECT_NE(stored, "pw");
  EXPECT_EQ(stored.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
            std::string::npos)
      << stored;
  EXPECT_EQ(base.GetTargetPasswordPlain(), "pw");
  CAlarmOutputPublisherItems list;
  list.SetItems({base});
  CAlarmOutputPublisherItem missing = list.FindByID(99);
  EXPECT_EQ(missing.GetID(), 0);
  EXPECT_EQ(missing.GetChannel(), 1);
}

// A board URL without a port is driven on port 80, over plain HTTP whatever
// the scheme; each delivered value logs its success line (1 close, 0 open).
TEST_F(AlarmOutputPublisherTest, UrlWithoutPortGoesToPortEightyInPlainHttp) {
  UseDatabaseDown();
  AlarmPeer board;
  const std::string host = "127.0.0.61";
  if (!board.Start(80, host)) GTEST_SKIP() << "port 80 of " << host << " cannot be bound here";
  for (const char* scheme : {"http", "https"}) {
    SCOPED_TRACE(scheme);
    size_t before = board.Posts().size();
    SetJobs({AlarmJob(1, 1, std::string(scheme) + "://" + host + "/", 2)});
    auto publisher = StartedAndStopped();
    ProcessLogCapture log;
    publisher->OnPublisherSend(1);  // the opening value of Start
    publisher->PublishEvent(1);
    publisher->OnPublisherSend(1);
    EXPECT_EQ(publisher->GetItemStatus(1).GetLastErrorCode(), 0);
    std::vector<std::string> posts = board.Posts();
    ASSERT_EQ(posts.size(), before + 2);
    EXPECT_EQ(posts[before].substr(0, posts[before].find("\r\n")), "POST /api/param.cgi HTTP/1.1");
    EXPECT_NE(posts[before + 1].find("\r\n\r\nOutputPin.2.State=close\r\n\r\n"), std::string::npos);
    EXPECT_NE(log.Text().find("INFO: The alarm(0) was sent to " + host + ":80 - ch 2 successfully.\r\n"),
              std::string::npos)
        << log.Text();
    EXPECT_NE(log.Text().find("INFO: The alarm(1) was sent to " + host + ":80 - ch 2 successfully.\r\n"),
              std::string::npos);
  }
  board.Stop();
}

// Inputs that flap faster than the samples, with the checkers and the main
// task sampling at the same time: each alarm's values still alternate, and
// the board sees the same alternation.
TEST_F(AlarmOutputPublisherTest, AnAlarmIsNeverPublishedActiveTwiceWithoutInactiveBetween) {
  UseDatabase();
  if (IsSkipped()) return;
  AlarmPeer management, emap, board;
  ASSERT_TRUE(management.Start());
  ASSERT_TRUE(emap.Start());
  ASSERT_TRUE(board.Start());
  UseManagementServer(management.port());
  SetJobs({AlarmJob(1, 1, board.Url(), 1, 1, "127.0.0.1:" + std::to_string(emap.port()))});
  CAlarmOutputTiming timing = FastTiming();
  timing.periodMs = 100;
  ProcessLogCapture log;
  CAlarmOutputPublisher publisher(settings_, timing);
  publisher.Initialize();
  publisher.Start();
  for (int step = 0; step < 40; ++step) {
    management.Set("errorcamera", step % 3 == 0 ? "0" : "1");
    emap.Set("count", step % 4 < 2 ? "2" : "0");
    std::this_thread::sleep_for(std::chrono::milliseconds(70));
  }
  publisher.Stop();

  std::vector<int> published;
  const std::string text = log.Text();
  const std::string mark = "INFO - Publish Event : ";
  for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + 1)) {
    published.push_back(atoi(text.c_str() + at + mark.size()));
  }
  ASSERT_GE(published.size(), 2u);
  EXPECT_EQ(published[0], 2);
  EXPECT_EQ(published[1], 4);
  int managementState = 0, pidsState = 0, changes = 0;
  for (size_t i = 2; i < published.size(); ++i) {
    int value = published[i];
    int& state = value <= 2 ? managementState : pidsState;
    int active = value == 1 || value == 3;
    EXPECT_NE(active, state) << "value " << value << " at " << i;
    state = active;
    ++changes;
  }
  EXPECT_GE(changes, 2) << "the inputs flapped, the alarms must have followed";
  // The board: opened first, then close and open in turn.
  std::vector<std::string> states = board.States();
  ASSERT_FALSE(states.empty());
  for (size_t i = 0; i < states.size(); ++i) {
    EXPECT_EQ(states[i], i % 2 == 0 ? "OutputPin.1.State=open" : "OutputPin.1.State=close") << i;
  }
}

// A board that answers 500 took the request: its firmware may answer
// oddly, and repeating a switch it already made would gain nothing.
TEST_F(AlarmOutputPublisherTest, AnyReplyOfTheBoardCountsAsDelivered) {
  UseDatabaseDown();
  AlarmPeer board;
  ASSERT_TRUE(board.Start());
  board.Set("mode", "500");
  SetJobs({AlarmJob(1, 1, board.Url())});
  CAlarmOutputTiming timing = ManualTiming();
  timing.retryMs = 0;  // a value still undelivered would go again at the next pass
  CAlarmOutputPublisher publisher(settings_, timing);
  publisher.Initialize();
  publisher.Start();
  publisher.Stop();
  publisher.PublishEvent(1);
  publisher.OnPublisherSend(1);
  publisher.OnPublisherSend(1);
  EXPECT_EQ(publisher.GetItemStatus(1).GetLastErrorCode(), 0);
  EXPECT_EQ(board.States(), (std::vector<std::string>{"OutputPin.1.State=open", "OutputPin.1.State=close"}));
}
