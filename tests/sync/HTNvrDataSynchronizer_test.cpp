// The HT NVR synchronizer against the real MariaDB of the test command (the
// central database), the fake Hitron NVR of the recorder tests and a python
// fake of the management server that records its reload requests.
#include <gtest/gtest.h>

#include <mutex>

#include "FakeHitronNvr.h"
#include "ManagementPeer.h"
#include "SyncServiceSupport.h"
#include "NetPeers.h"
#include "foundation/ProcessLogCapture.h"
#include "platform/ProgramFolder.h"
#include "shell/AppFolders.h"
#include "shell/LocalAppSettings.h"
#include "support/InstallationDatabaseTest.h"
#include "support/ProgramUnderTest.h"
#include "sync/HTNvrDataSynchronizer.h"

namespace {

constexpr uint32_t kLoginReply = 0x80000001;
constexpr uint32_t kListReply = 0x80020000;
constexpr size_t kLoginPacket = 208;
constexpr size_t kListPacket = 72;
constexpr size_t kRecordSize = 2736;
constexpr size_t kNameOffset = 2620;

std::string Word(uint32_t w) {
  std::string out;
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((w >> (8 * i)) & 0xFF));
  return out;
}

// A camera-list reply: 40 bytes, the count, then one record per channel with
// its channel number at offset 8 and its name at offset 2620.
std::string CameraList(const std::map<int, std::string>& channels) {
  std::string payload(40, '\0');
  payload += Word(static_cast<uint32_t>(channels.size()));
  for (const auto& [channel, name] : channels) {
    std::string record(kRecordSize, '\0');
    record.replace(8, 4, Word(static_cast<uint32_t>(channel)));
    record.replace(kNameOffset, name.size(), name);
    payload += record;
  }
  return FakeHitronNvr::Reply(kListReply, payload);
}

std::vector<FakeHitronNvr::Step> Serving(const std::map<int, std::string>& channels) {
  return {{kLoginPacket, FakeHitronNvr::Reply(kLoginReply, std::string(16, '\0'))},
          {kListPacket, CameraList(channels)}};
}


class HTNvrSyncTest : public InstallationDatabaseTest {
 protected:
  HTNvrSyncTest() : InstallationDatabaseTest("htnvr_central") {}

  void SetUp() override {
    InstallationDatabaseTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_TRUE(zms_.Start());
    platform::SetProgramFolderOverride(program_.path());
    CreateDirectoryPath(program_.Join("Settings"));
    settings_.Load(GetAppSettingsFilePath());
    settings_.SetDatabaseAddress(db_.host);
    settings_.SetDatabasePort(static_cast<int>(db_.port));
    settings_.SetDatabaseName(name_);
    settings_.SetDatabaseLoginID(db_.user);
    settings_.SetDatabasePassword(db_.password);
    settings_.SetString(0, "ZmsAddress", "127.0.0.1");
    settings_.SetLong(0, "ZmsPort", zms_.port());
    Sql("INSERT INTO TBL_SystemSettings (Category, `Key`, Setting) VALUES (1, 'PasswordEncrypted', '1')");
    Sql("INSERT INTO TBL_Camera_Group (no, group_name) VALUES (1, 'All'), (5, 'HT')");
    Sql("INSERT INTO TBL_User (no, id, password) VALUES (1, 'admin', 'x')");
    Sql("INSERT INTO TBL_Camera (no, name, addr, _order_) VALUES (40, 'Elsewhere', '10.1.1.1', 10)");
    Sql("INSERT INTO TBL_Camera_Group_Camera_List (camera_group_no, camera_no, _order_) VALUES (1, 40, 3)");
    clock_->SetNowMicros(int64_t{1709622489} * 1000000);
  }
  void TearDown() override {
    service_.reset();
    platform::SetProgramFolderOverride("");
    InstallationDatabaseTest::TearDown();
  }
  void Sql(const std::string& sql) {
    std::string error;
    ASSERT_TRUE(RunSqlScript(db_, name_, sql, &error)) << error;
  }
  std::string Rows(const std::string& query) { return QueryRows(db_, name_, query); }
  CHTNvrDataSynchronizerItem Job(int port) {
    CHTNvrDataSynchronizerItem job;
    job.SetID(12);
    job.SetPeriod(3600);
    job.SetTargetAddress("127.0.0.1");
    job.SetTargetPort(port);
    job.SetTargetLoginID("admin");
    job.SetTargetPassword(EncipherJobPassword("admin"));
    job.SetTargetGroup("HT");
    return job;
  }
  // Starts the service on `job`, waits for one run, stops it; the run's code.
  int RunOnce(const CHTNvrDataSynchronizerItem& job) {
    CHTNvrDataSynchronizerItems items;
    items.SetItems({job});
    settings_.Option_SetHTNvrDataSyncItems(items);
    clock_->AdvanceMillis(3600 * 1000);
    service_ = std::make_unique<CHTNvrDataSynchronizer>(settings_, clock_);
    service_->SetSchedulePeriodMs(100);
    RunCounter runs;
    service_->Subscribe("test", &RunCounter::OnMessage, &runs, nullptr);
    service_->Initialize();
    service_->Start();
    EXPECT_TRUE(WaitUntil([&] { return runs.Count() >= 1; }, 120000));
    service_->Stop();
    service_->UnsubscribeAll();
    return service_->GetItemStatus(12).GetLastErrorCode();
  }
  std::string Cameras() {
    return Rows("SELECT no, name, sub_channel, _order_ FROM TBL_Camera WHERE addr = '127.0.0.1' AND "
                "IFNULL(IsDeleted, 0) = 0 ORDER BY no");
  }
  const char* kChecksum = "CHECKSUM TABLE TBL_Camera, TBL_Camera_Group_Camera_List, TBL_UserPermissions";

