// The NVR data synchronizer against two databases of one real MariaDB (the
// central one and an NVR's, both from the creation script) and a python fake
// of the NVR's management service that records its requests.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "SyncServiceTest.h"
#include "NetPeers.h"
#include "foundation/ProcessLogCapture.h"
#include "foundation/FileUtil.h"
#include "shell/AppFolders.h"
#include "support/ProgramUnderTest.h"
#include "entities/base/EntitySchema.h"
#include "sync/NvrDataSynchronizer.h"

namespace {

const char* const kFiveTables =
    "CHECKSUM TABLE TBL_Camera, TBL_Camera_Group, TBL_Camera_Group_Camera_List, TBL_User, TBL_UserPermissions";

class NvrSyncTest : public SyncServiceTest {
 protected:
  NvrSyncTest() : SyncServiceTest("nvr_central") {}

  void SetUp() override {
    SyncServiceTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    std::string error;
    nvr_ = CreateScratchDatabase(db_, "nvr1", &error);
    ASSERT_FALSE(nvr_.empty()) << error;
    ASSERT_TRUE(RunSqlScript(db_, nvr_, GetDatabaseCreationScript(), &error)) << error;
    // The rig: the NVR's recording server is central Zav 1 at the job's
    // address; the NVR has its own Zav, user 1, its management client and
    // the permissions it knows, and is in sync mode.
    Central("INSERT INTO TBL_Zav (no, name, addr) VALUES (1, 'nvr', '127.0.0.1')");
    Central("INSERT INTO TBL_Zav (no, name, addr) VALUES (2, 'other', '10.9.9.9')");
    Central("INSERT INTO TBL_User (no, id, password) VALUES (1, 'admin', 'adminpw')");
    Nvr("INSERT INTO TBL_Zav (no, name, addr) VALUES (5, 'self', '127.0.0.1')");
    Nvr("INSERT INTO TBL_User (no, id, password) VALUES (1, 'admin', 'adminpw')");
    Nvr("INSERT INTO TBL_Client (ClientID, name, kind, web_port, UserID, access_time) VALUES (7, 'm', 1001, " +
        std::to_string(peer_.port()) + ", 1, '2024-01-01 00:00:00')");
    Nvr("INSERT INTO TBL_Client (ClientID, name, kind, web_port, UserID, access_time) VALUES (8, 'old', 1001, 1, 1, "
        "'2023-01-01 00:00:00')");
    Nvr("INSERT INTO TBL_Permissions (PermissionID, Name) VALUES (3000, 'camera'), (4000, 'group')");
    Nvr("INSERT INTO TBL_SystemSettings (Category, `Key`, Setting) VALUES (1, 'ZmsSyncMode', '1')");
  }
  void TearDown() override {
    service_.reset();
    if (!nvr_.empty()) DropScratchDatabase(db_, nvr_);
    SyncServiceTest::TearDown();
  }

  void Nvr(const std::string& sql) { SqlOn(nvr_, sql); }
  // The rows of an NVR query as "a|b|c" lines.
  std::string NvrRows(const std::string& query) { return QueryRows(db_, nvr_, query); }

  CNvrDataSynchronizerItem Job(int port = -1) {
    CNvrDataSynchronizerItem job;
    job.SetID(12);
    job.SetPeriod(3600);
    job.SetTargetAddress("127.0.0.1");
    job.SetTargetPort(port < 0 ? static_cast<int>(db_.port) : port);
    job.SetTargetName(nvr_);
    job.SetTargetLoginID(db_.user);
    job.SetTargetPasswordPlain(db_.password);
    return job;
  }
  // Starts the service with `job`; its first run goes on meanwhile.
  void Begin(const CNvrDataSynchronizerItem& job) {
    CNvrDataSynchronizerItems items;
    items.SetItems({job});
    settings_.Option_SetNvrDataSyncItems(items);
    unlink(program_.Join("Data/NvrDataSync_" + job.GetTargetAddress() + "_Status_12.dat").c_str());
    service_ = std::make_unique<CNvrDataSynchronizer>(settings_, clock_);
    Launch(*service_);
  }
  // Starts the service with `job` and waits for its first run's code.
  int StartAndRun(const CNvrDataSynchronizerItem& job) {
    Begin(job);
    EXPECT_TRUE(WaitForRuns(1));
    return service_->GetItemStatus(12).GetLastErrorCode();
  }
  // One more run of the started service.
  int RunAgain() {
    const int before = runs_.Count();
    clock_->AdvanceMillis(3600 * 1000);
    EXPECT_TRUE(WaitForRuns(before + 1));
    return service_->GetItemStatus(12).GetLastErrorCode();
  }

