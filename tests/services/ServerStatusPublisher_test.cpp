// The server status publisher against real peers: the test MariaDB server
// (or a closed port for a database that is down), the python HTTP target
// that records every raw POST, and the fake recording and analysis servers
// streaming their status documents.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ServiceFixture.h"
#include "analysis/FakeAnalysisServer.h"
#include "database/DBDataStore.h"
#include "database/DataStore.h"
#include "database/client/ClientDataStore.h"
#include "entities/Camera.h"
#include "entities/DeviceStatus.h"
#include "entities/NRS.h"
#include "entities/VasGPUStatus.h"
#include "entities/ZavStatus.h"
#include "entities/analysis/Vas.h"
#include "entities/base/EntitySchema.h"
#include "foundation/ProcessLogCapture.h"
#include "foundation/XmlSerializer.h"
#include "platform/Clock.h"
#include "recorders/FakeRecordingServer.h"
#include "services/ServerStatusPublisher.h"
#include "shell/UtcTimeText.h"
#include "support/InstallationDatabaseTest.h"
#include "support/WaitUntil.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int64_t kStart = 1700000000;

CServerStatusPublisherItem StatusJob(int id, const std::string& url, int period) {
  CServerStatusPublisherItem job;
  job.SetID(id);
  job.SetServerKind(1);
  job.SetTargetUrl(url);
  job.SetPeriod(period);
  return job;
}

// Short main passes and no first delay of the senders, so the tests wait
// for what they look at, not for the production delays.
CEventServiceConfig QuickConfig() {
  CEventServiceConfig config = kServerStatusPublisherConfig;
  config.mainDelayMs = 200;
  config.mainFailureDelayMs = 200;
  config.senderFirstDelayMs = 0;
  return config;
}

// A publisher whose database stores can be pointed elsewhere and whose
// main pass can be made to throw.
class TestPublisher : public CServerStatusPublisher {
 public:
  using CServerStatusPublisher::CServerStatusPublisher;
  ~TestPublisher() override { Stop(); }

  std::atomic<int> throwsLeft{0};
  std::atomic<unsigned short> sourcePort{0};  // not 0: the source reads go to this port

 protected:
  void OnPublisherMain() override {
    if (throwsLeft.load() > 0) {
      --throwsLeft;
      throw std::runtime_error("injected fault");
    }
    CServerStatusPublisher::OnPublisherMain();
  }
  std::shared_ptr<CDBDataStore> OpenDatabase(bool source) override {
    if (!source || sourcePort.load() == 0) return CServerStatusPublisher::OpenDatabase(source);
    auto database = std::make_shared<CDBDataStore>();
    database->Initialize("127.0.0.1", sourcePort.load(), "none", "none", "none");
    return database;
  }
};

class ServerStatusPublisherTest : public ServiceFixture {
 protected:
  void SetUp() override {
    ServiceFixture::SetUp();
    database_.Open("srvstat");
    if (IsSkipped() || HasFatalFailure()) return;
    store_ = std::make_unique<CDataStore>(database_.service.get());
    PointAtDatabase(static_cast<int>(database_.db.port));
  }
  void TearDown() override {
    publisher_.reset();
    store_.reset();
    database_.Close();
    ServiceFixture::TearDown();
  }

