// The documents of the own-kind adapter's port, camera-list, management and
// face-data requests, byte for byte as the fake own-kind server received them.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "VasConfigPeer.h"
#include "VasTestStore.h"
#include "analysis/VasTorvaneAdapter.h"
#include "entities/analysis/FRPerson.h"
#include "entities/analysis/VasDevice.h"
#include "foundation/HostAddress.h"

namespace {

// The port request tests and posts to the port it is given (the one the
// server listens on now), not the adapter's, and sends the row's new ports.
TEST(VasTorvaneAdapterDevices, PortsGoToTheGivenPort) {
  FakeAnalysisServer server(AnswerOnce(kOkReply));
  VasTestStore store;
  auto row = store.AddServer(1, ClosedPort());  // the adapter's port: nothing listens there
  VasTorvaneAdapter adapter(*row);
  row->SetWebPort(8080);
  row->SetSecureWebPort(8443);
  int error = -1;
  EXPECT_EQ(adapter.SetNetworkPorts(store.get(), row.get(), &error, server.port()), 1);
  EXPECT_EQ(error, 0);
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].body,
            "<Network>\r\n\t<Port>\r\n\t\t<HTTP>8080</HTTP>\r\n\t\t<HTTPS>8443</HTTPS>\r\n\t</Port>\r\n</Network>\r\n");
  EXPECT_EQ(server.Accepted(), 2);
}

TEST(VasTorvaneAdapterDevices, ManagementAgentDocument) {
  FakeAnalysisServer server(AnswerOnce(kOkReply));
  VasTestStore store;
  auto row = store.AddServer(1, server.port());
  EXPECT_EQ(SentBody(*row, server,
                     [&](VasTorvaneAdapter& a, int* e) {
                       return a.SetManagementServer(store.get(), row.get(), e, "10.0.0.5", 9000);
                     }),
            "<Manage>\r\n\t<Agent>\r\n\t\t<Enable>1</Enable>\r\n\t\t<Address>10.0.0.5</Address>\r\n"
            "\t\t<Port>9000</Port>\r\n\t</Agent>\r\n</Manage>\r\n");
}

std::string CameraItem(int channel, int enable, const std::string& address, const std::string& protocol,
                       const std::string& stream, int port, const std::string& size, int fps, int lpr, int fr) {
  return "\t\t<CameraListItem>\r\n\t\t\t<Channel>" + std::to_string(channel) + "</Channel>\r\n\t\t\t<Enable>" +
         std::to_string(enable) + "</Enable>\r\n\t\t\t<Address>" + address +
         "</Address>\r\n\t\t\t<ID>admin</ID>\r\n\t\t\t<Password>secret</Password>\r\n\t\t\t<StreamProtocol>" +
         protocol + "</StreamProtocol>\r\n\t\t\t<StreamAddress>" + stream + "</StreamAddress>\r\n\t\t\t<StreamPort>" +
         std::to_string(port) + "</StreamPort>\r\n\t\t\t<NetworkSize>" + size + "</NetworkSize>\r\n\t\t\t<ProcessFps>" +
         std::to_string(fps) + "</ProcessFps>\r\n\t\t\t<LPREnable>" + std::to_string(lpr) +
         "</LPREnable>\r\n\t\t\t<FREnable>" + std::to_string(fr) +
         "</FREnable>\r\n\t\t\t<LPRSiteID></LPRSiteID>\r\n\t\t\t<LPRCarLine></LPRCarLine>\r\n"
         "\t\t\t<FTPServerNumber></FTPServerNumber>\r\n\t\t</CameraListItem>\r\n";
}

