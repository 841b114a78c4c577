// The management-service requests: their exact request lines against a
// python fake of the service, and what counts as success.
#include <gtest/gtest.h>

#include "ManagementPeer.h"
#include "foundation/ProcessLogCapture.h"
#include "sync/TorvaneDataAdapter.h"

namespace {

class ManagementAdapterTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(peer_.Start()); }
  ManagementPeer peer_;
};

TEST_F(ManagementAdapterTest, EachOperationSendsItsRequestLine) {
  const std::string host = "127.0.0.1";
  const int port = peer_.port();
  CTorvaneDataAdapter adapter(3);
  std::string reply;
  ASSERT_TRUE(adapter.DoAction(host, port, "admin", "pw", "Relay=1", "K", &reply));
  EXPECT_EQ(0u, reply.find("HTTP/1.1 200")) << reply;
  EXPECT_NE(std::string::npos, reply.find("\r\n\r\nOK"));
  ASSERT_TRUE(adapter.DoAction(host, port, "admin", "pw", "Relay=2", "K"));
  ASSERT_TRUE(adapter.Upgrade(host, port, 30));
  ASSERT_TRUE(adapter.CheckDatabase(host, port, "", 0));
  ASSERT_TRUE(adapter.CheckFRDatabase(host, port, "TBL_Face", 4));
  ASSERT_TRUE(adapter.RestartApplication(host, port, "admin", "pw", 7, 2));
  ASSERT_TRUE(adapter.RestartApplicationEx(host, port, "old", "oldpw", 7, 2, "new", "newpw"));
  ASSERT_TRUE(adapter.LiveCameras(host, port, "admin", "pw", "3,7", 1));
  ASSERT_TRUE(adapter.PlaybackCameras(host, port, "admin", "pw", "3,7"));
  ASSERT_TRUE(CZmsDataAdapter::CheckDatabase(host, port, ""));
  // Values that would break the query or the request line are percent-encoded.
  ASSERT_TRUE(adapter.RestartApplication(host, port, "ad min", "p&w=1%", 7, 2));
  const std::vector<std::string> expected = {
      "GET /event/action.cgi?id=admin&password=pw&Relay=1&SystemKey=K HTTP/1.1",
      "GET /event/action.cgi?id=admin&password=pw&Relay=2&SystemKey=K HTTP/1.1",
      "GET /system/upgrade.cgi?WaitSeconds=30 HTTP/1.1",
      "GET /system/database.cgi?table=&client=0 HTTP/1.1",
      "GET /system/frdatabase.cgi?table=TBL_Face&client=4 HTTP/1.1",
      "GET /system/restart.cgi?id=admin&password=pw&client=7&reason=2 HTTP/1.1",
      "GET /system/restart.cgi?id=old&password=oldpw&client=7&reason=2&restartloginid=new&restartpassword=newpw "
      "HTTP/1.1",
      "GET /control/live_cameras.cgi?id=admin&password=pw&cameras=3,7&noclear=1 HTTP/1.1",
      "GET /control/playback_cameras.cgi?id=admin&password=pw&cameras=3,7 HTTP/1.1",
      "GET /system/database.cgi?table=&client=0 HTTP/1.1",
      "GET /system/restart.cgi?id=ad%20min&password=p%26w%3D1%25&client=7&reason=2 HTTP/1.1",
  };
  EXPECT_EQ(expected, peer_.Requests());
}

TEST_F(ManagementAdapterTest, OnlyA200Succeeds) {
  ProcessLogCapture log;
  CTorvaneDataAdapter adapter(3);
  peer_.SetStatus(401);
  EXPECT_FALSE(adapter.CheckDatabase("127.0.0.1", peer_.port(), "", 0));
  std::string reply = "untouched";
  EXPECT_FALSE(adapter.DoAction("127.0.0.1", peer_.port(), "a", "b", "x=1", "k", &reply));
  EXPECT_EQ("untouched", reply);
  EXPECT_EQ("", log.Text()) << "a refusal by status is not logged";

  const int closed = FreeLoopbackPort();
  EXPECT_FALSE(adapter.CheckDatabase("127.0.0.1", closed, "", 0));
  EXPECT_FALSE(CZmsDataAdapter::CheckDatabase("127.0.0.1", closed, ""));
  EXPECT_FALSE(adapter.DoAction("127.0.0.1", closed, "a", "b", "x=1", "k"));
  const std::string text = log.Text();
  const std::string line = "ERROR - [127.0.0.1:" + std::to_string(closed) + "] Error raised when request message";
  EXPECT_NE(std::string::npos, text.find(line + ".\r\n"));
  EXPECT_NE(std::string::npos, text.find(line + "\r\n")) << "the action request's line has no period";
}

}  // namespace