  void PointAtDatabase(int port) {
    settings_.SetDatabaseAddress(database_.db.host);
    settings_.SetDatabasePort(port);
    settings_.SetDatabaseName(database_.name);
    settings_.SetDatabaseLoginID(database_.db.user);
    settings_.SetDatabasePassword(database_.db.password);
  }
  void SetJobs(const std::vector<CServerStatusPublisherItem>& jobs) {
    CServerStatusPublisherItems list;
    list.SetItems(jobs);
    ASSERT_TRUE(settings_.Option_SetServerStatusPublisherItems(list));
  }
  TestPublisher& MakePublisher(const CEventServiceConfig& config = QuickConfig()) {
    publisher_ = std::make_unique<TestPublisher>(settings_, clock_, config);
    publisher_->Initialize();
    return *publisher_;
  }
  // Adds an analysis server row to the database; its key.
  int AddVas(const std::string& address, int type = 1, int port = 7080) {
    auto row = std::make_unique<CTBLVas>();
    row->SetName("vas");
    row->SetType(type);
    row->SetAddr(address);
    row->SetWebPort(port);
    EXPECT_TRUE(store_->AddEntity(row.get(), 0));
    return row->GetID();
  }
  int AddZav(const std::string& address, int port) {
    auto row = std::make_unique<CTBLNRS>();
    row->SetName("nrs");
    row->SetAddr(address);
    row->SetWebPort(port);
    EXPECT_TRUE(store_->AddEntity(row.get(), 0));
    return row->GetID();
  }
  void Sql(const std::string& statement) {
    std::string error;
    ASSERT_TRUE(RunSqlScript(database_.db, database_.name, statement, &error)) << error;
  }
  // Writes a job's status file as an earlier run left it.
  void WriteStatusFile(const CServerStatusPublisherItem& job, int64_t lastRun, int code) {
    CServerStatusPublisherItemStatus status;
    status.SetID(job.GetID());
    status.SetLastExecutedTime(lastRun);
    status.SetLastErrorCode(code);
    CreateDirectoryPath(GetDataFolderPath());
    ASSERT_FALSE(CXmlSerializer::ToXmlFile(StatusPath(job), status).empty());
  }
  std::string StatusPath(const CServerStatusPublisherItem& job) const {
    return DataFile("ServerStatus_" + StatusFileHostKey(job.GetTargetUrl()) + "_Status_" +
                    std::to_string(job.GetID()) + ".dat");
  }
  bool WaitForPasses(int passes, int seconds = 30) {
    int target = publisher_->GetMainPassCount() + passes;
    return WaitUntil([&] { return publisher_->GetMainPassCount() >= target; }, seconds);
  }
  std::string Reply(int status, const std::string& body) {
    return "HTTP/1.1 " + std::to_string(status) + " X\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
  }

  ScratchInstallationDatabase database_;
  std::unique_ptr<CDataStore> store_;
  std::shared_ptr<platform::ManualClock> clock_ = std::make_shared<platform::ManualClock>(kStart * 1000000);
  std::unique_ptr<TestPublisher> publisher_;
};

// ---- timing ----

TEST_F(ServerStatusPublisherTest, TheFirstPostComesTenSecondsAfterStart) {
  StartTarget();
  auto job = StatusJob(1, TargetUrl("/r/ok"), 60);
  target_.SetReply("ok", Reply(200, "ok"));
  SetJobs({job});
  clock_ = nullptr;
  publisher_ = std::make_unique<TestPublisher>(settings_, platform::SystemClock());
  publisher_->Initialize();
  const auto started = Clock::now();
  publisher_->Start();
  ASSERT_TRUE(WaitUntil([&] { return target_.RequestCount() >= 1; }, 40));
  const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
  EXPECT_GE(seconds, 9.9);
  // The frame's post ends every body with an empty line.
  EXPECT_EQ(BodyOf(target_.Request(1)), "[]\r\n\r\n") << "no analysis server: an empty document";
  ASSERT_TRUE(WaitUntil([&] { return !publisher_->GetItemStatus(1).GetLastDateTimeExecuted().empty(); }, 10));
  EXPECT_EQ(publisher_->GetItemStatus(1).GetLastErrorCode(), 0);
  publisher_->Stop();
  CServerStatusPublisherItemStatus saved;
  ASSERT_TRUE(CXmlSerializer::FromXmlFile(StatusPath(job), &saved));
  EXPECT_EQ(saved.GetID(), 1);
  EXPECT_FALSE(saved.GetLastDateTimeExecuted().empty());
}

TEST_F(ServerStatusPublisherTest, ARestartWaitsOutTheRestOfThePeriodCountedFromTheLastPost) {
  StartTarget();
  target_.SetReply("ok", Reply(200, "ok"));
  auto job = StatusJob(1, TargetUrl("/r/ok"), 60);
  SetJobs({job});
  WriteStatusFile(job, kStart - 20, 0);
  TestPublisher& publisher = MakePublisher();
  publisher.Start();
  ASSERT_TRUE(WaitForPasses(2));
  clock_->SetNowMicros((kStart + 39) * 1000000);
  // The sender looks at its job at least once a second.
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  EXPECT_EQ(target_.RequestCount(), 0) << "39 s after the restart the period has not passed";
  clock_->SetNowMicros((kStart + 40) * 1000000);
  EXPECT_TRUE(WaitUntil([&] { return target_.RequestCount() >= 1; }, 10));
}

