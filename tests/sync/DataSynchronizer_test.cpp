// The data synchronizer service: its files, its schedule, its messages and
// its building-IoT runs, with the program folder in a temporary folder.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <regex>
#include <thread>

#include "SyncRunFixture.h"
#include "foundation/ProcessLogCapture.h"
#include "platform/ProgramFolder.h"
#include "shell/AppFolders.h"
#include "shell/LocalAppSettings.h"
#include "support/ProgramUnderTest.h"
#include "sync/DataSynchronizer.h"
#include "sync/SyncRunStatus.h"

namespace {

// What a subscriber saw: every message, and the status file at each "executed" one.
struct Journal {
  std::mutex lock;
  std::vector<std::string> messages;
  std::vector<std::string> statusFiles;
  std::vector<std::map<int, std::string>> authCodes;
  std::string statusPath;
  int Count(const std::string& name) {
    std::lock_guard<std::mutex> hold(lock);
    return static_cast<int>(std::count(messages.begin(), messages.end(), name));
  }
  static void OnMessage(const IMessagePublisher::_message_t* message) {
    auto* journal = static_cast<Journal*>(message->context1);
    std::lock_guard<std::mutex> hold(journal->lock);
    journal->messages.push_back(message->message + ":" + std::to_string(message->value2));
    if (message->message == "MSG_DATASYNC_EXECUTED") journal->statusFiles.push_back(ReadTestFile(journal->statusPath));
    if (message->message == "MSG_BIOT_ZAV_AUTH_CODE_UPDATED") {
      journal->authCodes.push_back(*reinterpret_cast<const std::map<int, std::string>*>(message->value2));
    }
  }
};

class DataSynchronizerTest : public SyncRunFixture {
 protected:
  void SetUp() override {
    SyncRunFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    platform::SetProgramFolderOverride(program_.path());
    CreateDirectoryPath(program_.Join("Settings"));
    settings_app_.Load(GetAppSettingsFilePath());
    settings_app_.SetDatabaseAddress(db_.host);
    settings_app_.SetDatabasePort(static_cast<int>(db_.port));
    settings_app_.SetDatabaseName(name_);
    settings_app_.SetDatabaseLoginID(db_.user);
    settings_app_.SetDatabasePassword(db_.password);
    settings_app_.SetLong(0, "EncryptContents", 0);
  }
  void TearDown() override {
    service_.reset();
    platform::SetProgramFolderOverride("");
    SyncRunFixture::TearDown();
  }
  // The site code comes from user field 3 (index 2).
  void WriteSiteCodeField() {
    WriteTestFile(GetDeviceUserFieldsFilePath(),
                  "<Settings>\r\n\t<Setting>\r\n\t\t<Category>0</Category>\r\n\t\t<Name>SITE_CODE</Name>\r\n"
                  "\t\t<Value>2</Value>\r\n\t</Setting>\r\n</Settings>\r\n");
  }
  void SetJobs(const std::vector<CDataSynchronizerItem>& jobs) {
    CDataSynchronizerItems items;
    items.SetItems(jobs);
    settings_app_.Option_SetDataSyncItems(items);
  }
  CDataSynchronizer& Make(std::shared_ptr<platform::Clock> clock = platform::SystemClock()) {
    service_ = std::make_unique<CDataSynchronizer>(settings_app_, std::move(clock));
    service_->SetSchedulePeriodMs(100);
    service_->Subscribe("test", &Journal::OnMessage, &journal_, nullptr);
    return *service_;
  }