  ManagementPeer zms_;
  TempDir program_;
  CLocalAppSettings settings_;
  std::shared_ptr<platform::ManualClock> clock_ = std::make_shared<platform::ManualClock>();
  std::unique_ptr<CHTNvrDataSynchronizer> service_;
};

TEST_F(HTNvrSyncTest, NewChannelsBecomeCamerasLinkedAndGrantedThenFollowTheList) {
  {
    FakeHitronNvr nvr(Serving({{0, "Front"}, {2, "Back"}}));
    ASSERT_EQ(0, RunOnce(Job(nvr.port())));
    const std::string port = std::to_string(nvr.port());
    EXPECT_EQ("1|SNR-64600S|Video Server|Front|HitronSystems|SNR-64600S|0|0|127.0.0.1|admin|"
              "DE/ezEp+Lw+LFByBAvAG4A==|80|" + port + "|1/stream1|554|1/stream2|554|1/stream1|1/stream2|1|1|1|11|1\n"
              "1|SNR-64600S|Video Server|Back|HitronSystems|SNR-64600S|0|0|127.0.0.1|admin|"
              "DE/ezEp+Lw+LFByBAvAG4A==|80|" + port + "|3/stream1|554|3/stream2|554|3/stream1|3/stream2|1|1|3|12|1\n",
              Rows("SELECT enable, model_type, device_type, name, vendor, model_name, zav_no, zav_channel, addr, id, "
                   "password, web_port, service_port, stream1_url, stream1_port, stream2_url, stream2_port, "
                   "high_res_url, low_res_url, cont_rec_stream, event_rec_stream, sub_channel, _order_, PTZControl "
                   "FROM TBL_Camera WHERE addr = '127.0.0.1' ORDER BY sub_channel"));
  }
  EXPECT_EQ("All|40|3\nAll|Back|5\nAll|Front|4\nHT|Back|2\nHT|Front|1\n",
            Rows("SELECT g.group_name, IFNULL(c.name, l.camera_no), l._order_ FROM TBL_Camera_Group_Camera_List l "
                 "JOIN TBL_Camera_Group g ON g.no = l.camera_group_no LEFT JOIN TBL_Camera c ON c.no = l.camera_no "
                 "AND c.addr = '127.0.0.1' ORDER BY g.group_name, 2")
);
  EXPECT_EQ("Back|3000|4|1\nFront|3000|4|1\n",
            Rows("SELECT c.name, p.PermissionID, p.PrivilegeType, p.PrivilegeValue FROM TBL_UserPermissions p "
                 "JOIN TBL_Camera c ON c.no = p.DeviceID WHERE p.UserID = 1 ORDER BY c.name"));
  EXPECT_EQ(std::vector<std::string>{"GET /system/database.cgi?table=&client=0 HTTP/1.1"}, zms_.Requests());
  EXPECT_TRUE(PathExists(program_.Join("Data/HTNvrDataSync_127.0.0.1_Status_12.dat")));
  EXPECT_EQ("", service_->GetItemStatus(12).GetLastDateTimeSynchronized());

  const std::string before = Cameras();
  const std::string front = before.substr(0, before.find('|'));
  {
    // Channel 0 renamed, channel 2 gone.
    ProcessLogCapture log;
    FakeHitronNvr nvr(Serving({{0, "Front door"}}));
    ASSERT_EQ(0, RunOnce(Job(nvr.port()))) << log.Text();
  }
  EXPECT_EQ(front + "|Front door|1|11\n", Cameras());
  EXPECT_EQ("Front door\n", Rows("SELECT c.name FROM TBL_UserPermissions p JOIN TBL_Camera c ON c.no = p.DeviceID "
                                 "WHERE p.UserID = 1"));
  EXPECT_EQ("0\n", Rows("SELECT COUNT(*) FROM TBL_Camera_Group_Camera_List l JOIN TBL_Camera c ON c.no = "
                        "l.camera_no WHERE c.name = 'Back'"));
  EXPECT_EQ(2u, zms_.Requests().size());

  // The same list again: nothing written, no request.
  const std::string checksum = Rows(kChecksum);
  {
    FakeHitronNvr nvr(Serving({{0, "Front door"}}));
    ASSERT_EQ(0, RunOnce(Job(nvr.port())));
  }
  EXPECT_EQ(checksum, Rows(kChecksum));
  EXPECT_EQ(2u, zms_.Requests().size());

  // An empty but valid list: every camera of the address goes.
  {
    FakeHitronNvr nvr(Serving({}));
    ASSERT_EQ(0, RunOnce(Job(nvr.port())));
  }
  EXPECT_EQ("", Cameras());
  EXPECT_EQ("Elsewhere\n", Rows("SELECT name FROM TBL_Camera WHERE IFNULL(IsDeleted, 0) = 0"));
}