  std::string nvr_;
  std::unique_ptr<CNvrDataSynchronizer> service_;
};


TEST_F(NvrSyncTest, CopiesCamerasGroupsLinksUsersAndPermissionsThenASecondRunChangesNothing) {
  Central("INSERT INTO TBL_Camera (no, name, zav_no, zav_channel, device_type) VALUES (3, 'Lobby', 1, 1, 'Box'), "
          "(7, 'Gate', 1, 2, 'Box'), (9, 'Elsewhere', 2, 1, 'Box'), (11, 'Gate', 1, 3, 'Dome')");
  Central("INSERT INTO TBL_Camera_Group (no, group_name, _order_, parent_no) VALUES (1, 'Root', 1, 0), "
          "(4, 'Doors', 2, 1)");
  Central("INSERT INTO TBL_Camera_Group_Camera_List (camera_group_no, camera_no, _order_) VALUES (4, 3, 1), "
          "(4, 7, 2), (4, 9, 3), (4, 11, 4)");
  Central("INSERT INTO TBL_User (no, id, password, camera_list, camera_group_list) VALUES "
          "(2, 'bob', 'bobpw', '7,9,3', '4')");
  Central("INSERT INTO TBL_UserPermissions (UserID, PermissionID, PrivilegeValue, DeviceID, DeviceGroupID) VALUES "
          "(2, 3000, '1', 3, 0), (2, 3000, '1', 7, 0), (2, 3000, '1', 9, 0), (2, 4000, '1', 0, 4), "
          "(2, 5000, '1', 0, 0)");
  // NVR rows to be replaced: a camera of a vanished name, two of one name.
  Nvr("INSERT INTO TBL_Camera (no, name, zav_no) VALUES (20, 'Gone', 5), (21, 'Lobby', 5), (22, 'Lobby', 5)");

  ProcessLogCapture log;
  ASSERT_EQ(0, StartAndRun(Job()));
  // Cameras by name with the NVR's own Zav; the higher of two 'Lobby' rows stays.
  EXPECT_EQ("22|Lobby|5|1\n23|Gate|5|2\n",
            NvrRows("SELECT no, name, zav_no, zav_channel FROM TBL_Camera WHERE IFNULL(IsDeleted, 0) = 0 ORDER BY no"));
  const std::string doors = NvrRows("SELECT no FROM TBL_Camera_Group WHERE group_name = 'Doors'");
  EXPECT_EQ("Root|1|0\nDoors|2|1\n", NvrRows("SELECT group_name, _order_, parent_no FROM TBL_Camera_Group ORDER BY no"));
  const std::string g = doors.substr(0, doors.size() - 1);
  EXPECT_EQ(g + "|22|1\n" + g + "|23|2\n",
            NvrRows("SELECT camera_group_no, camera_no, _order_ FROM TBL_Camera_Group_Camera_List ORDER BY camera_no"));
  EXPECT_EQ("1|admin|adminpw||\n2|bob|bobpw|23,22|" + g + "\n",
            NvrRows("SELECT no, id, password, IFNULL(camera_list, ''), IFNULL(camera_group_list, '') FROM TBL_User "
                    "WHERE IFNULL(IsDeleted, 0) = 0 ORDER BY no"));
  // Permissions translated; a camera of another recording server and a
  // permission the NVR does not know are left out.
  EXPECT_EQ("2|3000|22|0\n2|3000|23|0\n2|4000|0|" + g + "\n",
            NvrRows("SELECT UserID, PermissionID, DeviceID, DeviceGroupID FROM TBL_UserPermissions "
                    "ORDER BY PermissionID, DeviceID"));
  EXPECT_NE(std::string::npos, log.Text().find("INFO - [12] TBL_Camera data upadted.\r\n"));
  EXPECT_EQ(std::vector<std::string>{"GET /system/database.cgi?table=&client=0 HTTP/1.1"}, peer_.Requests());
  EXPECT_EQ("2024-03-05 07:08:09", service_->GetItemStatus(12).GetLastDateTimeSynchronized());
  EXPECT_TRUE(PathExists(program_.Join("Data/NvrDataSync_127.0.0.1_Status_12.dat")));

  // A second run with no change checks every table, writes nothing and
  // opens no transaction on the NVR.
  const std::string before = NvrRows(kFiveTables);
  const std::vector<std::string> statementsBefore = StatementsOn(nvr_);
  ASSERT_EQ(1u, CountStarting(statementsBefore, "START TRANSACTION"));
  const size_t logMark = log.Text().size();
  EXPECT_EQ(0, RunAgain());
  EXPECT_EQ(before, NvrRows(kFiveTables));
  const std::vector<std::string> statementsAfter = StatementsOn(nvr_);
  const std::vector<std::string> secondRun(statementsAfter.begin() + static_cast<long>(statementsBefore.size()),
                                           statementsAfter.end());
  EXPECT_FALSE(secondRun.empty()) << "the second run read the NVR's tables";
  for (const char* write : {"START TRANSACTION", "INSERT", "UPDATE", "DELETE", "COMMIT"}) {
    EXPECT_EQ(0u, CountStarting(secondRun, write)) << write;
  }
  EXPECT_EQ(std::string::npos, log.Text().find("upadted", logMark)) << log.Text();
  EXPECT_EQ(1u, peer_.Requests().size()) << "no change: no request";

  // A rename deletes and adds; a zav_no-only difference on the NVR sends nothing.
  Central("UPDATE TBL_Camera SET name = 'Hall' WHERE no = 3");
  Nvr("UPDATE TBL_Camera SET zav_no = 77 WHERE no = 23");
  EXPECT_EQ(0, RunAgain());
  EXPECT_EQ("23|Gate|77\n24|Hall|5\n", NvrRows("SELECT no, name, zav_no FROM TBL_Camera WHERE IFNULL(IsDeleted, 0) = 0 ORDER BY no"));
  EXPECT_EQ("2|3000|23\n2|3000|24\n",
            NvrRows("SELECT UserID, PermissionID, DeviceID FROM TBL_UserPermissions WHERE PermissionID = 3000 "
                    "ORDER BY DeviceID"));
  EXPECT_EQ(2u, peer_.Requests().size());
}

TEST_F(NvrSyncTest, RunCodes) {
  ProcessLogCapture log;
  struct Case {
    const char* name;
    std::function<void(CNvrDataSynchronizerItem*)> arrange;
    int code;
    const char* line;
  } cases[] = {
      {"port 0", [](CNvrDataSynchronizerItem* job) { job->SetTargetPort(0); }, 2,
       "ERROR - [12] Error raised when connect target database. (Testing)\r\n"},
      {"dead port", [](CNvrDataSynchronizerItem* job) { job->SetTargetPort(FreeLoopbackPort()); }, 2, nullptr},
      {"no central recording server at the address",
       [&](CNvrDataSynchronizerItem*) { Central("UPDATE TBL_Zav SET addr = '127.0.0.2' WHERE no = 1"); }, 3,
       "ERROR - [12] Can't find zav. (127.0.0.1)\r\n"},
      {"not in sync mode", [&](CNvrDataSynchronizerItem*) { Nvr("DELETE FROM TBL_SystemSettings"); }, 4,
       "INFO - [12] the nvr is not sync mode. (127.0.0.1)\r\n"},
  };
  Central("INSERT INTO TBL_Camera (no, name, zav_no) VALUES (3, 'Lobby', 1)");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CNvrDataSynchronizerItem job = Job();
    c.arrange(&job);
    EXPECT_EQ(c.code, StartAndRun(job));
    service_->Stop();
    if (c.line) EXPECT_NE(std::string::npos, log.Text().find(c.line)) << log.Text();
    EXPECT_EQ("", NvrRows("SELECT no FROM TBL_Camera"));
    Nvr("DELETE FROM TBL_SystemSettings");
    Nvr("INSERT INTO TBL_SystemSettings (Category, `Key`, Setting) VALUES (1, 'ZmsSyncMode', '1')");
    Central("UPDATE TBL_Zav SET addr = '127.0.0.1' WHERE no = 1");
  }
  EXPECT_TRUE(peer_.Requests().empty());
}

