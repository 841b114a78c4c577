// The building-IoT client against the python fake platform: the request
// bytes, the outcome of every kind of reply, the kept-alive connection, TLS,
// and the account and thing operations.
#include "biot/BIoTServiceAdapter.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include "FakeBIoTPlatform.h"
#include "foundation/ProcessLogCapture.h"
#include "foundation/Digest.h"
#include "foundation/StringUtil.h"

namespace {

// A loopback port on which nothing listens.
unsigned short ClosedPort() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  socklen_t length = sizeof(address);
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  close(s);
  return ntohs(address.sin_port);
}

class BIoTServiceAdapterTest : public ::testing::Test {
 protected:
  void StartPlatform(bool tls = false, const std::string& state = "") {
    ASSERT_TRUE(platform_.Start(tls, state));
    adapter_.Info().host = "127.0.0.1";
    adapter_.Info().port = platform_.port();
    adapter_.Info().tls = tls ? 1 : 0;
    adapter_.Info().siteID = "SITE1";
    adapter_.Info().userID = "operator";
    adapter_.Info().password = "secret";
    adapter_.Info().userToken = "UTOKEN";
  }

  FakeBIoTPlatform platform_;
  CBIoTServiceAdapter adapter_;
};

TEST_F(BIoTServiceAdapterTest, GetAndDeleteCarryTheHeaderBlockBeforeTheConnectionLine) {
  StartPlatform(false, "gateway VIDEO_GW.0003\n");
  std::vector<std::string> names;
  ASSERT_EQ(adapter_.GetVideoGatewayList(&names), 1);
  ASSERT_EQ(adapter_.DeleteVideoGateway("VIDEO_GW.0003"), 1);
  EXPECT_EQ(platform_.RawRequest(1),
            "GET /v1.0/sites/SITE1/thingNames?type=root&limit=10000&offset=0 HTTP/1.1\r\nAccept: */*\r\n"
            "User-Agent: ORVU\r\nHost: 127.0.0.1\r\nAuthorization: UL UTOKEN\r\nConnection: Keep-Alive\r\n\r\n");
  EXPECT_EQ(platform_.RawRequest(2),
            "DELETE /v1.0/sites/SITE1/things/VIDEO_GW.0003/relationInfo HTTP/1.1\r\nAccept: */*\r\n"
            "User-Agent: ORVU\r\nHost: 127.0.0.1\r\nAuthorization: UL UTOKEN\r\nConnection: Keep-Alive\r\n\r\n");
}

TEST_F(BIoTServiceAdapterTest, LoginPostsTheUtf8LengthAndTheSha256OfThePasswordBytes) {
  StartPlatform();
  // A user ID in the legacy code page: two bytes per Hangul syllable there,
  // three in UTF-8.
  adapter_.Info().userID = "\xB0\xA1";  // U+AC00
  CBIoTLoginResult result;
  ASSERT_EQ(adapter_.GetUserLoginToken(&result), 1);
  EXPECT_EQ(result.authToken, "UTOKEN");
  EXPECT_TRUE(result.isLoginSuccess);
  const std::string body = "{\r\n\t\"userId\":\"\xEA\xB0\x80\",\r\n\t\"userPassword\":\"" + Sha256Hex("secret") +
                           "\"\r\n}";
  EXPECT_EQ(Sha256Hex("secret").size(), 64u);
  EXPECT_EQ(platform_.RawRequest(1),
            "POST /v1.1/main/action/itaUserLogin HTTP/1.1\r\nAccept: */*\r\nUser-Agent: ORVU\r\nHost: 127.0.0.1\r\n"
            "Content-Length: " +
                std::to_string(body.size()) +
                "\r\nX-CSRF-TOKEN: UL\r\nContent-Type:application/json\r\nConnection: Keep-Alive\r\n\r\n" + body);
}