TEST_F(ServerStatusPublisherTest, ALastRunInTheFutureCountsAsDue) {
  StartTarget();
  target_.SetReply("ok", Reply(200, "ok"));
  auto job = StatusJob(1, TargetUrl("/r/ok"), 60);
  SetJobs({job});
  WriteStatusFile(job, kStart + 3600, 0);  // the clock was set back an hour
  MakePublisher().Start();
  ASSERT_TRUE(WaitUntil([&] { return target_.RequestCount() >= 1; }, 10));
  ASSERT_TRUE(WaitUntil([&] { return publisher_->GetItemStatus(1).GetLastExecutedTime() == kStart; }, 10));
}

TEST_F(ServerStatusPublisherTest, PeriodZeroPostsAgainRightAfterEachAttempt) {
  StartTarget();
  target_.SetReply("ok", Reply(200, "ok"));
  SetJobs({StatusJob(1, TargetUrl("/r/ok"), 0)});
  MakePublisher().Start();
  const auto started = Clock::now();
  ASSERT_TRUE(WaitUntil([&] { return target_.RequestCount() >= 10; }, 30));
  // Ten posts at a standing clock: each came right after the one before,
  // not a period of whole seconds later.
  EXPECT_LT(std::chrono::duration<double>(Clock::now() - started).count(), 20);
}

// ---- results ----

TEST_F(ServerStatusPublisherTest, EachAttemptRecordsItsResultCode) {
  StartTarget();
  target_.SetReply("ok", Reply(200, "ok"));
  target_.SetReply("missing", Reply(404, ""));
  target_.SetReply("broken", Reply(500, "broken text"));
  const struct {
    const char* name;
    std::string url;
    int code;
    const char* logged;  // a part of the error line, or ""
  } cases[] = {
      {"200", TargetUrl("/r/ok"), 0, ""},
      {"no connection", "http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/x", 4,
       "ERROR - Error raised when post uri (2)"},
      {"404 with an empty body", TargetUrl("/r/missing"), 5, "Response error return : 404 ()) (3)"},
      {"500", TargetUrl("/r/broken"), 5, "Response error return : 500 (broken text"},
  };
  std::vector<CServerStatusPublisherItem> jobs;
  int id = 1;
  for (const auto& c : cases) jobs.push_back(StatusJob(id++, c.url, 3600));
  SetJobs(jobs);
  ProcessLogCapture log;
  MakePublisher().Start();
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(WaitUntil([&] { return !publisher_->GetItemStatus(i + 1).GetLastDateTimeExecuted().empty(); }, 20))
        << cases[i].name;
  }
  publisher_->Stop();
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(publisher_->GetItemStatus(i + 1).GetLastErrorCode(), cases[i].code) << cases[i].name;
    if (*cases[i].logged) {
      EXPECT_NE(log.Text().find(cases[i].logged), std::string::npos) << cases[i].name << "\n" << log.Text();
    }
    CServerStatusPublisherItemStatus saved;
    ASSERT_TRUE(CXmlSerializer::FromXmlFile(StatusPath(jobs[i]), &saved)) << cases[i].name;
    EXPECT_EQ(saved.GetLastErrorCode(), cases[i].code) << cases[i].name;
  }
}