TEST_F(NvrSyncTest, SyncModeIsSetAndTheRestartAskedForBeforeTheTables) {
  Nvr("DELETE FROM TBL_SystemSettings");
  settings_.SetLong(0, "ChangeNvrSyncMode", 1);
  settings_.SetString(0, "ZmsAddress", "10.0.0.99");
  settings_.SetLong(0, "ZmsPort", 8080);
  settings_.SetSystemLoginID("zms");
  Central("INSERT INTO TBL_Camera (no, name, zav_no) VALUES (3, 'Lobby', 1)");
  EXPECT_EQ(6, StartAndRun(Job()));
  EXPECT_EQ("ZmsSyncAddress|10.0.0.99\nZmsSyncMode|1\nZmsSyncPort|8080\nZmsSyncUser|zms\n",
            NvrRows("SELECT `Key`, Setting FROM TBL_SystemSettings WHERE `Key` LIKE 'ZmsSync%' AND `Key` <> "
                    "'ZmsSyncPassword' ORDER BY `Key`"));
  EXPECT_EQ(std::vector<std::string>{"GET /system/restart.cgi?id=admin&password=adminpw&client=7&reason=2 HTTP/1.1"},
            peer_.Requests());
  // ZmsSyncMode is written last: an NVR read between the writes is never in
  // sync mode with half its sync settings.
  std::vector<std::string> writes;
  for (const std::string& statement : StatementsOn(nvr_)) {
    if (statement.find("ZmsSync") != std::string::npos && statement.rfind("SELECT", 0) != 0) writes.push_back(statement);
  }
  ASSERT_GE(writes.size(), 5u) << "one write for each of the five values";
  EXPECT_NE(std::string::npos, writes.back().find("ZmsSyncMode")) << writes.back();
  EXPECT_EQ("", NvrRows("SELECT no FROM TBL_Camera")) << "the tables wait for the next run";
  EXPECT_EQ(0, RunAgain());
  EXPECT_EQ("Lobby\n", NvrRows("SELECT name FROM TBL_Camera"));
}