TEST_F(BIoTServiceAdapterTest, ThingBodiesFollowTheirTemplates) {
  StartPlatform();
  CBIoTGatewayThing gateway;
  gateway.modelName = "VIDEO_GW";
  gateway.thingName = gateway.thingNickName = "VIDEO_GW.0007";
  gateway.uniqueNum = "0007";
  gateway.vms_media_server_url = "http://10.0.0.7:8088";
  gateway.vms_site_name = "Lobby";
  ASSERT_EQ(adapter_.AddVideoGateway(gateway), 1);
  ASSERT_EQ(adapter_.SetVideoGatewayAttr(gateway), 1);
  CBIoTEdgeThing edge;
  edge.modelName = "VIDEO-CAMERA";
  edge.parentThingName = "VIDEO_GW.0007";
  edge.thingName = edge.thingNickName = "VIDEO-CAMERA.00070012";
  edge.uniqueNum = "00070012";
  edge.camera_channel_info = "torvane://0007/0012/0/0";
  edge.cameraName = "Gate";
  ASSERT_EQ(adapter_.AddVideoGatewayEdge(edge), 1);
  ASSERT_EQ(adapter_.SetVideoGatewayEdgeAttr(edge), 1);

  EXPECT_EQ(platform_.RequestBody(1),
            "{\r\n\t\"activationStateCode\":\"ACT\",\r\n\t\"modelName\":\"VIDEO_GW\",\r\n\t\"thingName\":\"VIDEO_GW.0007\","
            "\r\n\t\"thingNickName\":\"VIDEO_GW.0007\",\r\n\t\"uniqueNum\":\"0007\"\r\n}\r\n");
  EXPECT_EQ(platform_.RequestBody(2),
            "{\r\n  \"attrs\": [\r\n    {\r\n      \"attrKey\": \"vms_media_server_url\",\r\n      \"attrType\": "
            "\"string\",\r\n      \"attrValue\": \"http://10.0.0.7:8088\"\r\n    },\r\n    {\r\n      \"attrKey\": "
            "\"vms_site_name\",\r\n      \"attrType\": \"string\",\r\n      \"attrValue\": \"Lobby\"\r\n    }\r\n  ]\r\n}\r\n");
  EXPECT_EQ(platform_.RequestBody(3),
            "{\r\n\t\"activationStateCode\":\"ACT\",\r\n\t\"modelName\":\"VIDEO-CAMERA\",\r\n\t\"parentThingName\":"
            "\"VIDEO_GW.0007\",\r\n\t\"thingName\":\"VIDEO-CAMERA.00070012\",\r\n\t\"thingNickName\":\"VIDEO-CAMERA."
            "00070012\",\r\n\t\"uniqueNum\":\"00070012\"\r\n}\r\n");
  std::string attrs = platform_.RequestBody(4);
  EXPECT_NE(attrs.find("\"attrKey\": \"camera_channel_info\",\r\n      \"attrType\": \"string\",\r\n      "
                       "\"attrValue\": \"torvane://0007/0012/0/0\""),
            std::string::npos)
      << attrs;
  EXPECT_NE(attrs.find("\"attrKey\": \"event_interval\",\r\n      \"attrType\": \"string\",\r\n      \"attrValue\": "
                       "\"15\""),
            std::string::npos);
  std::vector<std::string> lines = platform_.RequestLines();
  EXPECT_EQ(lines, (std::vector<std::string>{"POST /v1.0/sites/SITE1/things",
                                             "POST /v1.0/sites/SITE1/things/VIDEO_GW.0007/attrs?language=KR",
                                             "POST /v1.0/sites/SITE1/topThings/VIDEO_GW.0007/edges",
                                             "POST /v1.0/sites/SITE1/things/VIDEO-CAMERA.00070012/attrs?language=KR"}));
  // The peer stored the values it parsed: the JSON was well-formed.
  std::vector<std::string> things = platform_.Things();
  EXPECT_NE(std::find(things.begin(), things.end(), "attr VIDEO-CAMERA.00070012 camera_site_name=Gate"),
            things.end());
}