TEST_F(ServerStatusPublisherTest, TheDocumentListsEveryAnalysisServerWithItsGPUsEnciphered) {
  StartTarget();
  target_.SetReply("ok", Reply(200, "ok"));
  settings_.SetValue(CLocalAppSettings::kGeneralCategory, "EncryptContents", "1");
  const int own = AddVas("10.0.0.5", 1, ClosedLoopbackPort());
  const int other = AddVas("10.0.0.6", 2);  // another kind: never watched, reported without GPUs
  SetJobs({StatusJob(1, TargetUrl("/r/ok"), 0)});
  ProcessLogCapture log;
  TestPublisher& publisher = MakePublisher();
  publisher.Start();
  ASSERT_TRUE(WaitUntil([&] { return publisher.GetLiveStore() != nullptr && publisher.GetHandlerStartCount() > 0; }));
  // Three GPU rows of the first server, keys in the opposite order of their GPU ids.
  auto live = publisher.GetLiveStore();
  const struct {
    int key, gpu, usage;
    const char* model;
  } gpus[] = {{900001, 7, 35, "RTX A4000"}, {900002, 3, 50, "RTX A2000"}, {900003, 1, 5, "T4"}};
  int transaction = live->NewTransactionId();
  for (const auto& g : gpus) {
    auto row = std::make_unique<CLTBLVasGPUStatus>();
    row->SetVasGPUStatusID(g.key);
    row->SetVasID(own);
    row->SetGPUID(g.gpu);
    row->SetModelName(g.model);
    row->SetUsagePercent(g.usage);
    ASSERT_TRUE(live->AddEntity(row.get(), transaction));
  }
  ASSERT_TRUE(live->CommitTransaction(transaction));
  const std::string expected = "[{\"Key\":\"" + std::to_string(own) +
                               "\", \"Address\":\"10.0.0.5\", \"ServerKind\":\"1\", \"GPUList\":["
                               "{\"GPUNumber\":\"1\", \"ModelName\":\"RTX A4000\", \"GPUUsage\":\"35\"}, "
                               "{\"GPUNumber\":\"2\", \"ModelName\":\"RTX A2000\", \"GPUUsage\":\"50\"}, "
                               "{\"GPUNumber\":\"3\", \"ModelName\":\"T4\", \"GPUUsage\":\"5\"}]}, "
                               "{\"Key\":\"" + std::to_string(other) +
                               "\", \"Address\":\"10.0.0.6\", \"ServerKind\":\"1\"}]";
  // Logged before encoding, posted as the frame encodes every body.
  ASSERT_TRUE(WaitUntil([&] { return log.Text().find("INFO - Publish Event : " + expected) != std::string::npos; }));
  const std::string body = EncodeEventBody(expected, CServiceSettings::Read(settings_));
  EXPECT_EQ(body.find('{'), std::string::npos) << "enciphered and Base64-encoded";
  EXPECT_TRUE(WaitUntil([&] {
    for (int n = target_.RequestCount(); n >= 1; --n) {
      if (BodyOf(target_.Request(n)) == body + "\r\n\r\n") return true;
    }
    return false;
  }));
}

// ---- the main pass ----

TEST_F(ServerStatusPublisherTest, TheDatabaseDownAtTheFirstPassGivesCodeTwoAndNoHandler) {
  auto job = StatusJob(1, "http://127.0.0.1:1/x", 3600);
  SetJobs({job});
  PointAtDatabase(ClosedLoopbackPort());
  ProcessLogCapture log;
  TestPublisher& publisher = MakePublisher();
  publisher.Start();
  ASSERT_TRUE(WaitForPasses(2, 60));
  EXPECT_EQ(publisher.GetItemStatus(1).GetLastErrorCode(), 2);
  EXPECT_EQ(publisher.GetHandlerStartCount(), 0);
  EXPECT_EQ(publisher.GetLiveStore(), nullptr);
  EXPECT_NE(log.Text().find("ERROR - Error raised when connect database."), std::string::npos);
  CServerStatusPublisherItemStatus saved;
  ASSERT_TRUE(CXmlSerializer::FromXmlFile(StatusPath(job), &saved));
  EXPECT_EQ(saved.GetLastErrorCode(), 2) << "every pass saves every status";
}

TEST_F(ServerStatusPublisherTest, TheSourceDatabaseDownAloneStartsNothing) {
  SetJobs({StatusJob(1, "http://127.0.0.1:1/x", 3600)});
  AddZav("127.0.0.1", ClosedLoopbackPort());
  ProcessLogCapture log;
  TestPublisher& publisher = MakePublisher();
  publisher.sourcePort = ClosedLoopbackPort();
  publisher.Start();
  ASSERT_TRUE(WaitForPasses(2, 60));
  EXPECT_NE(publisher.GetLiveStore(), nullptr);
  EXPECT_EQ(publisher.GetHandlerStartCount(), 0);
  EXPECT_TRUE(publisher.GetWatchedRecordingServers().empty());
  EXPECT_EQ(publisher.GetItemStatus(1).GetLastErrorCode(), 2);
  EXPECT_NE(log.Text().find("ERROR - Error raised when connect source database."), std::string::npos);
}