TEST_F(NvrSyncTest, AFailedWriteLeavesTheNvrTablesAsTheyWere) {
  Central("INSERT INTO TBL_Camera (no, name, zav_no) VALUES (3, 'Lobby', 1)");
  Central("INSERT INTO TBL_User (no, id, password) VALUES (2, 'bob', 'pw')");
  Central("INSERT INTO TBL_UserPermissions (UserID, PermissionID, DeviceID) VALUES (2, 3000, 3)");
  Nvr("CREATE TRIGGER refuse BEFORE INSERT ON TBL_UserPermissions FOR EACH ROW SIGNAL SQLSTATE '45000'");
  const std::string before = NvrRows(kFiveTables);
  EXPECT_EQ(5, StartAndRun(Job()));
  EXPECT_EQ(before, NvrRows(kFiveTables));
  EXPECT_TRUE(peer_.Requests().empty());
  EXPECT_EQ("", service_->GetItemStatus(12).GetLastDateTimeSynchronized());

  Nvr("DROP TRIGGER refuse");
  EXPECT_EQ(0, RunAgain());
  EXPECT_EQ("bob|3000|Lobby\n", NvrRows("SELECT u.id, p.PermissionID, c.name FROM TBL_UserPermissions p JOIN TBL_User u "
                                        "ON u.no = p.UserID JOIN TBL_Camera c ON c.no = p.DeviceID"));
}

