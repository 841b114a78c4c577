// The building-IoT data manager between a real MariaDB (recording servers,
// cameras, analysis devices) and the fake platform, in the order its runs go.
#include "biot/BIoTDataManager.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "FakeBIoTPlatform.h"
#include "database/DataStore.h"
#include "foundation/ProcessLogCapture.h"
#include "support/InstallationDatabaseTest.h"

namespace {

class BIoTDataManagerTest : public InstallationDatabaseTest {
 protected:
  BIoTDataManagerTest() : InstallationDatabaseTest("biot_manager") {}

  void Sql(const std::string& sql) {
    std::string error;
    ASSERT_TRUE(RunSqlScript(db_, name_, sql, &error)) << error;
  }
  // Recording servers 1 and 2; cameras 11 (Box, 1/3), 12 (Dome, 1/4), 21
  // (PTZ, 2/1), each with an analysis device.
  void AddInstallation() {
    Sql("INSERT INTO TBL_Zav (no, name, addr) VALUES (1, 'North', '10.0.0.1'), (2, 'South', '10.0.0.2')");
    Sql("INSERT INTO TBL_Camera (no, name, device_type, zav_no, zav_channel) VALUES "
        "(11, 'Gate', 'Box', 1, 3), (12, 'Hall', 'Dome', 1, 4), (21, 'Yard', 'PTZ', 2, 1)");
    Sql("INSERT INTO TBL_VasDevice (VasDeviceID, VasID, DeviceID, ChannelNo) VALUES (1, 1, 11, 1), (2, 1, 12, 2), "
        "(3, 1, 21, 3)");
  }
  void StartPlatform(const std::string& state = "") {
    ASSERT_TRUE(platform_.Start(false, state));
    CBIoTServiceAdapter::CConnInfo& settings = manager_.Settings();
    settings.host = "127.0.0.1";
    settings.port = platform_.port();
    settings.userID = "operator";
    settings.password = "secret";
    settings.siteID = "S";
  }
  // One run as the synchronizer drives it: log in when there is no token, then reconcile.
  int Run() {
    std::unique_ptr<CBIoTServiceAdapter> adapter = manager_.MakeAdapter();
    if (manager_.GetUserToken().empty() && !manager_.GetUserLoginToken(*adapter)) return 0;
    CDataStore store(service_.get());
    return manager_.SyncData(store, *adapter);
  }
  bool HasThing(const std::string& line) {
    std::vector<std::string> things = platform_.Things();
    return std::find(things.begin(), things.end(), line) != things.end();
  }
  std::vector<std::string> LinesFrom(size_t first) {
    std::vector<std::string> lines = platform_.RequestLines();
    return std::vector<std::string>(lines.begin() + static_cast<long>(std::min(first, lines.size())), lines.end());
  }