  TempDir program_;
  CLocalAppSettings settings_app_;
  Journal journal_;
  std::unique_ptr<CDataSynchronizer> service_;
};

TEST(DataSynchronizerNamesTest, FileNamesCarryHostEntityAndJob) {
  struct Case {
    const char* url;
    const char* source;
    int id;
    const char* status;
    const char* data;
  } cases[] = {
      {"http://10.1.2.3/sync", "TBL_Camera", 12, "DataSync_10_1_2_3_Device_Status_12.dat",
       "DataSync_10_1_2_3_Device_Data_12.dat"},
      {"https://a.example:8443/x?y=1", "TBL_VasIntelligentEvent", 3,
       "DataSync_a_example_IntelligentEvent_Status_3.dat", "DataSync_a_example_IntelligentEvent_Data_3.dat"},
      {"", "tbl_camera", 7, "DataSync___Status_7.dat", "DataSync___Data_7.dat"},
  };
  for (const Case& c : cases) {
    CDataSynchronizerItem job;
    job.SetID(c.id);
    job.SetTargetUrl(c.url);
    job.SetSourceData(c.source);
    EXPECT_EQ(c.status, CDataSynchronizer::StatusFileNameOf(job));
    EXPECT_EQ(c.data, CDataSynchronizer::MakeDataFileName(job));
  }
}

TEST(DataSynchronizerNamesTest, DueWhenThePeriodPassedOrTheClockWentBack) {
  struct Case {
    int64_t now, last;
    int period;
    bool due;
  } cases[] = {
      {1000, 0, 3600, false}, {4600, 1000, 3600, true}, {4599, 1000, 3600, false},
      {999, 1000, 3600, true}, {1000, 1000, 0, true},   {5000, 0, 0, true},
  };
  for (const Case& c : cases) EXPECT_EQ(c.due, IsSyncRunDue(c.now, c.last, c.period)) << c.now << " " << c.last;
}

TEST_F(DataSynchronizerTest, RunWritesTheStatusFileThenPublishes) {
  AddCamera(1, "Lobby", "Box", 0, 1);
  CDataSynchronizerItem job = Job();
  job.SetPeriod(3600);
  SetJobs({job});
  WriteSiteCodeField();
  auto clock = std::make_shared<platform::ManualClock>();
  clock->SetNowMicros(int64_t{1709622489} * 1000000);  // 2024-03-05 07:08:09 UTC
  CDataSynchronizer& service = Make(clock);
  journal_.statusPath = program_.Join("Data/DataSync_127_0_0_1_Device_Status_12.dat");
  service.Initialize();
  service.Start();
  ASSERT_TRUE(WaitUntil([&] { return journal_.Count("MSG_DATASYNC_EXECUTED:12") == 1; }, 60000));
  EXPECT_EQ(1, peer_.RequestCount());
  const std::string expected =
      "<?xml version=\"1.0\"?>\r\n<DataSyncItemStatus>\r\n\t<ID>12</ID>\r\n"
      "\t<LastDateTimeSynchronized>2024-03-05 07:08:09</LastDateTimeSynchronized>\r\n"
      "\t<LastDateTimeExecuted>2024-03-05 07:08:09</LastDateTimeExecuted>\r\n"
      "\t<LastErrorCode>0</LastErrorCode>\r\n</DataSyncItemStatus>\r\n";
  {
    std::lock_guard<std::mutex> hold(journal_.lock);
    EXPECT_EQ(expected, journal_.statusFiles.at(0));
  }
  EXPECT_TRUE(PathExists(program_.Join("Data/DataSync_127_0_0_1_Device_Data_12.dat")));
  CDataSynchronizerItemStatus status = service.GetItemStatus(12);
  EXPECT_EQ("2024-03-05 07:08:09", status.GetLastDateTimeExecuted());

  // Not due within the period; due once the clock goes back.
  clock->AdvanceMillis(60000);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(1, journal_.Count("MSG_DATASYNC_EXECUTED:12"));
  clock->SetNowMicros(int64_t{1709622489 - 5} * 1000000);
  ASSERT_TRUE(WaitUntil([&] { return journal_.Count("MSG_DATASYNC_EXECUTED:12") == 2; }, 60000));
  EXPECT_EQ(1, peer_.RequestCount()) << "nothing changed: nothing posted";
  service.Stop();
  EXPECT_EQ("2024-03-05 07:08:09", service.GetItemStatus(12).GetLastDateTimeSynchronized())
      << "a run without changes keeps the last synchronization";
}

TEST_F(DataSynchronizerTest, StartCopiesTheDefaultUserFieldsAndRemovesFilesOfVanishedJobs) {
  ProcessLogCapture log;
  CDataSynchronizerItem job = Job();
  job.SetPeriod(3600);
  SetJobs({job});
  CreateDirectoryPath(program_.Join("Data"));
  const std::string stale = program_.Join("Data/DataSync_10_0_0_1_Device_Data_40.dat");
  const std::string staleStatus = program_.Join("Data/DataSync_10_0_0_1_Device_Status_40.dat");
  const std::string kept = program_.Join("Data/DataSync_10_0_0_1_Device_Status_12.dat");  // an old name of job 12
  for (const std::string& path : {stale, staleStatus, kept}) WriteTestFile(path, "x");
  const std::string defaults = "<Settings/>\r\n";
  WriteTestFile(GetDeviceUserFieldsDefaultFilePath(), defaults);

  CDataSynchronizer& service = Make();
  service.Initialize();
  service.Start();
  service.Stop();
  EXPECT_FALSE(PathExists(stale));
  EXPECT_FALSE(PathExists(staleStatus));
  EXPECT_TRUE(PathExists(kept));
  EXPECT_NE(std::string::npos, log.Text().find("INFO - Remove cache file (" + stale + ")\r\n"));
  EXPECT_EQ(defaults, ReadTestFile(GetDeviceUserFieldsFilePath()));

  // An existing user-field file is never overwritten.
  WriteTestFile(GetDeviceUserFieldsFilePath(), "<Settings>mine</Settings>");
  service.Start();
  service.Stop();
  EXPECT_EQ("<Settings>mine</Settings>", ReadTestFile(GetDeviceUserFieldsFilePath()));
}

TEST_F(DataSynchronizerTest, RunsOfOneJobNeverOverlap) {
  AddCamera(1, "Lobby", "Box", 0, 1);
  peer_.SetReply("slow", "<<PAUSE>><<PAUSE>><<PAUSE>><<PAUSE>><<PAUSE>>HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
  CDataSynchronizerItem job = Job("slow");
  job.SetPeriod(0);  // due at every pass (every 100 ms here)
  SetJobs({job});
  WriteSiteCodeField();
  CDataSynchronizer& service = Make();
  service.Initialize();
  service.Start();
  // Each run takes the target's 1.5 s; with passes every 100 ms a second run
  // would start long before the first one ends.
  ASSERT_TRUE(WaitUntil([&] { return journal_.Count("MSG_DATASYNC_EXECUTED:12") >= 2; }, 60000));
  service.Stop();
  EXPECT_EQ(1, peer_.RequestCount()) << "the second run found nothing new to send";
}

// A building-IoT manager that speaks to no platform: it follows a script and
// counts the calls.
struct FakeManagerScript {
  std::atomic<int> opens{0}, logins{0}, syncs{0};
  bool openOk = true;
  bool loginOk = true;
  int refuseTokenOnSync = 0;  // the first n SyncData calls answer as a 401 does
  bool syncOk = true;
  bool codesChange = false;
  CBIoTManagerSettings seen;
};

class FakeManager : public IBIoTDataManager {
 public:
  explicit FakeManager(FakeManagerScript* script) : script_(script) {}
  bool Open() override { return ++script_->opens, script_->openOk; }
  bool HasUserToken() override { return token_; }
  bool GetUserLoginToken() override {
    ++script_->logins;
    token_ = script_->loginOk;
    return token_;
  }
  bool SyncData(IDataStore* store) override {
    int n = ++script_->syncs;
    if (store == nullptr || store->GetCachedEntityList("TBL_Camera").empty()) return false;
    if (n <= script_->refuseTokenOnSync) {
      token_ = false;
      return false;
    }
    return script_->syncOk;
  }
  bool TakeVideoGatewayAdded() override { return false; }
  bool GetZavAuthCodes() override { return true; }
  bool TakeAuthCodesChanged() override { return std::exchange(script_->codesChange, false); }
  std::map<int, std::string> GetZavAuthCodeMap() override { return {{1, "code-1"}}; }

 private:
  FakeManagerScript* script_;
  bool token_ = false;
};

TEST_F(DataSynchronizerTest, BuildingIoTRunsThroughTheJobsManager) {
  AddCamera(1, "Lobby", "Box", 0, 1);
  CDataSynchronizerItem job = Job();
  job.SetTargetUrl("https://platform.example/api");
  job.SetTargetLoginID("gate");
  job.SetTargetPassword(EncipherJobPassword("secret"));
  job.SetPeriod(0);
  SetJobs({job});
  struct Case {
    const char* name;
    bool openOk, loginOk, syncOk;
    int refuse;
    bool codesChange;
    int code, logins, syncs;
  } cases[] = {
      {"platform refuses the log-in at open", false, true, true, 0, false, 100, 0, 0},
      {"token refused once: one more log-in, one more reconciliation", true, true, true, 1, true, 0, 2, 2},
      {"token refused twice", true, true, true, 2, false, 101, 2, 2},
      {"reconciliation fails", true, true, false, 0, false, 101, 1, 1},
      {"log-in fails", true, false, true, 0, false, 100, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeManagerScript script;
    script.openOk = c.openOk;
    script.loginOk = c.loginOk;
    script.syncOk = c.syncOk;
    script.refuseTokenOnSync = c.refuse;
    script.codesChange = c.codesChange;
    journal_.messages.clear();
    journal_.authCodes.clear();
    CDataSynchronizer& service = Make();
    service.ApplyHiddenSettings({true, "site-7", 15, 3});
    service.SetBIoTManagerFactory([&](const CBIoTManagerSettings& settings) {
      script.seen = settings;
      return std::make_shared<FakeManager>(&script);
    });
    service.Initialize();
    service.Start();
    ASSERT_TRUE(WaitUntil([&] { return journal_.Count("MSG_DATASYNC_EXECUTED:12") >= 1; }, 60000));
    service.Stop();
    EXPECT_EQ(c.code, service.GetItemStatus(12).GetLastErrorCode());
    EXPECT_EQ(c.logins, script.logins.load());
    EXPECT_EQ(c.syncs, script.syncs.load());
    EXPECT_EQ("platform.example", script.seen.host);
    EXPECT_EQ(443, script.seen.port);
    EXPECT_TRUE(script.seen.tls);
    EXPECT_EQ("secret", script.seen.password);
    EXPECT_EQ("site-7", script.seen.siteID);
    std::lock_guard<std::mutex> hold(journal_.lock);
    if (c.codesChange) {
      ASSERT_EQ(1u, journal_.authCodes.size());
      EXPECT_EQ("code-1", journal_.authCodes[0].at(1));
      EXPECT_EQ("MSG_BIOT_ZAV_AUTH_CODE_UPDATED", journal_.messages.at(0).substr(0, 30));
    } else {
      EXPECT_TRUE(journal_.authCodes.empty());
    }
  }
  EXPECT_FALSE(PathExists(program_.Join("Data/DataSync_platform_example_Device_Data_12.dat")))
      << "a building-IoT run keeps no snapshot";
}

TEST_F(DataSynchronizerTest, BuildingIoTManagersSurviveStopAndStart) {
  AddCamera(1, "Lobby", "Box", 0, 1);
  CDataSynchronizerItem job = Job();
  job.SetTargetUrl("http://platform.example:8080/api");
  job.SetPeriod(0);
  SetJobs({job});
  FakeManagerScript script;
  CDataSynchronizer& service = Make();
  service.ApplyHiddenSettings({true, "", 15, 3});
  service.SetBIoTManagerFactory([&](const CBIoTManagerSettings& settings) {
    script.seen = settings;
    return std::make_shared<FakeManager>(&script);
  });
  service.Initialize();
  for (int round = 1; round <= 2; ++round) {
    const int before = journal_.Count("MSG_DATASYNC_EXECUTED:12");
    service.Start();
    ASSERT_TRUE(WaitUntil([&] { return journal_.Count("MSG_DATASYNC_EXECUTED:12") > before; }, 60000));
    service.Stop();
  }
  EXPECT_EQ(1, script.opens.load()) << "one manager for the job's whole life";
  EXPECT_EQ(1, script.logins.load());
  EXPECT_EQ(8080, script.seen.port);
  EXPECT_FALSE(script.seen.tls);
}

TEST_F(DataSynchronizerTest, DatabaseDownEndsEveryRunWithCodeTwo) {
  settings_app_.SetDatabasePort(FreeLoopbackPort());
  CDataSynchronizerItem job = Job();
  job.SetPeriod(3600);
  SetJobs({job});
  CDataSynchronizer& service = Make();
  service.Initialize();
  service.Start();
  ASSERT_TRUE(WaitUntil([&] { return journal_.Count("MSG_DATASYNC_EXECUTED:12") == 1; }, 60000));
  service.Stop();
  EXPECT_EQ(2, service.GetItemStatus(12).GetLastErrorCode());
  EXPECT_EQ(0, peer_.RequestCount());
  EXPECT_FALSE(PathExists(program_.Join("Data/DataSync_127_0_0_1_Device_Data_12.dat")));
}

}  // namespace
