// The HT NVR synchronizer against the real MariaDB of the test command (the
// central database), the fake Hitron NVR of the recorder tests and a python
// fake of the management server that records its reload requests.
#include <gtest/gtest.h>

#include <chrono>

#include "HitronReplies.h"
#include "SyncServiceTest.h"
#include "NetPeers.h"
#include "foundation/ProcessLogCapture.h"
#include "foundation/FileUtil.h"
#include "shell/AppFolders.h"
#include "support/ProgramUnderTest.h"
#include "sync/HTNvrDataSynchronizer.h"

namespace {

using namespace hitron_replies;

class HTNvrSyncTest : public SyncServiceTest {
 protected:
  HTNvrSyncTest() : SyncServiceTest("htnvr_central") {}

  void SetUp() override {
    SyncServiceTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    settings_.SetString(0, "ZmsAddress", "127.0.0.1");
    settings_.SetLong(0, "ZmsPort", peer_.port());
    Sql("INSERT INTO TBL_SystemSettings (Category, `Key`, Setting) VALUES (1, 'PasswordEncrypted', '1')");
    Sql("INSERT INTO TBL_Camera_Group (no, group_name) VALUES (1, 'All'), (5, 'HT')");
    Sql("INSERT INTO TBL_User (no, id, password) VALUES (1, 'admin', 'x')");
    Sql("INSERT INTO TBL_Camera (no, name, addr, _order_) VALUES (40, 'Elsewhere', '10.1.1.1', 10)");
    Sql("INSERT INTO TBL_Camera_Group_Camera_List (camera_group_no, camera_no, _order_) VALUES (1, 40, 3)");
  }
  void TearDown() override {
    service_.reset();
    SyncServiceTest::TearDown();
  }
  void Sql(const std::string& sql) { Central(sql); }
  std::string Rows(const std::string& query) { return CentralRows(query); }
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
  // Starts the service on `job`; its first run goes on meanwhile.
  void Begin(const CHTNvrDataSynchronizerItem& job) {
    CHTNvrDataSynchronizerItems items;
    items.SetItems({job});
    settings_.Option_SetHTNvrDataSyncItems(items);
    clock_->AdvanceMillis(3600 * 1000);
    service_ = std::make_unique<CHTNvrDataSynchronizer>(settings_, clock_);
    Launch(*service_);
  }
  // Starts the service on `job`, waits for one run, stops it; the run's code.
  int RunOnce(const CHTNvrDataSynchronizerItem& job) {
    Begin(job);
    EXPECT_TRUE(WaitForRuns(1));
    service_->Stop();
    service_->UnsubscribeAll();
    return service_->GetItemStatus(12).GetLastErrorCode();
  }
  std::string Cameras() {
    return Rows("SELECT no, name, sub_channel, _order_ FROM TBL_Camera WHERE addr = '127.0.0.1' AND "
                "IFNULL(IsDeleted, 0) = 0 ORDER BY no");
  }
  const char* kChecksum = "CHECKSUM TABLE TBL_Camera, TBL_Camera_Group_Camera_List, TBL_UserPermissions";

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
  EXPECT_EQ(std::vector<std::string>{"GET /system/database.cgi?table=&client=0 HTTP/1.1"}, peer_.Requests());
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
  EXPECT_EQ(2u, peer_.Requests().size());

