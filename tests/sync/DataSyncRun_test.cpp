// One data synchronizer run end to end: rows of a real MariaDB, the job's
// snapshot file, and the request the python target records.
#include <gtest/gtest.h>

#include "SyncRunFixture.h"
#include "foundation/Base64.h"
#include "foundation/Log.h"
#include "foundation/ProcessLogCapture.h"
#include "support/TempDir.h"
#include "sync/SyncDevice.h"
#include "sync/SyncSnapshot.h"

namespace {

// The device objects of a posted or stored JSON array, one line each, "Key:Method:Name:SiteCode".
std::string Summary(const std::string& json) {
  TempDir dir;
  const std::string path = dir.Join("s.dat");
  WriteTestFile(path, json);
  SyncEntityMap map;
  if (!LoadSyncSnapshot(path, "Device", &map)) return "<no JSON array>";
  // The loader drops Method unless the node is named; read it back from the text instead.
  std::string out;
  for (const auto& [key, entity] : map) {
    auto device = std::dynamic_pointer_cast<CSyncDevice>(entity);
    size_t at = json.find("\"Key\":\"" + std::to_string(key) + "\"");
    size_t method = json.find("\"Method\":\"", at);
    std::string m = method == std::string::npos ? "?" : json.substr(method + 10, json.find('"', method + 10) - method - 10);
    out += std::to_string(key) + ":" + m + ":" + device->GetName() + ":" + device->GetSiteCode() + "\n";
  }
  return out;
}

class DataSyncRunTest : public SyncRunFixture {};

TEST_F(DataSyncRunTest, FirstRunPostsTheCamerasAsOneRequestAndKeepsThemInTheSnapshot) {
  AddZav(1, "10.0.0.5", 7000, 554);
  AddZav(2, "10.0.0.6", 7001, 0);
  AddCamera(5, "Lobby", "Box", 1, 2);
  AddCamera(3, "Yard", "video server", 2, 4);
  AddCamera(8, "Recorder", "NVR", 1, 1);      // not a camera kind the target learns of
  AddCamera(9, "Orphan", "Dome", 77, 3);      // no recording-server row
  CDataSynchronizerItem job = Job();
  job.SetTargetUrl(job.GetTargetUrl() + "?site=a&x=1");
  job.SetTargetLoginID("user");
  job.SetTargetPassword(EncipherJobPassword("pw"));
  job.SetTargetAuthMethod(1);

  CDataSyncResult result = Run(job);
  EXPECT_EQ(kDataSyncOk, result.code);
  EXPECT_TRUE(result.accepted);
  ASSERT_EQ(1, peer_.RequestCount());
  const std::string request = peer_.Request(1);
  const std::string body = PostedBody(1);
  const std::string head = "POST /r/ok?site=a&x=1 HTTP/1.1\r\nAccept: */*\r\nUser-Agent: ORVU\r\nHost: 127.0.0.1\r\n"
                           "Content-Length: " + std::to_string(body.size()) + "\r\nAuthorization: Basic " +
                           Base64EncodeText("user:pw") + "\r\nConnection: Keep-Alive\r\n\r\n";
  EXPECT_EQ(head, request.substr(0, head.size()));
  ASSERT_GE(body.size(), 4u);
  EXPECT_EQ("\r\n\r\n", body.substr(body.size() - 4));
  const std::string json = body.substr(0, body.size() - 4);
  EXPECT_EQ("3:Add:Yard:S1\n5:Add:Lobby:S1\n9:Add:Orphan:S1\n", Summary(json));
  EXPECT_NE(std::string::npos, json.find("\"ZavAddress\":\"10.0.0.5\", \"ZavChannel\":\"2\", "
                                         "\"RTSP_URL_H\":\"rtsp:\\/\\/10.0.0.5:554\\/2\\/stream1\""))
      << json;
  EXPECT_NE(std::string::npos, json.find("rtsp:\\/\\/10.0.0.6:7001\\/4\\/stream2")) << "RtspPort 0: service_port";
  EXPECT_NE(std::string::npos, json.find("\"ZavID\":\"77\", \"ZavAddress\":\"\", \"ZavChannel\":\"3\", "
                                         "\"RTSP_URL_H\":\"\", \"RTSP_URL_L\":\"\""))
      << json;
  EXPECT_EQ("3::Yard:S1\n5::Lobby:S1\n9::Orphan:S1\n", Summary(ReadTestFile(snapshotPath_)));

  // Nothing changed: no request, snapshot untouched, not "accepted".
  const std::string snapshot = ReadTestFile(snapshotPath_);
  result = Run(job);
  EXPECT_EQ(kDataSyncOk, result.code);
  EXPECT_FALSE(result.accepted);
  EXPECT_EQ(1, peer_.RequestCount());
  EXPECT_EQ(snapshot, ReadTestFile(snapshotPath_));
}

TEST_F(DataSyncRunTest, ChangesGoOutInKeyOrderAndADeleteCarriesTheValuesLastSent) {
  AddZav(1, "10.0.0.5", 7000, 554);
  for (int no : {2, 4, 6}) AddCamera(no, "cam" + std::to_string(no), "PTZ", 1, no);
  ASSERT_EQ(kDataSyncOk, Run(Job()).code);

  Exec("UPDATE TBL_Camera SET name = 'renamed' WHERE no = 4");
  Exec("UPDATE TBL_Camera SET device_type = 'NVR' WHERE no = 2");  // no longer sent: Delete
  Exec("DELETE FROM TBL_Camera WHERE no = 6");
  AddCamera(5, "new", "Dome", 1, 5);
  ASSERT_EQ(kDataSyncOk, Run(Job()).code);
  ASSERT_EQ(2, peer_.RequestCount());
  const std::string json = PostedBody(2).substr(0, PostedBody(2).size() - 4);
  EXPECT_EQ("2:Delete:cam2:S1\n4:Update:renamed:S1\n5:Add:new:S1\n6:Delete:cam6:S1\n", Summary(json));

  // Every row gone: the deletes are accepted and the snapshot is an empty array.
  Exec("DELETE FROM TBL_Camera");
  ASSERT_EQ(kDataSyncOk, Run(Job()).code);
  EXPECT_EQ("4:Delete:renamed:S1\n5:Delete:new:S1\n", Summary(PostedBody(3).substr(0, PostedBody(3).size() - 4)));
  EXPECT_EQ("[]", ReadTestFile(snapshotPath_));
}

TEST_F(DataSyncRunTest, SiteCodeDecidesWhetherACameraIsKnownOutside) {
  ProcessLogCapture log;
  AddCamera(1, "Blank", "Box", 0, 1, "  ");
  AddCamera(2, "Coded", "Box", 0, 2, "S2");
  ASSERT_EQ(kDataSyncOk, Run(Job()).code);
  EXPECT_EQ("2:Add:Coded:S2\n", Summary(PostedBody(1).substr(0, PostedBody(1).size() - 4)));
  EXPECT_NE(std::string::npos, log.Text().find("INFO - 'Blank (1)' device site code is empty.(12)\r\n"));
  EXPECT_EQ("2::Coded:S2\n", Summary(ReadTestFile(snapshotPath_)));

  // Filled: an Add. Cleared along with a rename: dropped without a Delete.
  Exec("UPDATE TBL_Camera SET user3 = 'S1' WHERE no = 1");
  Exec("UPDATE TBL_Camera SET user3 = '', name = 'Moved' WHERE no = 2");
  ASSERT_EQ(kDataSyncOk, Run(Job()).code);
  EXPECT_EQ("1:Add:Blank:S1\n", Summary(PostedBody(2).substr(0, PostedBody(2).size() - 4)));
  EXPECT_EQ("1::Blank:S1\n", Summary(ReadTestFile(snapshotPath_)));

  Exec("UPDATE TBL_Camera SET user3 = 'S3' WHERE no = 2");
  ASSERT_EQ(kDataSyncOk, Run(Job()).code);
  EXPECT_EQ("2:Add:Moved:S3\n", Summary(PostedBody(3).substr(0, PostedBody(3).size() - 4)));
}

TEST_F(DataSyncRunTest, EncipheredBodyDecipheresWithOpenssl) {
  AddCamera(1, "Lobby", "Box", 0, 1);
  settings_.service.encryptContents = true;
  ASSERT_EQ(kDataSyncOk, Run(Job()).code);
  std::string body = PostedBody(1);
  body.resize(body.size() - 4);
  std::string cipher;
  ASSERT_GT(Base64Decode(body, &cipher), 0) << body;
  TempDir dir;
  ASSERT_TRUE(WriteTestFile(dir.Join("in.bin"), cipher));
  const std::string keyHex = "30313233343536373839616263646566";  // "0123456789abcdef"
  ASSERT_EQ(0, RunCommand({"openssl", "enc", "-d", "-aes-128-cbc", "-K", keyHex, "-iv", keyHex, "-in",
                           dir.Join("in.bin"), "-out", dir.Join("out.json")},
                          dir.Join("openssl.log")));
  EXPECT_EQ("1:Add:Lobby:S1\n", Summary(ReadTestFile(dir.Join("out.json"))));
  EXPECT_EQ(ReadTestFile(dir.Join("out.json")).substr(0, 13), "[{\"Key\":\"1\", ");
}

TEST_F(DataSyncRunTest, FailuresKeepTheSnapshotAndTheNextRunSendsTheSameChanges) {
  ProcessLogCapture log;
  AddCamera(1, "Lobby", "Box", 0, 1);
  ASSERT_EQ(kDataSyncOk, Run(Job()).code);
  const std::string snapshot = ReadTestFile(snapshotPath_);
  Exec("UPDATE TBL_Camera SET name = 'Hall' WHERE no = 1");

  const std::string closedPort = std::to_string(FreeLoopbackPort());
  SetReply("busy", "500 Internal Server Error", "busy");
  peer_.SetReply("drop", "<<CLOSE>>");
  peer_.SetReply("silent", "<<HANG>>");
  struct Case {
    const char* name;
    std::string url;  // "" keeps the job's
    bool databaseDown;
    int code;
  } cases[] = {
      {"500 busy", "/r/busy", false, kDataSyncRejected},
      {"closes without a reply", "/r/drop", false, kDataSyncRejected},
      {"silent past the time-out", "/r/silent", false, kDataSyncRejected},
      {"closed port", "http://127.0.0.1:" + closedPort + "/r/ok", false, kDataSyncNoConnection},
      {"database unreachable", "", true, kDataSyncDatabaseFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CDataSynchronizerItem job = Job();
    if (c.url.rfind("/r/", 0) == 0) job = Job(c.url.substr(3));
    else if (!c.url.empty()) job.SetTargetUrl(c.url);
    CDataSyncSettings saved = settings_;
    if (c.databaseDown) settings_.database.port = FreeLoopbackPort();
    CDataSyncResult result = Run(job);
    settings_ = saved;
    EXPECT_EQ(c.code, result.code);
    EXPECT_FALSE(result.accepted);
    EXPECT_EQ(snapshot, ReadTestFile(snapshotPath_));
  }
  EXPECT_NE(std::string::npos,
            log.Text().find("ERROR - Error raised when post uri (Response error return : 500 (busy)) (12:TBL_Camera)\r\n"))
      << log.Text();
  EXPECT_NE(std::string::npos, log.Text().find("ERROR - Error raised when post uri (12:TBL_Camera)\r\n"));
  EXPECT_NE(std::string::npos, log.Text().find("ERROR - Error raised when connect database.\r\n"));

  // Recovered: the pending rename goes out, then nothing.
  const int before = peer_.RequestCount();
  EXPECT_EQ(kDataSyncOk, Run(Job()).code);
  ASSERT_EQ(before + 1, peer_.RequestCount());
  EXPECT_EQ("1:Update:Hall:S1\n", Summary(PostedBody(before + 1).substr(0, PostedBody(before + 1).size() - 4)));
  EXPECT_EQ(kDataSyncOk, Run(Job()).code);
  EXPECT_EQ(before + 1, peer_.RequestCount());
}

TEST_F(DataSyncRunTest, UnreadableSnapshotStopsTheRunBeforeAnyRequest) {
  AddCamera(1, "Lobby", "Box", 0, 1);
  ASSERT_TRUE(WriteTestFile(snapshotPath_, "[{\"key\":\"1\""));
  EXPECT_EQ(kDataSyncSnapshotUnreadable, Run(Job()).code);
  EXPECT_EQ(0, peer_.RequestCount());
  EXPECT_EQ("[{\"key\":\"1\"", ReadTestFile(snapshotPath_));
}

TEST_F(DataSyncRunTest, SkipNotifyTakesTheChangesWithoutPosting) {
  AddCamera(1, "Lobby", "Box", 0, 1);
  settings_.skipNotify = true;
  CDataSyncResult result = Run(Job());
  EXPECT_EQ(kDataSyncOk, result.code);
  EXPECT_TRUE(result.accepted);
  EXPECT_EQ(0, peer_.RequestCount());
  EXPECT_EQ("1::Lobby:S1\n", Summary(ReadTestFile(snapshotPath_)));
}

TEST_F(DataSyncRunTest, AnalysisEventJobSendsKeyAndName) {
  Exec("INSERT INTO TBL_VasIntelligentEvent (VasIntelligentEventID, Name) VALUES (4, 'Loitering')");
  Exec("INSERT INTO TBL_VasIntelligentEvent (VasIntelligentEventID, Name, IsDeleted) VALUES (5, 'Gone', 1)");
  CDataSynchronizerItem job = Job();
  job.SetSourceData("TBL_VasIntelligentEvent");
  ASSERT_EQ(kDataSyncOk, Run(job).code);
  EXPECT_EQ("[{\"Key\":\"4\", \"Name\":\"Loitering\", \"Method\":\"Add\"}]\r\n\r\n", PostedBody(1));

  job.SetSourceData("TBL_User");
  EXPECT_EQ(kDataSyncNoSyncEntity, Run(job).code);
  EXPECT_EQ(1, peer_.RequestCount());
}

}  // namespace