TEST_F(HTNvrSyncTest, TargetGroupOneIsLinkedOnceAndMissingGroupsAndUserAreLeftOut) {
  struct Case {
    const char* name;
    const char* targetGroup;
    const char* arrange;  // SQL before the run, or ""
    const char* links;    // "group|order" of the new camera's links
    const char* permissions;
  } cases[] = {
      {"target group is group 1", "All", "", "1|4\n", "1\n"},
      {"no such target group", "Nowhere", "", "1|4\n", "1\n"},
      {"neither group, no user 1", "Nowhere",
       "DELETE FROM TBL_Camera_Group WHERE no = 1; DELETE FROM TBL_User WHERE no = 1", "", "0\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Sql("DELETE FROM TBL_Camera WHERE addr = '127.0.0.1'");
    Sql("DELETE FROM TBL_UserPermissions");
    Sql("DELETE FROM TBL_Camera_Group_Camera_List WHERE camera_no <> 40");
    if (*c.arrange) {
      Sql("DELETE FROM TBL_Camera_Group WHERE no = 1");
      Sql("DELETE FROM TBL_User WHERE no = 1");
    }
    FakeHitronNvr nvr(Serving({{0, "Front"}}));
    CHTNvrDataSynchronizerItem job = Job(nvr.port());
    job.SetTargetGroup(c.targetGroup);
    ASSERT_EQ(0, RunOnce(job));
    EXPECT_EQ(c.links, Rows("SELECT l.camera_group_no, l._order_ FROM TBL_Camera_Group_Camera_List l JOIN "
                            "TBL_Camera c ON c.no = l.camera_no WHERE c.addr = '127.0.0.1'"));
    EXPECT_EQ(c.permissions, Rows("SELECT COUNT(*) FROM TBL_UserPermissions"));
  }
}

TEST_F(HTNvrSyncTest, FailuresWriteNothing) {
  ProcessLogCapture log;
  const std::string before = Rows(kChecksum);
  struct Case {
    const char* name;
    std::vector<FakeHitronNvr::Step> script;
    bool portZero;
    bool databaseDown;
    int code;
  } cases[] = {
      {"port 0", {}, true, false, 2},
      {"login refused", {{kLoginPacket, FakeHitronNvr::Reply(0x80000002, "")}}, false, false, 3},
      {"list malformed",
       {{kLoginPacket, FakeHitronNvr::Reply(kLoginReply, std::string(16, '\0'))},
        {kListPacket, FakeHitronNvr::Reply(kListReply, std::string(40, '\0') + Word(3))}},
       false, false, 4},
      {"central database down", {}, false, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHitronNvr nvr(c.script);
    if (c.databaseDown) settings_.SetDatabasePort(FreeLoopbackPort());
    EXPECT_EQ(c.code, RunOnce(Job(c.portZero ? 0 : nvr.port())));
    settings_.SetDatabasePort(static_cast<int>(db_.port));
    EXPECT_EQ(before, Rows(kChecksum));
  }
  EXPECT_NE(std::string::npos, log.Text().find("ERROR - Error raised when connect to nvr.(127.0.0.1:0)\r\n"));
  EXPECT_NE(std::string::npos, log.Text().find("ERROR - [12] Error raised when get camera from nvr.\r\n"));
  EXPECT_TRUE(zms_.Requests().empty());
}

TEST_F(HTNvrSyncTest, AFailedWriteRollsTheRunBack) {
  const std::string before = Rows(kChecksum);
  Sql("CREATE TRIGGER refuse BEFORE INSERT ON TBL_UserPermissions FOR EACH ROW SIGNAL SQLSTATE '45000'");
  {
    FakeHitronNvr nvr(Serving({{0, "Front"}, {1, "Side"}}));
    EXPECT_EQ(5, RunOnce(Job(nvr.port())));
  }
  EXPECT_EQ(before, Rows(kChecksum));
  EXPECT_TRUE(zms_.Requests().empty());
  Sql("DROP TRIGGER refuse");
  {
    FakeHitronNvr nvr(Serving({{0, "Front"}, {1, "Side"}}));
    EXPECT_EQ(0, RunOnce(Job(nvr.port())));
  }
  EXPECT_EQ("2\n", Rows("SELECT COUNT(*) FROM TBL_UserPermissions"));
}

}  // namespace