TEST_F(ServerStatusPublisherTest, AChangedServerRowRestartsBothHandlersWithinOnePass) {
  SetJobs({StatusJob(1, "http://127.0.0.1:1/x", 3600)});
  const int zav = AddZav("127.0.0.1", ClosedLoopbackPort());
  TestPublisher& publisher = MakePublisher();
  publisher.Start();
  ASSERT_TRUE(WaitUntil([&] { return publisher.GetHandlerStartCount() == 1; }));
  EXPECT_EQ(publisher.GetWatchedRecordingServers().size(), 1u);
  ASSERT_TRUE(WaitForPasses(3));
  EXPECT_EQ(publisher.GetHandlerStartCount(), 1) << "unchanged servers restart nothing";

  const struct {
    const char* name;
    std::function<void()> change;
    size_t zavWatched, vasWatched;
  } steps[] = {
      {"a TBL_Vas row added", [&] { AddVas("127.0.0.1", 1, ClosedLoopbackPort()); }, 1, 1},
      {"a TBL_Zav row added", [&] { AddZav("127.0.0.1", ClosedLoopbackPort()); }, 2, 1},
      {"an address changed", [&] { Sql("UPDATE TBL_Zav SET addr = '127.0.0.2' WHERE no = " + std::to_string(zav)); },
       2, 1},
      {"a row removed", [&] { Sql("DELETE FROM TBL_Vas"); }, 2, 0},
  };
  int starts = 1;
  for (const auto& step : steps) {
    step.change();
    ++starts;
    // One pass begun after the change sees it.
    ASSERT_TRUE(WaitForPasses(2)) << step.name;
    EXPECT_EQ(publisher.GetHandlerStartCount(), starts) << step.name;
    EXPECT_EQ(publisher.GetWatchedRecordingServers().size(), step.zavWatched) << step.name;
    EXPECT_EQ(publisher.GetWatchedAnalysisServers().size(), step.vasWatched) << step.name;
  }
  auto live = publisher.GetLiveStore();
  auto row = std::dynamic_pointer_cast<CTBLNRS>(live->FindCachedEntity("TBL_Zav", zav));
  ASSERT_TRUE(row);
  EXPECT_EQ(row->GetAddr(), "127.0.0.2") << "the live store was read again";

  publisher.Stop();
  EXPECT_TRUE(publisher.GetWatchedRecordingServers().empty()) << "Stop stops the handlers";
  EXPECT_TRUE(publisher.GetWatchedAnalysisServers().empty());
}

TEST_F(ServerStatusPublisherTest, AnExceptionInAMainPassIsLoggedAndThePassesGoOn) {
  SetJobs({StatusJob(1, "http://127.0.0.1:1/x", 3600)});
  ProcessLogCapture log;
  TestPublisher& publisher = MakePublisher();
  publisher.throwsLeft = 2;
  publisher.Start();
  ASSERT_TRUE(WaitUntil([&] { return publisher.GetHandlerStartCount() == 1; }));
  EXPECT_EQ(publisher.throwsLeft.load(), 0);
  EXPECT_NE(log.Text().find("ERROR - Exception raised in the main pass (injected fault)"), std::string::npos);
}

TEST_F(ServerStatusPublisherTest, ConcurrentSavesOfAStatusAlwaysLeaveAWholeFile) {
  StartTarget();
  target_.SetReply("ok", Reply(200, "ok"));
  auto job = StatusJob(1, TargetUrl("/r/ok"), 0);  // the sender saves after every post
  SetJobs({job});
  TestPublisher& publisher = MakePublisher();
  publisher.Start();
  ASSERT_TRUE(WaitUntil([&] { return target_.RequestCount() >= 1 && GetFileLength(StatusPath(job)) > 0; }));
  std::atomic<bool> stop{false};
  std::vector<std::thread> savers;
  for (int i = 0; i < 4; ++i) {
    savers.emplace_back([&, i] {
      while (!stop.load()) {
        publisher.SetAllStatuses(i);
        publisher.SaveAllStatuses();
      }
    });
  }
  int reads = 0, whole = 0;
  std::string firstBad;
  const auto until = Clock::now() + std::chrono::seconds(3);
  while (Clock::now() < until) {
    CServerStatusPublisherItemStatus read;
    ++reads;
    if (CXmlSerializer::FromXmlFile(StatusPath(job), &read) && read.GetID() == 1) {
      ++whole;
    } else if (firstBad.empty()) {
      firstBad = "[" + ReadTestFile(StatusPath(job)) + "] id " + std::to_string(read.GetID());
    }
  }
  stop = true;
  for (auto& saver : savers) saver.join();
  EXPECT_GT(reads, 10);
  EXPECT_EQ(whole, reads) << "a reader never sees a half-written file: " << firstBad;
}