// The NVR's session is killed while a check writes (the camera insert waits
// in a trigger): the run fails as a whole, the next one converges, and the
// one after finds nothing to do.
TEST_F(NvrSyncTest, AKilledNvrSessionMidCheckLeavesNothingAndTheNextRunConverges) {
  Central("INSERT INTO TBL_Camera (no, name, zav_no) VALUES (3, 'Lobby', 1), (7, 'Gate', 1)");
  Central("INSERT INTO TBL_User (no, id, password, camera_list) VALUES (2, 'bob', 'pw', '3,7')");
  Central("INSERT INTO TBL_UserPermissions (UserID, PermissionID, DeviceID) VALUES (2, 3000, 3), (2, 3000, 7)");
  Nvr("CREATE TRIGGER slow BEFORE INSERT ON TBL_Camera FOR EACH ROW DO SLEEP(2)");
  const std::string before = NvrRows(kFiveTables);

  Begin(Job());
  ASSERT_TRUE(KillSessionRunning(nvr_, "DO SLEEP"));
  ASSERT_TRUE(WaitForRuns(1));
  const int code = service_->GetItemStatus(12).GetLastErrorCode();
  EXPECT_TRUE(code == 5 || code == 2) << code;
  EXPECT_EQ(before, NvrRows(kFiveTables));
  EXPECT_TRUE(peer_.Requests().empty());
  EXPECT_EQ("", service_->GetItemStatus(12).GetLastDateTimeSynchronized());

  Nvr("DROP TRIGGER slow");
  EXPECT_EQ(0, RunAgain());
  EXPECT_EQ("bob|Gate\nbob|Lobby\n",
            NvrRows("SELECT u.id, c.name FROM TBL_UserPermissions p JOIN TBL_User u ON u.no = p.UserID JOIN "
                    "TBL_Camera c ON c.no = p.DeviceID ORDER BY c.name"));
  EXPECT_EQ(1u, peer_.Requests().size());
  const std::string converged = NvrRows(kFiveTables);
  const size_t transactions = CountStarting(StatementsOn(nvr_), "START TRANSACTION");
  EXPECT_EQ(0, RunAgain());
  EXPECT_EQ(converged, NvrRows(kFiveTables));
  EXPECT_EQ(transactions, CountStarting(StatementsOn(nvr_), "START TRANSACTION"));
  EXPECT_EQ(1u, peer_.Requests().size());
}

// Stop while a run's transaction waits on the NVR: Stop returns within the
// statement's wait, and the transaction is not cut in half (the run commits
// whole, its reload included).
TEST_F(NvrSyncTest, StopWaitsForTheOpenTransactionAndNeverLeavesItHalfDone) {
  Central("INSERT INTO TBL_Camera (no, name, zav_no) VALUES (3, 'Lobby', 1)");
  Central("INSERT INTO TBL_User (no, id, password) VALUES (2, 'bob', 'pw')");
  Central("INSERT INTO TBL_UserPermissions (UserID, PermissionID, DeviceID) VALUES (2, 3000, 3)");
  Nvr("CREATE TRIGGER slow BEFORE INSERT ON TBL_Camera FOR EACH ROW DO SLEEP(2)");
  Begin(Job());
  ASSERT_TRUE(WaitForStatement(nvr_, "DO SLEEP"));
  const auto start = std::chrono::steady_clock::now();
  service_->Stop();
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, std::chrono::seconds(10));
  EXPECT_EQ(1, runs_.Count());
  EXPECT_EQ(0, service_->GetItemStatus(12).GetLastErrorCode());
  EXPECT_EQ("bob|Lobby\n", NvrRows("SELECT u.id, c.name FROM TBL_UserPermissions p JOIN TBL_User u ON u.no = "
                                   "p.UserID JOIN TBL_Camera c ON c.no = p.DeviceID"));
  EXPECT_EQ(std::vector<std::string>{"GET /system/database.cgi?table=&client=0 HTTP/1.1"}, peer_.Requests());
}