// One item per device of the server whose camera and recorder are cached, in
// device key order; a recorder on the local host is named by the gateway's
// own address toward the server ("LOCALHOST" and exactly "127.0.0.1" count).
TEST(VasTorvaneAdapterDevices, CameraListNamesEachDevicesRecorder) {
  FakeAnalysisServer server(AnswerOnce(kOkReply));
  VasTestStore store;
  auto row = store.AddServer(1, server.port());
  auto zav = [&](int no, const std::string& address) {
    auto recorder = store.AddZav(no, address, "nvr", "nvrpw");
    recorder->SetRtspPort(5540 + no);
    recorder->SetWebPort(8000 + no);
    recorder->SetSecureWebPort(4430 + no);
  };
  zav(1, "LOCALHOST");
  zav(2, "127.0.0.10");
  zav(3, "127.0.0.1");
  auto camera = [&](int no, int zavNo, int zavChannel) {
    auto c = store.AddCamera(no);
    c->SetZavNo(zavNo);
    c->SetZavChannel(zavChannel);
  };
  camera(11, 1, 5);
  camera(12, 2, 3);
  camera(13, 3, 7);
  camera(14, 9, 1);  // its recorder is missing
  auto device = [&](int id, int vasId, int channel, int cameraNo) {
    store.AddDevice(id, vasId, channel, cameraNo);
    return std::dynamic_pointer_cast<CTBLVasDevice>(store.get()->FindCachedEntity("TBL_VasDevice", id));
  };
  auto d1 = device(1, 1, 1, 11);
  d1->SetEnable(1);
  d1->SetProtocol(1);
  d1->SetStreamType(1);
  d1->SetAnalysisNetworkSize(1);
  d1->SetAnalysisFps(7);
  d1->SetUseLPR(1);
  auto d2 = device(2, 1, 2, 12);
  d2->SetProtocol(0);
  d2->SetStreamType(0);
  d2->SetUseFR(1);
  auto d3 = device(3, 1, 3, 13);
  d3->SetEnable(1);
  d3->SetProtocol(3);
  d3->SetAnalysisNetworkSize(2);
  device(4, 1, 4, 99);  // its camera is missing
  device(5, 1, 5, 14);
  device(6, 2, 1, 11);  // another server's device
  auto d7 = device(7, 1, 7, 11);
  d7->SetProtocol(2);

  std::string local = "LOCALHOST";
  std::string own;
  if (GetLocalAddressForHost(&own, "127.0.0.1")) local = own;
  const std::string localIp = own.empty() ? "127.0.0.1" : own;
  EXPECT_EQ(
      SentBody(*row, server, [&](VasTorvaneAdapter& a, int* e) { return a.SetDevices(store.get(), row.get(), e); }),
      "<Camera>\r\n\t<CameraList>\r\n" + CameraItem(1, 1, local, "RTSP", "5/stream2", 5541, "Large", 7, 1, 0) +
          CameraItem(2, 0, "127.0.0.10", "", "3/stream1", 0, "Normal", 5, 0, 1) +
          CameraItem(3, 1, localIp, "HTTPS", "7/stream2", 4433, "Normal", 5, 0, 0) +
          CameraItem(7, 0, local, "HTTP", "5/stream2", 8001, "Normal", 5, 0, 0) + "\t</CameraList>\r\n</Camera>\r\n");
}

TEST(VasTorvaneAdapterDevices, FaceDataHoldsEveryPersonInKeyOrder) {
  for (bool withPersons : {true, false}) {
    SCOPED_TRACE(withPersons ? "two persons" : "no person");
    FakeAnalysisServer server(AnswerOnce(kOkReply));
    VasTestStore store;
    auto row = store.AddServer(1, server.port());
    if (withPersons) {
      for (int id : {9, 4}) {
        auto person = std::make_unique<CTBLFRPerson>();
        person->SetPersonID(id);
        person->SetFeatureMap(id == 4 ? "AAEC" : "f<9>");
        ASSERT_TRUE(store.get()->AddEntity(person.get(), 0));
      }
    }
    const std::string items =
        withPersons ? "\t\t<FRItem>\r\n\t\t\t<ID>4</ID>\r\n\t\t\t<Data>AAEC</Data>\r\n\t\t</FRItem>\r\n"
                      "\t\t<FRItem>\r\n\t\t\t<ID>9</ID>\r\n\t\t\t<Data>f&lt;9&gt;</Data>\r\n\t\t</FRItem>\r\n"
                    : "";
    EXPECT_EQ(SentBody(*row, server,
                       [&](VasTorvaneAdapter& a, int* e) { return a.SetFRData(nullptr, store.get(), row.get(), e); }),
              "<Analysis>\r\n\t<FR>\r\n" + items + "\t</FR>\r\n</Analysis>\r\n");
  }
}

}  // namespace