// ---- end to end ----

TEST_F(ServerStatusPublisherTest, StreamingServersFillTheLiveRowsAndTheTargetGetsTheGPUList) {
  StartTarget();
  target_.SetReply("ok", Reply(200, "ok"));
  FakeRecordingServer::Script script;
  script.parts = {
      "<EventStream><Status><TotalStatus><Version>7.7.7</Version><CPU>42</CPU></TotalStatus>"
      "<ChannelStatus><ChannelStatusItem><Channel>1</Channel><HighStreamConnection>1</HighStreamConnection>"
      "<LowStreamConnection>0</LowStreamConnection></ChannelStatusItem></ChannelStatus></Status></EventStream>"};
  script.repeatParts = true;
  script.partIntervalMs = 200;
  FakeRecordingServer recorder(script);
  FakeAnalysisServer analysis([](FakeConnection& c, int) {
    FakeRequest request;
    if (!c.ReadRequest(&request)) return;
    c.SendOk();
    while (!c.Stopping()) {
      if (!c.Send(FakePart("<StatusStream><Status><TotalStatus><Version>2.0</Version><GPUCount>2</GPUCount>"
                           "<GPUItem><ID>1</ID><ModelName>RTX A4000</ModelName><UsagePercent>35</UsagePercent>"
                           "</GPUItem><GPUItem><ID>2</ID><ModelName>T4</ModelName><UsagePercent>60</UsagePercent>"
                           "</GPUItem></TotalStatus></Status></StatusStream>"))) {
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
  });
  const int zav = AddZav("127.0.0.1", recorder.port());
  auto camera = std::make_unique<CTBLCamera>();
  camera->SetName("cam");
  camera->SetZavNo(zav);
  camera->SetZavChannel(1);
  ASSERT_TRUE(store_->AddEntity(camera.get(), 0));
  const int vas = AddVas("127.0.0.1", 1, analysis.port());
  SetJobs({StatusJob(1, TargetUrl("/r/ok"), 1)});
  publisher_ = std::make_unique<TestPublisher>(settings_, platform::SystemClock(), QuickConfig());
  publisher_->Initialize();
  publisher_->Start();

  ASSERT_TRUE(WaitUntil([&] {
    auto live = publisher_->GetLiveStore();
    if (!live) return false;
    auto server = std::dynamic_pointer_cast<CTBLNRS>(live->FindCachedEntity("TBL_Zav", zav));
    auto status = server ? server->GetStatus() : nullptr;
    // The status time is set last, after the cameras.
    return status && status->GetVersion() == "7.7.7" && status->GetStatusTime() > 0;
  }, 40));
  auto live = publisher_->GetLiveStore();
  auto server = std::dynamic_pointer_cast<CTBLNRS>(live->FindCachedEntity("TBL_Zav", zav));
  EXPECT_EQ(server->GetStatus()->GetCpuUsage(), 42);
  auto cameraRow = std::dynamic_pointer_cast<CTBLCamera>(live->FindCachedEntity("TBL_Camera", camera->GetID()));
  ASSERT_TRUE(cameraRow);
  EXPECT_EQ(cameraRow->GetStreamFailure(), 1) << "its low stream is down";

  const std::string gpuList = "\"GPUList\":[{\"GPUNumber\":\"1\", \"ModelName\":\"RTX A4000\", \"GPUUsage\":\"35\"}, "
                              "{\"GPUNumber\":\"2\", \"ModelName\":\"T4\", \"GPUUsage\":\"60\"}]";
  ASSERT_TRUE(WaitUntil([&] {
    for (int n = target_.RequestCount(); n >= 1; --n) {
      if (BodyOf(target_.Request(n)).find(gpuList) != std::string::npos) return true;
    }
    return false;
  }, 40));
  const int before = target_.RequestCount();
  EXPECT_TRUE(WaitUntil([&] { return target_.RequestCount() >= before + 2; }, 20)) << "a post every Period";
  EXPECT_NE(BodyOf(target_.Request(before)).find("\"Key\":\"" + std::to_string(vas) + "\""), std::string::npos);
  publisher_->Stop();
}

}  // namespace
