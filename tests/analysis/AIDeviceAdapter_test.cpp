#include "analysis/AIDeviceAdapter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "FakeAnalysisServer.h"
#include "VasTestStore.h"
#include "analysis/SKTFocusDevice.h"
#include "analysis/VasServiceFactory.h"
#include "analysis/VasZavAIAdapter.h"
#include "foundation/Digest.h"
#include "foundation/ProcessLogCapture.h"

namespace {

// The documents as the camera expects them, written out from its format.
const char kRulesHead[] =
    "{\r\n\t\"commonIgnore\": {\r\n\t\t\"regionIdRefs\": [],\r\n\t\t\"maxDetectionObjectSize\": \"1.00000,1.00000\",\r\n"
    "\t\t\"minDetectionObjectSize\": \"0.00100,0.00100\",\r\n\t\t\"detectionLevel\": \"5\"\r\n\t},\r\n\t\"rules\": [\r\n";
const char kDocumentTail[] = "\t]\r\n}";

std::string Rule(int index, const std::string& name, const std::string& ignore, const std::string& rois) {
  return "\t\t{\r\n\t\t\t\"index\": \"" + std::to_string(index) + "\",\r\n\t\t\t\"name\": \"" + name +
         "\",\r\n\t\t\t\"type\": \"" + name + "\",\r\n\t\t\t\"ignoreRegionIdRefs\": [" + ignore +
         "],\r\n\t\t\t\"rois\": [\r\n" + rois + "\r\n\t\t\t]\r\n\t\t}";
}

std::string RuleRegion(int number, int loiterTime, const std::string& classes) {
  return "\t\t\t\t{\r\n\t\t\t\t\t\"enable\": \"true\",\r\n\t\t\t\t\t\"notiTo\": \"Customer\",\r\n"
         "\t\t\t\t\t\"regionIdRef\": \"" +
         std::to_string(number) +
         "\",\r\n\t\t\t\t\t\"sensitivity\": \"5\",\r\n"
         "\t\t\t\t\t\"maxDetectionObjectSize\": \"1.00000,1.00000\",\r\n"
         "\t\t\t\t\t\"minDetectionObjectSize\": \"0.00100,0.00100\",\r\n"
         "\t\t\t\t\t\"loiteringDetectionTime\": \"" +
         std::to_string(loiterTime) + "\",\r\n\t\t\t\t\t\"targetClasses\": [" + classes + "]\r\n\t\t\t\t}";
}

std::string Region(int id, const std::string& name, const std::string& points) {
  return "\t\t{\r\n\t\t\t\"id\": \"" + std::to_string(id) + "\",\r\n\t\t\t\"name\": \"" + name +
         "\",\r\n\t\t\t\"type\": \"Polygon\",\r\n\t\t\t\"points\": [\r\n" + points + "\r\n\t\t\t]\r\n\t\t}";
}

const char kGconfig[] = "{\r\n\t\"EventSmartGConfig\": {\r\n\t\t\"thumbnailSize\": \"256x256\"\r\n\t}\r\n}";
const char kMode[] = "{\r\n\t\"EventSmartMode\": {\r\n\t\t\"mode\": \"basic\"\r\n\t}\r\n}";

TEST(AIDeviceAdapter, KindFollowsVendorAndModelInAnyCase) {
  struct Case {
    const char* vendor;
    const char* model;
    int kind;
  } cases[] = {{"SK telecom", "FIC-BM2A1-G", 1}, {"sk TELECOM", "fic-dm2a1-w", 1}, {"SK Telecom", "ipc-dm2a1-w", 2},
               {"SK telecom", "IPC-BM2A1-G", 2},  {"SK telecom", "XNO-6080R", 0},    {"Hanwha", "FIC-BM2A1-G", 0},
               {"", "", 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(GetAIDeviceKind(c.vendor, c.model), c.kind) << c.vendor << "/" << c.model;
    auto adapter = CreateAIDeviceAdapter(c.vendor, c.model);
    EXPECT_EQ(adapter != nullptr, c.kind != 0) << c.vendor << "/" << c.model;
    if (adapter) EXPECT_EQ(adapter->GetSupportedEventTypes(), std::vector<int>{100009});
  }
}

// Server 1 of kind 3 with device 5 analysing camera 11, an AI camera on `port`.
struct CameraFixture {
  explicit CameraFixture(unsigned short port) {
    row = store.AddServer(1, 7080, 3);
    camera = store.AddCamera(11, "SK telecom", "IPC-DM2A1-W");
    camera->SetWebPort(port);
    camera->SetId("admin");
    camera->SetPassword("pw");
    store.AddDevice(5, 1, 1, 11);
  }
  int ThroughEngine(int vasDeviceId, int* error) {
    return VasServiceFactory::CreateVasService(row.get())->SetDeviceROI(store.get(), row.get(), error, vasDeviceId);
  }
  VasTestStore store;
  std::shared_ptr<CTBLVas> row;
  std::shared_ptr<CTBLCamera> camera;
};

TEST(AIDeviceAdapter, MissingArgumentsDevicesAndCamerasGiveTheirCodes) {
  CameraFixture f(1);
  f.store.AddDevice(6, 1, 2, 0);  // no camera
  f.store.AddCamera(12, "Hanwha", "XNO");
  f.store.AddDevice(7, 1, 3, 12);  // a camera that is no AI camera
  CSKTFocusDevice camera;
  struct Case {
    const char* name;
    std::function<int(int*)> call;
    int error;
    const char* line;
  } cases[] = {
      {"null store", [&](int* e) { return camera.SetDeviceROI(nullptr, e, 5); }, 20000, nullptr},
      {"device id 0", [&](int* e) { return camera.SetDeviceROI(f.store.get(), e, 0); }, 20000, nullptr},
      {"missing device", [&](int* e) { return camera.SetDeviceROI(f.store.get(), e, 77); }, 20018,
       "ERROR - Not found CTBLVasDevice by [77]\r\n"},
      {"device without camera", [&](int* e) { return camera.SetDeviceROI(f.store.get(), e, 6); }, 20018,
       "ERROR - Not found CTBLCamera for Vas Device [6]\r\n"},
      {"engine: missing device", [&](int* e) { return f.ThroughEngine(77, e); }, 20018, nullptr},
      {"engine: no camera", [&](int* e) { return f.ThroughEngine(6, e); }, 20019, nullptr},
      {"engine: not an AI camera", [&](int* e) { return f.ThroughEngine(7, e); }, 20019, nullptr},
  };
  for (const Case& c : cases) {
    ProcessLogCapture log;
    int error = -7;
    EXPECT_EQ(c.call(&error), 0) << c.name;
    EXPECT_EQ(error, c.error) << c.name;
    if (c.line) EXPECT_NE(log.Text().find(c.line), std::string::npos) << c.name << ": " << log.Text();
  }
}

// A camera that demands Digest: a request without Authorization, or every
// request when `alwaysChallenge`, gets a challenge and a close; an answered
// one is checked against the login and gets 200.
struct FakeCamera {
  FakeCamera(const std::string& algorithm, bool alwaysChallenge)
      : server([this, algorithm, alwaysChallenge](FakeConnection& c, int) {
          FakeRequest request;
          if (!c.ReadRequest(&request)) return;
          std::string auth = request.Field("Authorization");
          if (auth.empty() || alwaysChallenge) {
            c.Send("HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Digest realm=\"cam\", nonce=\"n0nce\", algorithm=" +
                   algorithm + "\r\nContent-Length: 0\r\n\r\n");
            c.Close();
            return;
          }
          auto hash = [&](const std::string& text) { return algorithm == "SHA-256" ? Sha256Hex(text) : Md5Hex(text); };
          std::string path = request.requestLine.substr(4, request.requestLine.rfind(' ') - 4);
          std::string expected = hash(hash("admin:cam:pw") + ":n0nce:" + hash("PUT:" + path));
          std::smatch match;
          bool valid = std::regex_search(auth, match, std::regex("response=\"([0-9a-f]+)\"")) && match[1] == expected;
          if (!valid) ++badAnswers;
          c.Send(valid ? "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n" : "HTTP/1.1 403 Forbidden\r\n\r\n");
          c.WaitClosed(5000);
        }) {}
  std::atomic<int> badAnswers{0};
  FakeAnalysisServer server;
};

TEST(AIDeviceAdapter, FourPutsInOrderEachAnsweringOneChallenge) {
  for (const char* algorithm : {"MD5", "SHA-256"}) {
    SCOPED_TRACE(algorithm);
    FakeCamera camera(algorithm, false);
    CameraFixture f(camera.server.port());
    auto r1 = f.store.AddRegion(101, 5, 1, 100009);  // no Events: both rules
    r1->SetName("\xb0\xa1 zone");                     // CP949
    f.store.AddPoint(1, 101, 320, 240);
    f.store.AddPoint(2, 101, 0, 480);
    auto r2 = f.store.AddRegion(102, 5, 2, 0);
    r2->SetType(2);  // an ignore region
    f.store.AddPoint(3, 102, 64, 48);
    int error = -7;
    ASSERT_EQ(f.ThroughEngine(5, &error), 1);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(camera.badAnswers.load(), 0);
    auto requests = camera.server.Requests();
    ASSERT_EQ(requests.size(), 8u);
    EXPECT_EQ(camera.server.Accepted(), 8) << "every PUT on its own connection";
    const char* paths[] = {"/api/event/smart/gconfig", "/api/event/ai/rule", "/api/event/ai/region",
                           "/api/event/smart/mode"};
    std::string rules = std::string(kRulesHead) + Rule(1, "Intrusion", "\"2\"", RuleRegion(1, 0, "")) + ",\r\n" +
                        Rule(2, "Loitering", "\"2\"", RuleRegion(1, 60, "")) + "\r\n" + kDocumentTail;
    std::string regions = "{\r\n\t\"regions\": [\r\n" +
                          Region(1, "\xea\xb0\x80 zone", "\t\t\t\t\"0.50000,0.50000\",\r\n\t\t\t\t\"0.00000,1.00000\"") +
                          ",\r\n" + Region(2, "region2", "\t\t\t\t\"0.10000,0.10000\"") + "\r\n" + kDocumentTail;
    const std::string bodies[] = {kGconfig, rules, regions, kMode};
    for (int i = 0; i < 4; ++i) {
      for (int attempt = 0; attempt < 2; ++attempt) {
        const FakeRequest& request = requests[i * 2 + attempt];
        EXPECT_EQ(request.requestLine, std::string("PUT ") + paths[i] + " HTTP/1.1");
        EXPECT_EQ(request.body, bodies[i]) << paths[i];
        EXPECT_EQ(request.Field("Content-Type"), "application/json");
        EXPECT_EQ(request.Field("Content-Length"), std::to_string(bodies[i].size() + 4));
        EXPECT_EQ(request.Field("Authorization").empty(), attempt == 0) << paths[i];
      }
    }
  }
}

TEST(AIDeviceAdapter, ASecondChallengeFailsTheStep) {
  FakeCamera camera("MD5", true);
  CameraFixture f(camera.server.port());
  ProcessLogCapture log;
  int error = -7;
  EXPECT_EQ(f.ThroughEngine(5, &error), 0);
  EXPECT_EQ(error, 0) << "a failed PUT leaves the error as the caller set it";
  EXPECT_EQ(camera.server.Requests().size(), 2u) << "nothing after the failed gconfig";
  EXPECT_NE(log.Text().find("ERROR - Request gconfig failed. [camera11]\r\n"), std::string::npos) << log.Text();
}

TEST(AIDeviceAdapter, RulesFollowTheRegionsEvents) {
  struct Case {
    const char* name;
    const char* detail;
    std::string rules;  // between the head and the tail
  } cases[] = {
      {"no regions", nullptr, ""},
      {"Events=3: loitering only, its time", "Events=3&LoitTime=30&Classes=person,car",
       Rule(1, "Loitering", "", RuleRegion(1, 30, "\"person\", \"car\"")) + "\r\n"},
      {"Events=3 without LoitTime: 60", "Events=3", Rule(1, "Loitering", "", RuleRegion(1, 60, "")) + "\r\n"},
      {"Events=8: intrusion only, time 0", "LoitTime=30&Events=8",
       Rule(1, "Intrusion", "", RuleRegion(1, 0, "")) + "\r\n"},
      {"Events=3,8: both", "Events=3,8",
       Rule(1, "Intrusion", "", RuleRegion(1, 0, "")) + ",\r\n" + Rule(2, "Loitering", "", RuleRegion(1, 60, "")) +
           "\r\n"},
      {"an empty Events list: no rule", "Events=", ""},
      {"a class with a quote is escaped", "Events=8&Classes=a\"b",
       Rule(1, "Intrusion", "", RuleRegion(1, 0, "\"a\\\"b\"")) + "\r\n"},
  };
  for (const Case& c : cases) {
    VasTestStore store;
    store.AddDevice(5, 1, 1, 0);
    std::vector<std::shared_ptr<CTBLVasROI>> regions;
    if (c.detail) {
      regions.push_back(store.AddRegion(101, 5, 1, 100009));
      regions.back()->SetDetail1(c.detail);
    }
    EXPECT_EQ(CSKTFocusDevice::MakeRulesDocument(regions), std::string(kRulesHead) + c.rules + kDocumentTail)
        << c.name;
  }
  EXPECT_EQ(CSKTFocusDevice::MakeRegionsDocument({}), std::string("{\r\n\t\"regions\": [\r\n") + kDocumentTail);
}

}  // namespace
