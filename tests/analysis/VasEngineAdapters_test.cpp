#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FakeAnalysisServer.h"
#include "VasTestStore.h"
#include "analysis/VasEngineAdapter.h"
#include "analysis/VasSKTAIAdapter.h"
#include "analysis/VasServiceFactory.h"
#include "analysis/VasTorvaneAdapter.h"
#include "analysis/VasZavAIAdapter.h"
#include "foundation/ProcessLogCapture.h"
#include "net/SecureSock.h"
#include "net/Sock.h"
#include "support/TempDir.h"
#include "support/WaitUntil.h"

namespace {

// ---------------------------------------------------------------- factory and stubs

TEST(VasEngineAdapters, FactoryPicksTheAdapterByKind) {
  VasTestStore store;
  struct Case {
    int type;
    std::function<bool(IVasService*)> is;
  } cases[] = {
      {1, [](IVasService* s) { return dynamic_cast<VasTorvaneAdapter*>(s) != nullptr; }},
      {2, [](IVasService* s) { return dynamic_cast<VasOGQAdapter*>(s) != nullptr; }},
      {3, [](IVasService* s) { return dynamic_cast<VasZavAIAdapter*>(s) != nullptr; }},
      {4, [](IVasService* s) { return dynamic_cast<VasSKTAIAdapter*>(s) != nullptr; }},
      {5, [](IVasService* s) { return dynamic_cast<VasSKTAIAdapter*>(s) != nullptr; }},
  };
  for (const Case& c : cases) {
    auto row = store.AddServer(c.type, 7080, c.type);
    auto service = VasServiceFactory::CreateVasService(row.get());
    ASSERT_TRUE(service) << "Type " << c.type;
    EXPECT_TRUE(c.is(service.get())) << "Type " << c.type;
  }
}

// What a stub slot answers: 'o' ok (TRUE, error 0), 'u' unsupported (FALSE,
// error 20013; ReceiveStatus -1), '-' does real work (tested on its own).
struct SlotCase {
  const char* name;
  std::function<int(IVasService&, CTBLVas*, int*)> call;
  const char* expected;  // OGQ, ZAV AI, SKT AI
};

TEST(VasEngineAdapters, StubSlotsAnswerAtOnceWithoutTraffic) {
  SOCKET listener = sock::Listen(0, htonl(INADDR_LOOPBACK));
  unsigned short port = sock::GetLocalPort(listener);
  VasTestStore store;
  IDataStore* s = store.get();
  const SlotCase slots[] = {
      {"GetSystemInformation", [](IVasService& v, CTBLVas* r, int* e) { return v.GetSystemInformation(nullptr, r, nullptr, e); }, "ooo"},
      {"AddAdmin", [](IVasService& v, CTBLVas* r, int* e) { return v.AddAdmin(nullptr, r, e); }, "ooo"},
      {"DeleteAdmin", [](IVasService& v, CTBLVas* r, int* e) { return v.DeleteAdmin(nullptr, r, e, "a", "b"); }, "ooo"},
      {"DeleteAdmin without store", [](IVasService& v, CTBLVas* r, int* e) { return v.DeleteAdmin(r, e, "a", "b"); }, "ooo"},
      {"SetAdmin", [](IVasService& v, CTBLVas* r, int* e) { return v.SetAdmin(nullptr, r, e, "a", "b", "c", "d"); }, "ooo"},
      {"SetUsers", [](IVasService& v, CTBLVas* r, int* e) { return v.SetUsers(nullptr, r, e); }, "ooo"},
      {"SetNetworkPorts", [](IVasService& v, CTBLVas* r, int* e) { return v.SetNetworkPorts(nullptr, r, e, 80); }, "ooo"},
      {"SetDevices", [](IVasService& v, CTBLVas* r, int* e) { return v.SetDevices(nullptr, r, e); }, "ooo"},
      {"SetManagementServer", [](IVasService& v, CTBLVas* r, int* e) { return v.SetManagementServer(nullptr, r, e, "x", 1); }, "ooo"},
      {"SetDeviceROI", [s](IVasService& v, CTBLVas* r, int* e) { return v.SetDeviceROI(s, r, e, 1); }, "o-o"},
      {"SetDeviceAllROI", [](IVasService& v, CTBLVas* r, int* e) { return v.SetDeviceAllROI(nullptr, r, e); }, "oo-"},
      {"SetLineCross", [](IVasService& v, CTBLVas* r, int* e) { return v.SetLineCross(nullptr, r, e); }, "uuo"},
      {"SetLineCrossGroup", [](IVasService& v, CTBLVas* r, int* e) { return v.SetLineCrossGroup(nullptr, r, e); }, "uuo"},
      {"SetLineCrossBaseCount", [](IVasService& v, CTBLVas* r, int* e) { return v.SetLineCrossBaseCount(nullptr, r, nullptr, e); }, "uuo"},
      {"SetLineCrossReset", [](IVasService& v, CTBLVas* r, int* e) { return v.SetLineCrossReset(nullptr, r, 1, {1, 2}, e); }, "uuo"},
      {"SetFRData", [](IVasService& v, CTBLVas* r, int* e) { return v.SetFRData(nullptr, nullptr, r, e); }, "uuo"},
      {"RequestSystemStatus", [](IVasService& v, CTBLVas* r, int* e) { CSecureSock c; return v.RequestSystemStatus(nullptr, r, e, 5, 0, 0, &c); }, "uuu"},
      {"RequestAnalysisStatus", [](IVasService& v, CTBLVas* r, int* e) { CSecureSock c; return v.RequestAnalysisStatus(nullptr, r, e, 5, 0, 0, &c); }, "uuu"},
      {"ReceiveStatus", [](IVasService& v, CTBLVas* r, int* e) { CSecureSock c; std::vector<char> b; return v.ReceiveStatus(nullptr, r, e, 0, &c, &b, nullptr, nullptr); }, "uuu"},
      {"UploadDNN", [](IVasService& v, CTBLVas* r, int* e) { return v.UploadDNN(nullptr, r, e, "/x"); }, "uuu"},
      {"RestartVAS", [](IVasService& v, CTBLVas* r, int* e) { return v.RestartVAS(nullptr, r, e); }, "uuu"},
      {"PauseEvent", [](IVasService& v, CTBLVas* r, int* e) { return v.PauseEvent(nullptr, r, 1, 1, e); }, "uuu"},
      {"GetFileAnalysisCapabilities", [](IVasService& v, CTBLVas* r, int* e) { VasFileAnalysisCapabilities c; return v.GetFileAnalysisCapabilities(nullptr, r, &c, e); }, "uuu"},
      {"SetFileAnalysisStart", [](IVasService& v, CTBLVas* r, int* e) { int pid = 0; return v.SetFileAnalysisStart(nullptr, r, "a", &pid, e); }, "uuu"},
      {"GetFileAnalysisStatus", [](IVasService& v, CTBLVas* r, int* e) { VasFileAnalysisStatus st; return v.GetFileAnalysisStatus(nullptr, r, 1, &st, e); }, "uuu"},
      {"GetWaterLevelMask", [](IVasService& v, CTBLVas* r, int* e) { return v.GetWaterLevelMask(nullptr, r, nullptr, nullptr, nullptr, e); }, "uuu"},
  };
  const int kinds[] = {2, 3, 4};
  for (int k = 0; k < 3; ++k) {
    auto row = store.AddServer(kinds[k], port, kinds[k]);
    row->SetControlPort(port);
    for (const SlotCase& slot : slots) {
      char expected = slot.expected[k];
      if (expected == '-') continue;
      auto service = VasServiceFactory::CreateVasService(row.get());
      int error = -7;
      int result = slot.call(*service, row.get(), &error);
      bool receive = std::string(slot.name) == "ReceiveStatus";
      if (expected == 'o') {
        EXPECT_EQ(result, 1) << slot.name << " of kind " << kinds[k];
        EXPECT_EQ(error, 0) << slot.name << " of kind " << kinds[k];
      } else {
        EXPECT_EQ(result, receive ? -1 : 0) << slot.name << " of kind " << kinds[k];
        EXPECT_EQ(error, 20013) << slot.name << " of kind " << kinds[k];
      }
    }
  }
  // Nothing reached the listener.
  EXPECT_EQ(sock::WaitReadable(listener, 100), 0);
  close(listener);
}

// ---------------------------------------------------------------- SKT rois batch

const char kBatchHead[] = "{\r\n\t\"msg_type\": \"rois_batch\",\r\n\t\"rois_per_ch\": [\r\n";
const char kBatchTail[] = "\t]\r\n}";

std::string ChannelHead(const std::string& url, int channel, const char* type, int preset) {
  return "\t  {\r\n\t\t\"rtsp_url\": \"" + url + "\",\r\n\t\t\"ch_num\": " + std::to_string(channel) +
         ",\r\n\t\t\"type\": \"" + type + "\",\r\n\t\t\"preset_num\": " + std::to_string(preset) +
         ",\r\n\t\t\"rois\": [\r\n";
}
const char kChannelTail[] = "\r\n\t\t]\r\n\t  }";

std::string RegionEntry(int zone, const char* event, const std::string& points) {
  return "\t\t  {\r\n\t\t\t\"zone_id\": " + std::to_string(zone) + ",\r\n\t\t\t\"event_type\": \"" + event +
         "\",\r\n\t\t\t\"roi_type\": \"or\",\r\n\t\t\t\"points\": [\r\n" + points +
         "\t\t\t],\r\n\t\t\t\"sensitivity\": 5\r\n\t\t  }";
}

// Server 1 (kind `type`) with device 5 on channel 2 analysing camera 11,
// which a recording server at 10.0.0.5 records on its channel 3.
struct BatchFixture {
  BatchFixture(unsigned short port, int type) {
    row = store.AddServer(1, port, type);
    store.AddZav(1, "10.0.0.5", "nvr", "p");
    camera = store.AddCamera(11, "", "tms-10 ir");
    camera->SetZavNo(1);
    camera->SetZavChannel(3);
    camera->SetId("cam");
    camera->SetPassword("secret");
    store.AddDevice(5, 1, 2, 11);
  }
  int Post(int* error) {
    return VasServiceFactory::CreateVasService(row.get())->SetDeviceAllROI(store.get(), row.get(), error);
  }
  VasTestStore store;
  std::shared_ptr<CTBLVas> row;
  std::shared_ptr<CTBLCamera> camera;
};

bool IsJson(const std::string& text) {
  TempDir dir;
  std::string path = dir.Join("body.json");
  WriteTestFile(path, text);
  return std::system(("python3 -c 'import json,sys; json.load(open(sys.argv[1]))' " + path).c_str()) == 0;
}

TEST(VasSKTAIAdapter, BatchPostsEveryEnabledRegionByPreset) {
  FakeAnalysisServer server([](FakeConnection& c, int) {
    FakeRequest request;
    if (c.ReadRequest(&request)) c.Send("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
    c.WaitClosed(5000);
  });
  BatchFixture f(server.port(), 4);
  auto r1 = f.store.AddRegion(101, 5, 1, 100009);  // preset 0, one point
  r1->SetBaseHeight(720);
  f.store.AddPoint(1, 101, 0, 360);
  auto r2 = f.store.AddRegion(102, 5, 2, 100004);
  r2->SetAnalysisAtPTZPreset(2);
  auto r3 = f.store.AddRegion(103, 5, 3, 100001);  // an event the engine does not take
  r3->SetAnalysisAtPTZPreset(2);
  auto r4 = f.store.AddRegion(104, 5, 4, 100009);  // disabled
  r4->SetEnable(0);
  int error = -7;
  ASSERT_EQ(f.Post(&error), 1);
  EXPECT_EQ(error, 0);
  ASSERT_EQ(server.Requests().size(), 1u);
  FakeRequest request = server.Requests()[0];
  const std::string url = "nvr:p@10.0.0.5:554/3/stream1";
  std::string expected = std::string(kBatchHead) + ChannelHead(url, 1, "IR", 0) +
                         RegionEntry(0, "intrusion", "\t\t\t  {\"x\": 0.00000, \"y\": 0.50000}\r\n") + kChannelTail +
                         ",\r\n" + ChannelHead(url, 1, "IR", 2) + RegionEntry(1, "loitering", "") + kChannelTail +
                         "\r\n" + kBatchTail;
  EXPECT_EQ(request.body, expected);
  EXPECT_TRUE(IsJson(request.body)) << request.body;
  EXPECT_EQ(request.requestLine, "POST /api/rois/batch/ HTTP/1.1");
  EXPECT_EQ(request.Field("Content-Type"), "application/json");
  EXPECT_EQ(request.Field("Content-Length"), std::to_string(expected.size() + 4));
  EXPECT_EQ(request.Field("Authorization"), "");
  EXPECT_EQ(request.requestLine.find("password"), std::string::npos);
}

TEST(VasSKTAIAdapter, BatchDocumentEdgeCases) {
  struct Case {
    const char* name;
    int type;  // 4 server, 5 edge
    std::function<void(BatchFixture&)> setup;
    std::string expected;
  } cases[] = {
      {"no devices", 4, [](BatchFixture& f) { f.store.get()->DeleteEntity(f.store.get()->FindCachedEntity("TBL_VasDevice", 5).get(), 0); },
       std::string(kBatchHead) + kBatchTail},
      {"no enabled region", 4, [](BatchFixture& f) { f.store.AddRegion(101, 5, 1, 100009)->SetEnable(0); },
       std::string(kBatchHead) + kBatchTail},
      {"only a region the engine does not take: an empty, closed list", 4,
       [](BatchFixture& f) { f.store.AddRegion(101, 5, 1, 100001); },
       std::string(kBatchHead) + ChannelHead("nvr:p@10.0.0.5:554/3/stream1", 1, "IR", 0) + kChannelTail + "\r\n" +
           kBatchTail},
      {"an edge reaches an EO camera directly, credentials escaped", 5,
       [](BatchFixture& f) {
         f.camera->SetModelName("XNO-6080R");
         f.camera->SetId("ca\"m");
         f.store.AddRegion(101, 5, 1, 100001);
       },
       std::string(kBatchHead) + ChannelHead("ca\\\"m:secret@127.0.0.1:554/AVStream1_1", 1, "EO", 0) + kChannelTail +
           "\r\n" + kBatchTail},
      {"an edge reaches an IR camera directly", 5, [](BatchFixture& f) { f.store.AddRegion(101, 5, 1, 100001); },
       std::string(kBatchHead) + ChannelHead("cam:secret@127.0.0.1:554/cam0_0", 1, "IR", 0) + kChannelTail + "\r\n" +
           kBatchTail},
      {"a point on a base of 0 is written as 0", 4,
       [](BatchFixture& f) {
         f.store.AddRegion(101, 5, 1, 100009)->SetBaseWidth(0);
         f.store.AddPoint(1, 101, 320, 240);
       },
       std::string(kBatchHead) + ChannelHead("nvr:p@10.0.0.5:554/3/stream1", 1, "IR", 0) +
           RegionEntry(0, "intrusion", "\t\t\t  {\"x\": 0.00000, \"y\": 0.50000}\r\n") + kChannelTail + "\r\n" +
           kBatchTail},
  };
  for (const Case& c : cases) {
    BatchFixture f(7080, c.type);
    c.setup(f);
    ProcessLogCapture log;
    std::string document = VasSKTAIAdapter::MakeBatch(*f.row);
    EXPECT_EQ(document, c.expected) << c.name;
    EXPECT_TRUE(IsJson(document)) << c.name;
    if (std::string(c.name).find("base of 0") != std::string::npos) {
      EXPECT_NE(log.Text().find("ERROR - Region 1 (region1) has a point 320 on a base of 0"), std::string::npos)
          << log.Text();
    }
  }
}

TEST(VasSKTAIAdapter, BatchWithoutCameraOrRecorderLeavesTheDeviceOut) {
  BatchFixture f(7080, 4);
  f.store.AddDevice(6, 1, 4, 99);  // no such camera
  f.store.AddRegion(101, 6, 1, 100009);
  f.camera->SetZavNo(42);          // no such recording server
  f.store.AddRegion(102, 5, 1, 100009);
  ProcessLogCapture log;
  EXPECT_EQ(VasSKTAIAdapter::MakeBatch(*f.row), std::string(kBatchHead) + kBatchTail);
  EXPECT_NE(log.Text().find("Analysis device 6 has no camera"), std::string::npos) << log.Text();
  EXPECT_NE(log.Text().find("analysis device 5 has no recording server"), std::string::npos) << log.Text();
}

TEST(VasSKTAIAdapter, FailedBatchReportsWhy) {
  struct Case {
    const char* name;
    std::function<void(FakeConnection&)> session;
    int error;
  } cases[] = {
      {"404", [](FakeConnection& c) { FakeRequest r; if (c.ReadRequest(&r)) c.Send("HTTP/1.1 404 Not Found\r\n\r\n"); c.WaitClosed(5000); }, 404},
      {"closed without a reply", [](FakeConnection& c) { FakeRequest r; c.ReadRequest(&r); c.Close(); }, 20008},
  };
  for (const Case& c : cases) {
    FakeAnalysisServer server([&](FakeConnection& conn, int) { c.session(conn); });
    BatchFixture f(server.port(), 4);
    ProcessLogCapture log;
    int error = -7;
    EXPECT_EQ(f.Post(&error), 0) << c.name;
    EXPECT_EQ(error, c.error) << c.name;
    EXPECT_NE(log.Text().find("] Error raised when request message to vas\r\n"), std::string::npos) << c.name;
  }
  SOCKET listener = sock::Listen(0, htonl(INADDR_LOOPBACK));
  unsigned short closed = sock::GetLocalPort(listener);
  close(listener);
  BatchFixture f(closed, 4);
  int error = -7;
  EXPECT_EQ(f.Post(&error), 0);
  EXPECT_EQ(error, 20006);
}

TEST(VasSKTAIAdapter, BatchGoesOverTlsWhenTheServerSaysSo) {
  TempDir dir;
  ASSERT_TRUE(FakeAnalysisServer::MakeCertificate(dir.path()));
  FakeAnalysisServer server(
      [](FakeConnection& c, int) {
        FakeRequest request;
        if (c.ReadRequest(&request)) c.Send("HTTP/1.1 200 OK\r\n\r\n");
        c.WaitClosed(5000);
      },
      dir.path());
  BatchFixture f(server.port(), 4);
  f.row->SetUseSecure(1);
  int error = -7;
  EXPECT_EQ(f.Post(&error), 1);
  EXPECT_EQ(server.Requests().size(), 1u);
}

}  // namespace