TEST_F(NvrSyncTest, CentralDatabaseDownFailsEveryJobWithCodeTwo) {
  Central("INSERT INTO TBL_Camera (no, name, zav_no) VALUES (3, 'Lobby', 1)");
  settings_.SetDatabasePort(FreeLoopbackPort());
  const std::string before = NvrRows(kFiveTables);
  EXPECT_EQ(2, StartAndRun(Job()));
  EXPECT_EQ(before, NvrRows(kFiveTables));
  EXPECT_TRUE(peer_.Requests().empty());
}

// A reload the management service did not answer with 200 keeps the commit
// and is asked for again at the next run, also one with nothing to write,
// until it is answered.
TEST_F(NvrSyncTest, AFailedReloadKeepsTheCommitAndIsAskedForAgainUntilAnswered) {
  ProcessLogCapture log;
  Central("INSERT INTO TBL_Camera (no, name, zav_no) VALUES (3, 'Lobby', 1)");
  peer_.SetStatus(500);
  EXPECT_EQ(0, StartAndRun(Job()));
  EXPECT_EQ("Lobby\n", NvrRows("SELECT name FROM TBL_Camera"));
  EXPECT_EQ("2024-03-05 07:08:09", service_->GetItemStatus(12).GetLastDateTimeSynchronized());
  EXPECT_NE(std::string::npos, log.Text().find("ERROR - [12] Error raised when call database.cgi.\r\n"));
  EXPECT_EQ(1u, peer_.Requests().size());
  EXPECT_EQ(0, RunAgain());
  EXPECT_EQ(2u, peer_.Requests().size()) << "owed: asked again";
  peer_.SetStatus(200);
  EXPECT_EQ(0, RunAgain());
  EXPECT_EQ(3u, peer_.Requests().size());
  EXPECT_EQ(0, RunAgain());
  EXPECT_EQ(3u, peer_.Requests().size()) << "answered: not asked again";
}

// Start removes the status files of jobs that no longer exist, and only this
// service's (the dotted address does not confuse the job number).
TEST_F(NvrSyncTest, StartRemovesStaleStatusFilesOfThisServiceOnly) {
  const std::string stale = program_.Join("Data/NvrDataSync_10.0.0.1_Status_40.dat");
  const std::string other = program_.Join("Data/HTNvrDataSync_10.0.0.1_Status_41.dat");
  CreateDirectoryPath(program_.Join("Data"));
  for (const std::string& path : {stale, other}) WriteTestFile(path, "x");
  EXPECT_EQ(0, StartAndRun(Job()));
  EXPECT_FALSE(PathExists(stale));
  EXPECT_TRUE(PathExists(other));
  EXPECT_TRUE(PathExists(program_.Join("Data/NvrDataSync_127.0.0.1_Status_12.dat")));
}

TEST_F(NvrSyncTest, ChangedLoginPasswordAsksForARestartWithOldAndNewLogin) {
  ASSERT_EQ(0, StartAndRun(Job()));
  Central("UPDATE TBL_User SET password = 'newpw' WHERE no = 1");
  EXPECT_EQ(0, RunAgain());
  const std::vector<std::string> requests = peer_.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ("GET /system/restart.cgi?id=admin&password=adminpw&client=7&reason=2&restartloginid=admin&"
            "restartpassword=newpw HTTP/1.1",
            requests.back());
}

}  // namespace