TEST_F(BIoTServiceAdapterTest, ValuesAreEscapedSoTheBodyStaysJson) {
  StartPlatform();
  CBIoTGatewayThing gateway;
  gateway.thingName = "VIDEO_GW.0001";
  gateway.vms_media_server_url = "http://a/b";
  gateway.vms_site_name = "Hall \"A\" \\ 2\r\n";
  ASSERT_EQ(adapter_.SetVideoGatewayAttr(gateway), 1);
  std::string body = platform_.RequestBody(1);
  EXPECT_NE(body.find("\"attrValue\": \"Hall \\\"A\\\" \\\\ 2\\r\\n\""), std::string::npos) << body;
  EXPECT_NE(body.find("\"attrValue\": \"http://a/b\""), std::string::npos) << body;  // URLs unchanged
}

// Each row: the scripted reply of the gateway list, the outcome, the HTTP status kept.
TEST_F(BIoTServiceAdapterTest, ReplyOutcomes) {
  StartPlatform();
  struct Case {
    const char* name;
    std::string reply;
    int errorStatus;
    int httpStatus;
  } cases[] = {
      {"closed mid-reply", "HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\n{\"thing<<CLOSE>>", kBIoTNoReply, -1},
      {"404", JsonReply("{}", "404 Not Found"), kBIoTHttpStatus, 404},
      {"empty body", JsonReply(""), kBIoTNotJson, -1},
      {"not JSON", JsonReply("thingNames"), kBIoTNotJson, -1},
      {"key missing", JsonReply("{\"names\":[]}"), kBIoTKeyMissing, -1},
      {"key of another type", JsonReply("{\"thingNames\":\"VIDEO_GW.0001\"}"), kBIoTKeyMissing, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform_.Script("thingNames", c.reply);
    std::vector<std::string> names;
    adapter_.HttpStatusCode = -1;
    EXPECT_EQ(adapter_.GetVideoGatewayList(&names), 0);
    EXPECT_EQ(adapter_.ErrorStatus, c.errorStatus);
    EXPECT_EQ(adapter_.HttpStatusCode, c.httpStatus);
  }
}

TEST_F(BIoTServiceAdapterTest, MessageStatusAndThingNameRules) {
  StartPlatform();
  platform_.Script("relationInfo", JsonReply("{\"messageStatusCode\":\"404\"}"));
  EXPECT_EQ(adapter_.DeleteVideoGateway("VIDEO_GW.0002"), 0);
  EXPECT_EQ(adapter_.ErrorStatus, kBIoTMessageStatus);
  EXPECT_EQ(adapter_.HttpStatusCode, 404);

  platform_.Script("relationInfo", JsonReply("{\"messageStatusCode\":404}"));
  EXPECT_EQ(adapter_.DeleteVideoGateway("VIDEO_GW.0002"), 0);
  EXPECT_EQ(adapter_.ErrorStatus, kBIoTKeyMissing);

  CBIoTGatewayThing gateway;
  gateway.thingName = "VIDEO_GW.0007";
  platform_.Script("POST /v1.0/sites/SITE1/things", JsonReply("{\"thingName\":\"VIDEO_GW.0008\"}"));
  EXPECT_EQ(adapter_.AddVideoGateway(gateway), 0);
  EXPECT_EQ(adapter_.ErrorStatus, kBIoTOtherThing);
  platform_.Script("POST /v1.0/sites/SITE1/things", JsonReply("{\"thingName\":\"video_gw.0007\"}"));
  EXPECT_EQ(adapter_.AddVideoGateway(gateway), 1);
  EXPECT_EQ(adapter_.ErrorStatus, kBIoTOk);
}

TEST_F(BIoTServiceAdapterTest, NoConnectionGivesOutcomeOne) {
  ProcessLogCapture log;
  for (unsigned short port : {ClosedPort(), static_cast<unsigned short>(0)}) {
    CBIoTServiceAdapter adapter;
    adapter.Info().host = "127.0.0.1";
    adapter.Info().port = port;
    std::vector<std::string> names;
    EXPECT_EQ(adapter.GetVideoGatewayList(&names), 0);
    EXPECT_EQ(adapter.ErrorStatus, kBIoTNoConnection);
    EXPECT_NE(log.Text().find(StrFormat("ERROR - RESTAPI_connect() failed. [127.0.0.1:%d]", port)), std::string::npos);
  }
}

TEST_F(BIoTServiceAdapterTest, ConnectionIsKeptAfterAReplyAndRenewedAfterAFailedExchange) {
  StartPlatform();
  std::vector<std::string> names;
  platform_.Script("thingNames", JsonReply("{}", "404 Not Found"));
  EXPECT_EQ(adapter_.GetVideoGatewayList(&names), 0);
  EXPECT_EQ(adapter_.GetVideoGatewayList(&names), 1);  // same connection after the 404
  platform_.Script("thingNames", "<<CLOSE>>");
  EXPECT_EQ(adapter_.GetVideoGatewayList(&names), 0);
  EXPECT_EQ(adapter_.ErrorStatus, kBIoTNoReply);
  EXPECT_EQ(adapter_.GetVideoGatewayList(&names), 1);
  std::vector<PlatformRequest> requests = platform_.Requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[1].connection, requests[0].connection);
  EXPECT_EQ(requests[2].connection, requests[0].connection);
  EXPECT_NE(requests[3].connection, requests[2].connection);
}