  // The same list again: no transaction, nothing written, no request.
  const std::string checksum = Rows(kChecksum);
  const size_t transactions = CountStarting(StatementsOn(name_), "START TRANSACTION");
  EXPECT_EQ(2u, transactions);
  {
    FakeHitronNvr nvr(Serving({{0, "Front door"}}));
    ASSERT_EQ(0, RunOnce(Job(nvr.port())));
  }
  EXPECT_EQ(checksum, Rows(kChecksum));
  EXPECT_EQ(transactions, CountStarting(StatementsOn(name_), "START TRANSACTION"));
  EXPECT_EQ(2u, peer_.Requests().size());

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
       {{kLoginPacket, LoginAccepted()},
        {kListPacket, FakeHitronNvr::Reply(kListReply, std::string(40, '\0') + Word(3))}},
       false, false, 4},
      {"list cut off mid-reply",
       {{kLoginPacket, LoginAccepted()},
        {kListPacket, CameraList({{0, "Front"}, {1, "Side"}}).substr(0, 36 + 44 + kRecordSize / 2), true}},
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
  EXPECT_TRUE(peer_.Requests().empty());
}

TEST_F(HTNvrSyncTest, AFailedWriteRollsTheRunBack) {
  const std::string before = Rows(kChecksum);
  Sql("CREATE TRIGGER refuse BEFORE INSERT ON TBL_UserPermissions FOR EACH ROW SIGNAL SQLSTATE '45000'");
  {
    FakeHitronNvr nvr(Serving({{0, "Front"}, {1, "Side"}}));
    EXPECT_EQ(5, RunOnce(Job(nvr.port())));
  }
  EXPECT_EQ(before, Rows(kChecksum));
  EXPECT_TRUE(peer_.Requests().empty());
  Sql("DROP TRIGGER refuse");
  {
    FakeHitronNvr nvr(Serving({{0, "Front"}, {1, "Side"}}));
    EXPECT_EQ(0, RunOnce(Job(nvr.port())));
  }
  EXPECT_EQ("2\n", Rows("SELECT COUNT(*) FROM TBL_UserPermissions"));
}

// The central session is killed while the import writes (the camera insert
// waits in a trigger): nothing of the run stays, the next run converges and
// the one after is a no-op.
TEST_F(HTNvrSyncTest, AKilledCentralSessionMidWriteLeavesNothingAndTheNextRunConverges) {
  const std::string before = Rows(kChecksum);
  Sql("CREATE TRIGGER slow BEFORE INSERT ON TBL_Camera FOR EACH ROW DO SLEEP(2)");
  {
    FakeHitronNvr nvr(Serving({{0, "Front"}, {1, "Side"}}));
    Begin(Job(nvr.port()));
    ASSERT_TRUE(KillSessionRunning(name_, "DO SLEEP"));
    ASSERT_TRUE(WaitForRuns(1));
    service_->Stop();
    EXPECT_EQ(5, service_->GetItemStatus(12).GetLastErrorCode());
  }
  EXPECT_EQ(before, Rows(kChecksum));
  EXPECT_TRUE(peer_.Requests().empty());

  Sql("DROP TRIGGER slow");
  {
    FakeHitronNvr nvr(Serving({{0, "Front"}, {1, "Side"}}));
    EXPECT_EQ(0, RunOnce(Job(nvr.port())));
  }
  EXPECT_EQ("Front|1\nSide|2\n", Rows("SELECT name, sub_channel FROM TBL_Camera WHERE addr = '127.0.0.1' ORDER BY no"));
  EXPECT_EQ("2\n", Rows("SELECT COUNT(*) FROM TBL_UserPermissions"));
  EXPECT_EQ(1u, peer_.Requests().size());
  const std::string converged = Rows(kChecksum);
  const size_t transactions = CountStarting(StatementsOn(name_), "START TRANSACTION");
  {
    FakeHitronNvr nvr(Serving({{0, "Front"}, {1, "Side"}}));
    EXPECT_EQ(0, RunOnce(Job(nvr.port())));
  }
  EXPECT_EQ(converged, Rows(kChecksum));
  EXPECT_EQ(transactions, CountStarting(StatementsOn(name_), "START TRANSACTION"));
  EXPECT_EQ(1u, peer_.Requests().size());
}

// An NVR that takes the list request and then says nothing: Stop ends the
// wait at once instead of after the NVR's read time-out, and nothing is written.
TEST_F(HTNvrSyncTest, StopDuringASilentNvrReturnsBeforeTheReadTimeOut) {
  const std::string before = Rows(kChecksum);
  FakeHitronNvr nvr({{kLoginPacket, LoginAccepted()}});
  Begin(Job(nvr.port()));
  // Once the login request is read the run waits on the NVR (the login reply,
  // then a list reply that never comes).
  ASSERT_TRUE(WaitUntil([&] { return nvr.Requests().size() == 1 && nvr.Requests()[0].size() == kLoginPacket; },
                        120000));
  const auto start = std::chrono::steady_clock::now();
  service_->Stop();
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, std::chrono::milliseconds(CHTNVRAdapter::kTimeoutMs - 1000))
      << "Stop waited for the NVR's read time-out";
  EXPECT_EQ(before, Rows(kChecksum));
  EXPECT_TRUE(peer_.Requests().empty());
}

// A reload the management server did not answer with 200 keeps the commit
// and is asked for again at later passes.
TEST_F(HTNvrSyncTest, AFailedReloadKeepsTheCommitAndIsAskedForAgain) {
  ProcessLogCapture log;
  peer_.SetStatus(500);
  FakeHitronNvr nvr(Serving({{0, "Front"}}));
  Begin(Job(nvr.port()));
  ASSERT_TRUE(WaitForRuns(1));
  EXPECT_EQ(0, service_->GetItemStatus(12).GetLastErrorCode());
  EXPECT_TRUE(WaitUntil([&] { return peer_.Requests().size() >= 3; }, 120000)) << "asked again at later passes";
  service_->Stop();
  EXPECT_EQ("Front\n", Rows("SELECT name FROM TBL_Camera WHERE addr = '127.0.0.1'"));
  EXPECT_NE(std::string::npos,
            log.Text().find("ERROR - Error raised when request check database to ZMS.(127.0.0.1:" +
                            std::to_string(peer_.port()) + ")\r\n"));
}

// Start removes the status files of jobs that no longer exist, and only this
// service's (the dotted address does not confuse the job number).
TEST_F(HTNvrSyncTest, StartRemovesStaleStatusFilesOfThisServiceOnly) {
  const std::string stale = program_.Join("Data/HTNvrDataSync_10.0.0.1_Status_40.dat");
  const std::string other = program_.Join("Data/NvrDataSync_10.0.0.1_Status_41.dat");
  CreateDirectoryPath(program_.Join("Data"));
  for (const std::string& path : {stale, other}) WriteTestFile(path, "x");
  FakeHitronNvr nvr(Serving({{0, "Front"}}));
  EXPECT_EQ(0, RunOnce(Job(nvr.port())));
  EXPECT_FALSE(PathExists(stale));
  EXPECT_TRUE(PathExists(other));
  EXPECT_TRUE(PathExists(program_.Join("Data/HTNvrDataSync_127.0.0.1_Status_12.dat")));
}

}  // namespace