  FakeBIoTPlatform platform_;
  CBIoTDataManager manager_;
};

TEST_F(BIoTDataManagerTest, EmptyPlatformGetsGatewaysThenEdges) {
  AddInstallation();
  StartPlatform();
  ASSERT_EQ(manager_.Open(), 1);
  EXPECT_EQ(manager_.GetUserToken(), "UTOKEN");
  size_t first = platform_.Requests().size();
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(LinesFrom(first),
            (std::vector<std::string>{
                "GET /v1.0/sites/S/thingNames?type=root&limit=10000&offset=0",
                "POST /v1.0/sites/S/things",
                "POST /v1.0/sites/S/things/VIDEO_GW.0001/attrs?language=KR",
                "POST /v1.0/sites/S/things",
                "POST /v1.0/sites/S/things/VIDEO_GW.0002/attrs?language=KR",
                "GET /v1.0/sites/S/things/VIDEO_GW.0001/edges?offset=0&limit=10000&latestFirst=0",
                "POST /v1.0/sites/S/topThings/VIDEO_GW.0001/edges",
                "POST /v1.0/sites/S/things/VIDEO-CAMERA.00010003/attrs?language=KR",
                "POST /v1.0/sites/S/topThings/VIDEO_GW.0001/edges",
                "POST /v1.0/sites/S/things/VIDEO-CAMERA.00010004/attrs?language=KR",
                "GET /v1.0/sites/S/things/VIDEO_GW.0002/edges?offset=0&limit=10000&latestFirst=0",
                "POST /v1.0/sites/S/topThings/VIDEO_GW.0002/edges",
                "POST /v1.0/sites/S/things/VIDEO-CAMERA.00020001/attrs?language=KR",
            }));
  EXPECT_TRUE(manager_.TakeGatewaysChanged());
  EXPECT_TRUE(HasThing("attr VIDEO_GW.0001 vms_media_server_url=http://10.0.0.1:8088"));
  EXPECT_TRUE(HasThing("attr VIDEO_GW.0002 vms_site_name=South"));
  EXPECT_TRUE(HasThing("attr VIDEO-CAMERA.00010004 camera_channel_info=torvane://0001/0004/0/0"));
  EXPECT_TRUE(HasThing("attr VIDEO-CAMERA.00010004 camera_site_name=Hall"));
  // A second run finds everything in place.
  first = platform_.Requests().size();
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(LinesFrom(first).size(), 3u);  // the list and two edge lists
  EXPECT_FALSE(manager_.TakeGatewaysChanged());
}

TEST_F(BIoTDataManagerTest, UnknownGatewayIsDeletedLastAndAShortNameCountsAsItsNumber) {
  AddInstallation();
  StartPlatform(
      "gateway VIDEO_GW.1\nedge VIDEO_GW.0001 VIDEO-CAMERA.00010003\nedge VIDEO_GW.0001 VIDEO-CAMERA.00010004\n"
      "gateway VIDEO_GW.0002\nedge VIDEO_GW.0002 VIDEO-CAMERA.00020001\n"
      "gateway VIDEO_GW.0009\nedge VIDEO_GW.0009 VIDEO-CAMERA.00090001\n");
  manager_.Settings().userToken = "UTOKEN";
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(platform_.RequestLines(),
            (std::vector<std::string>{
                "GET /v1.0/sites/S/thingNames?type=root&limit=10000&offset=0",
                "GET /v1.0/sites/S/things/VIDEO_GW.0001/edges?offset=0&limit=10000&latestFirst=0",
                "GET /v1.0/sites/S/things/VIDEO_GW.0002/edges?offset=0&limit=10000&latestFirst=0",
                "DELETE /v1.0/sites/S/things/VIDEO_GW.0009/relationInfo",
            }));
  EXPECT_TRUE(manager_.TakeGatewaysChanged());
}

TEST_F(BIoTDataManagerTest, CamerasOfOtherKindsGetNoEdge) {
  Sql("INSERT INTO TBL_Zav (no, name, addr) VALUES (1, 'North', '10.0.0.1')");
  Sql("INSERT INTO TBL_Camera (no, name, device_type, zav_no, zav_channel) VALUES "
      "(11, 'Recorder', 'NVR', 1, 3), (12, 'Odd', 'Thermal', 1, 4)");
  Sql("INSERT INTO TBL_VasDevice (VasDeviceID, VasID, DeviceID, ChannelNo) VALUES (1, 1, 11, 1), (2, 1, 12, 2)");
  StartPlatform("gateway VIDEO_GW.0001\n");
  manager_.Settings().userToken = "UTOKEN";
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(platform_.RequestLines(),
            (std::vector<std::string>{"GET /v1.0/sites/S/thingNames?type=root&limit=10000&offset=0"}));
}

TEST_F(BIoTDataManagerTest, FailedEdgeKeepsTheEarlierOneAndTheNextRunAddsTheRest) {
  Sql("INSERT INTO TBL_Zav (no, name, addr) VALUES (1, 'North', '10.0.0.1')");
  Sql("INSERT INTO TBL_Camera (no, name, device_type, zav_no, zav_channel) VALUES "
      "(11, 'A', 'Box', 1, 1), (12, 'B', 'Box', 1, 2), (13, 'C', 'Box', 1, 3)");
  Sql("INSERT INTO TBL_VasDevice (VasDeviceID, VasID, DeviceID, ChannelNo) VALUES (1, 1, 11, 1), (2, 1, 12, 2), "
      "(3, 1, 13, 3)");
  StartPlatform("gateway VIDEO_GW.0001\n");
  manager_.Settings().userToken = "UTOKEN";
  platform_.Script("POST /v1.0/sites/S/topThings/VIDEO_GW.0001/edges", JsonReply("{}", "500 Error"), 1, 1);
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(HasThing("edge VIDEO_GW.0001 VIDEO-CAMERA.00010001"));
  EXPECT_FALSE(HasThing("edge VIDEO_GW.0001 VIDEO-CAMERA.00010002"));
  EXPECT_EQ(manager_.GetUserToken(), "UTOKEN");  // a 500 keeps the token
  ASSERT_EQ(Run(), 1);
  EXPECT_TRUE(HasThing("edge VIDEO_GW.0001 VIDEO-CAMERA.00010002"));
  EXPECT_TRUE(HasThing("edge VIDEO_GW.0001 VIDEO-CAMERA.00010003"));
}

// A 401 as the HTTP status or as messageStatusCode empties the token.
TEST_F(BIoTDataManagerTest, RefusedTokenIsDropped) {
  AddInstallation();
  for (const std::string& reply : {JsonReply("{}", "401 Unauthorized"), JsonReply("{\"messageStatusCode\":\"401\"}")}) {
    FakeBIoTPlatform platform;
    ASSERT_TRUE(platform.Start());
    manager_.Settings().port = platform.port();
    manager_.Settings().siteID = "S";
    manager_.Settings().host = "127.0.0.1";
    manager_.Settings().userToken = "OLD";
    platform.Script("POST /v1.0/sites/S/things/VIDEO_GW.0001/attrs", reply);
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(manager_.GetUserToken().empty());
  }
}

TEST_F(BIoTDataManagerTest, ChangedAuthCodeRaisesTheReport) {
  StartPlatform("gateway VIDEO_GW.0001\ngateway VIDEO_GW.0002\n");
  std::unique_ptr<CBIoTServiceAdapter> adapter = manager_.MakeAdapter();
  ASSERT_EQ(manager_.GetUserLoginToken(*adapter), 1);
  EXPECT_TRUE(manager_.TakeAuthCodesChanged());
  EXPECT_EQ(manager_.GetZavAuthCodeMap(),
            (std::map<int, std::string>{{1, "AC-VIDEO_GW.0001"}, {2, "AC-VIDEO_GW.0002"}}));
  ASSERT_EQ(manager_.GetZavAuthCodes(*adapter), 1);
  EXPECT_FALSE(manager_.TakeAuthCodesChanged());  // the same codes
  platform_.Script("VIDEO_GW.0002/module/mqtt", JsonReply("{\"authCode\":\"NEW\"}"));
  ASSERT_EQ(manager_.GetZavAuthCodes(*adapter), 1);
  EXPECT_TRUE(manager_.TakeAuthCodesChanged());
  EXPECT_EQ(manager_.GetZavAuthCodeMap()[2], "NEW");
  // A failed read keeps the map.
  platform_.Script("VIDEO_GW.0001/module/mqtt", JsonReply("{}", "500 Error"));
  EXPECT_EQ(manager_.GetZavAuthCodes(*adapter), 0);
  EXPECT_FALSE(manager_.TakeAuthCodesChanged());
  EXPECT_EQ(manager_.GetZavAuthCodeMap()[2], "NEW");
}

}  // namespace