TEST_F(BIoTServiceAdapterTest, ChunkedRepliesAreReadSizedWhenALengthIsGivenAndInAnyLetterCase) {
  StartPlatform();
  std::vector<std::string> names;
  // A positive Content-Length wins: the body is those bytes, chunk framing and all.
  platform_.Script("thingNames",
                   "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: <<LEN>>\r\n\r\n"
                   "{\"thingNames\":[\"VIDEO_GW.0001\"]}");
  EXPECT_EQ(adapter_.GetVideoGatewayList(&names), 1);
  EXPECT_EQ(names, (std::vector<std::string>{"VIDEO_GW.0001"}));
  names.clear();
  platform_.Script("thingNames", "HTTP/1.1 200 OK\r\ntransfer-encoding: CHUNKED\r\n\r\n"
                                 "10\r\n{\"thingNames\":[\"\r\n10\r\nVIDEO_GW.0002\"]}\r\n0\r\n\r\n");
  EXPECT_EQ(adapter_.GetVideoGatewayList(&names), 1);
  EXPECT_EQ(names, (std::vector<std::string>{"VIDEO_GW.0002"}));
  EXPECT_EQ(adapter_.GetVideoGatewayList(&names), 1);  // the connection is still in step
}

TEST_F(BIoTServiceAdapterTest, SilentPlatformEndsTheWaitWithOutcomeThree) {
  StartPlatform();
  platform_.Script("thingNames", "<<HANG>>");
  std::vector<std::string> names;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(adapter_.GetVideoGatewayList(&names), 0);
  EXPECT_EQ(adapter_.ErrorStatus, kBIoTNoReply);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
}

TEST_F(BIoTServiceAdapterTest, TlsKeepsOneConnectionForTwoRequests) {
  StartPlatform(true, "gateway VIDEO_GW.0001\n");
  std::vector<std::string> names;
  ASSERT_EQ(adapter_.GetVideoGatewayList(&names), 1);
  ASSERT_EQ(adapter_.GetVideoGatewayList(&names), 1);
  EXPECT_EQ(names, (std::vector<std::string>{"VIDEO_GW.0001", "VIDEO_GW.0001"}));
  std::vector<PlatformRequest> requests = platform_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].connection, requests[0].connection);
}

TEST_F(BIoTServiceAdapterTest, BodyLargerThanTheSocketBufferGoesOutWhole) {
  StartPlatform(true);
  CBIoTNotifyEventInfo info;
  info.sId = "SITE1";
  info.authToken = "TT";
  info.tpId = "VIDEO_GW.0001";
  info.tId = "VIDEO-CAMERA.00010002";
  info.event_image = std::string(4 * 1024 * 1024, 'A');
  ASSERT_EQ(adapter_.NotifyEvent(info), 1) << adapter_.ErrorStatus;
  EXPECT_EQ(platform_.RequestBody(1).size(), CBIoTServiceAdapter::MakeNotifyEventBody(info).size());
}

TEST_F(BIoTServiceAdapterTest, ListsKeepOnlyWhatFits) {
  StartPlatform();
  platform_.Script("thingNames",
                   JsonReply("{\"thingNames\":[\"VIDEO_GW.0003\",\"video_gw.0004\",\"XVIDEO_GW.0005\",6]}"));
  std::vector<std::string> names;
  ASSERT_EQ(adapter_.GetVideoGatewayList(&names), 1);
  EXPECT_EQ(names, (std::vector<std::string>{"VIDEO_GW.0003"}));

  std::vector<std::string> edges;
  platform_.Script("/edges?", JsonReply("{\"other\":1}"));
  ASSERT_EQ(adapter_.GetVideoGatewayEdges("VIDEO_GW.0003", &edges), 1);
  EXPECT_TRUE(edges.empty());
  platform_.Script("/edges?", JsonReply("{\"things\":[{\"thingName\":\"E1\"},{\"x\":1},{\"thingName\":2},5]}"));
  ASSERT_EQ(adapter_.GetVideoGatewayEdges("VIDEO_GW.0003", &edges), 1);
  EXPECT_EQ(edges, (std::vector<std::string>{"E1"}));
}

TEST_F(BIoTServiceAdapterTest, ListDeleteStopsAtItsFirstFailure) {
  StartPlatform();
  ProcessLogCapture log;
  platform_.Script("/edges/E2", JsonReply("{\"messageStatusCode\":\"500\"}"));
  EXPECT_EQ(adapter_.DeleteVideoGatewayEdges("VIDEO_GW.0001", {"E1", "E2", "E3"}), 0);
  EXPECT_EQ(adapter_.ErrorStatus, kBIoTMessageStatus);
  EXPECT_EQ(platform_.RequestLines(),
            (std::vector<std::string>{"DELETE /v1.0/sites/SITE1/topThings/VIDEO_GW.0001/edges/E1",
                                      "DELETE /v1.0/sites/SITE1/topThings/VIDEO_GW.0001/edges/E2"}));
  EXPECT_NE(log.Text().find("ERROR - DeleteVideoGatewayEdge(E2) failed."), std::string::npos);
}

TEST_F(BIoTServiceAdapterTest, LoginSucceedsOnAnyJsonObjectAndReadsWhatIsThere) {
  StartPlatform();
  ProcessLogCapture log;
  platform_.Script("itaUserLogin", JsonReply("{}"));
  CBIoTLoginResult empty;
  EXPECT_EQ(adapter_.GetUserLoginToken(&empty), 1);
  EXPECT_TRUE(empty.authToken.empty());
  for (const char* key : {"authToken", "customerId", "isLoginSuccess", "userStateCode"}) {
    EXPECT_NE(log.Text().find(StrFormat("ERROR - Can't find \"%s\" key!!", key)), std::string::npos) << key;
  }
  platform_.Script("itaUserLogin", JsonReply("{\"authToken\":\"T\",\"isLoginSuccess\":\"y\"}"));
  CBIoTLoginResult lower;
  EXPECT_EQ(adapter_.GetUserLoginToken(&lower), 1);
  EXPECT_TRUE(lower.isLoginSuccess);
  platform_.Script("itaUserLogin", JsonReply("{\"authToken\":\"T\",\"isLoginSuccess\":\"N\"}"));
  CBIoTLoginResult refused;
  EXPECT_EQ(adapter_.GetUserLoginToken(&refused), 1);
  EXPECT_FALSE(refused.isLoginSuccess);
  EXPECT_EQ(refused.authToken, "T");
}

}  // namespace
