// The own-kind adapter's region documents: each polygon's values from its
// region, intelligent event, face group and crowd or water-level settings,
// the blocks of one device and of every device, and the skew of water-level
// outlines.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "VasConfigPeer.h"
#include "VasTestStore.h"
#include "analysis/VasTorvaneAdapter.h"
#include "analysis/WaterLevelSkew.h"
#include "entities/analysis/VasCrowdDensity.h"
#include "entities/analysis/VasDevice.h"
#include "entities/analysis/VasFRFaceGroup.h"
#include "entities/analysis/VasIntelligentEvent.h"
#include "entities/analysis/VasWaterLevel.h"
#include "foundation/ProcessLogCapture.h"
#include "support/WaitUntil.h"

namespace {

// Adds `row` to the store and returns the cached row as `Row`.
template <class Row>
std::shared_ptr<Row> Cached(VasTestStore& store, std::unique_ptr<Row> row) {
  EXPECT_TRUE(store.get()->AddEntity(row.get(), 0));
  return std::dynamic_pointer_cast<Row>(store.get()->FindCachedEntity(row->GetTableName(), row->GetID()));
}

// Server 1; camera 10; device 1 on channel 4 analysing it; event 1; region 1
// (number 3, event 1) with three points.
struct RegionFixture {
  VasTestStore store;
  std::shared_ptr<CTBLVas> server;
  std::shared_ptr<CTBLCamera> camera;
  std::shared_ptr<CTBLVasDevice> device;
  std::shared_ptr<CTBLVasIntelligentEvent> event;
  std::shared_ptr<CTBLVasROI> region;

  explicit RegionFixture(unsigned short port = 0) {
    server = store.AddServer(1, port);
    camera = store.AddCamera(10);
    store.AddDevice(1, 1, 4, 10);
    device = std::dynamic_pointer_cast<CTBLVasDevice>(store.get()->FindCachedEntity("TBL_VasDevice", 1));
    auto e = std::make_unique<CTBLVasIntelligentEvent>();
    e->SetVasIntelligentEventID(1);
    e->SetClassList("1,2");
    e->SetHoldingTime(2);
    event = Cached(store, std::move(e));
    region = store.AddRegion(1, 1, 3, 1);
    store.AddPoint(1, 1, 10, 20);
    store.AddPoint(2, 1, 30, 40);
    store.AddPoint(3, 1, 50, 60);
  }
  std::shared_ptr<CTBLVasCrowdDensity> AddCrowd() {
    auto crowd = std::make_unique<CTBLVasCrowdDensity>();
    crowd->SetVasCrowdDensityID(1);
    crowd->SetVasROIID(1);
    return Cached(store, std::move(crowd));
  }
  std::shared_ptr<CTBLVasWaterLevel> AddWater() {
    auto water = std::make_unique<CTBLVasWaterLevel>();
    water->SetVasWaterLevelID(1);
    water->SetVasROIID(1);
    return Cached(store, std::move(water));
  }
  void AddFaceGroup(int id, const std::string& faces) {
    auto group = std::make_unique<CTBLVasFRFaceGroup>();
    group->SetVasFRFaceGroupID(id);
    group->SetFaceList(faces);
    Cached(store, std::move(group));
  }
  std::string Block(bool keepEmpty = false) {
    return VasTorvaneAdapter::GetChannelROIItem(store.get(), device, keepEmpty);
  }
};

// The text of the first element `name` in `text`; "<none>" when absent.
std::string Element(const std::string& text, const std::string& name) {
  size_t open = text.find("<" + name + ">");
  if (open == std::string::npos) return "<none>";
  open += name.size() + 2;
  size_t close = text.find("</" + name + ">", open);
  return close == std::string::npos ? "<none>" : text.substr(open, close - open);
}

// Every point item of `text` as (x, y).
std::vector<VasPoint> Points(const std::string& text) {
  std::vector<VasPoint> points;
  for (size_t at = text.find("<PointItem>"); at != std::string::npos; at = text.find("<PointItem>", at + 1)) {
    std::string item = text.substr(at);
    points.push_back({std::stoi(Element(item, "X")), std::stoi(Element(item, "Y"))});
  }
  return points;
}

// The whole block of the fixture's plain region, as sent.
TEST(VasTorvaneAdapterROI, DeviceBlockAsSent) {
  RegionFixture f;
  EXPECT_EQ(f.Block(),
            "\t\t<ROIItem>\r\n\t\t\t<Channel>4</Channel>\r\n"
            "\t\t\t<PolygonItem>\r\n\t\t\t\t<ID>3</ID>\r\n\t\t\t\t<TypeID>1</TypeID>\r\n"
            "\t\t\t\t<ObjectIDList>1,2</ObjectIDList>\r\n\t\t\t\t<ObjectCropCriteria>Whole</ObjectCropCriteria>\r\n"
            "\t\t\t\t<ObjectCropPercent>100</ObjectCropPercent>\r\n\t\t\t\t<ObjectOverlapPercent>100</"
            "ObjectOverlapPercent>\r\n"
            "\t\t\t\t<ObjectDwellMsec>3000</ObjectDwellMsec>\r\n\t\t\t\t<EventDwellMsec>3000</EventDwellMsec>\r\n"
            "\t\t\t\t<NewEventIntervalMSec>600000</NewEventIntervalMSec>\r\n\t\t\t\t<EventTriggerMsec>2000</"
            "EventTriggerMsec>\r\n"
            "\t\t\t\t<MovingObjectDisregard>0</MovingObjectDisregard>\r\n"
            "\t\t\t\t<MovingObjectDistancePercent>0.1</MovingObjectDistancePercent>\r\n"
            "\t\t\t\t<EventTriggerAtLeaving>0</EventTriggerAtLeaving>\r\n"
            "\t\t\t\t<EventTriggerFaceIDList></EventTriggerFaceIDList>\r\n"
            "\t\t\t\t<EventTriggerFaceIDListType></EventTriggerFaceIDListType>\r\n"
            "\t\t\t\t<AnalysisPTZPresetNumber>0</AnalysisPTZPresetNumber>\r\n"
            "\t\t\t\t<AnalysisPTZPresetDelayMsec>1000</AnalysisPTZPresetDelayMsec>\r\n"
            "\t\t\t\t<GroupObjectIDList1></GroupObjectIDList1>\r\n\t\t\t\t<GroupObjectIDList2></GroupObjectIDList2>\r\n"
            "\t\t\t\t<GroupOverlapPercent></GroupOverlapPercent>\r\n"
            "\t\t\t\t<GroupNotIOUObjectIDList1></GroupNotIOUObjectIDList1>\r\n"
            "\t\t\t\t<IllegalDumpingType></IllegalDumpingType>\r\n\t\t\t\t<CrowdObjectCount></CrowdObjectCount>\r\n"
            "\t\t\t\t<Step1Value>0.0</Step1Value>\r\n\t\t\t\t<Step2Value>0.0</Step2Value>\r\n"
            "\t\t\t\t<Step3Value>0.0</Step3Value>\r\n\t\t\t\t<Step4Value>0.0</Step4Value>\r\n"
            "\t\t\t\t<CrowdAreaSize>0.0</CrowdAreaSize>\r\n\t\t\t\t<EventStep>0</EventStep>\r\n"
            "\t\t\t\t<StepChangeMsec>0</StepChangeMsec>\r\n"
            "\t\t\t\t<PointItem>\r\n\t\t\t\t\t<X>10</X>\r\n\t\t\t\t\t<Y>20</Y>\r\n\t\t\t\t</PointItem>\r\n"
            "\t\t\t\t<PointItem>\r\n\t\t\t\t\t<X>30</X>\r\n\t\t\t\t\t<Y>40</Y>\r\n\t\t\t\t</PointItem>\r\n"
            "\t\t\t\t<PointItem>\r\n\t\t\t\t\t<X>50</X>\r\n\t\t\t\t\t<Y>60</Y>\r\n\t\t\t\t</PointItem>\r\n"
            "\t\t\t</PolygonItem>\r\n"
            "\t\t</ROIItem>\r\n");
}

struct RegionCase {
  std::string name;
  std::function<void(RegionFixture&)> setUp;
  std::vector<std::pair<const char*, std::string>> elements;  // empty: no polygon item
};

std::vector<RegionCase> RegionCases() {
  std::vector<RegionCase> cases;
  // The type table: event Type to TypeID, MovingObjectDisregard, EventTriggerAtLeaving.
  const int typeIds[] = {1, 1, 2, 1, 1, 3, 4, 5, 7, 8, 9};
  for (int type = -1; type <= 11; ++type) {
    const int typeId = type >= 0 && type <= 10 ? typeIds[type] : 1;
    cases.push_back({"event type " + std::to_string(type),
                     [type](RegionFixture& f) { f.event->SetType(type); },
                     {{"TypeID", std::to_string(typeId)},
                      {"MovingObjectDisregard", type == 4 ? "1" : "0"},
                      {"EventTriggerAtLeaving", type == 3 ? "1" : "0"}}});
  }
  cases.push_back({"ignore region, whatever its event",
                   [](RegionFixture& f) {
                     f.region->SetType(2);
                     f.region->SetVasIntelligentEventID(99);
                     f.region->SetObjectOverlapPercent(45);
                   },
                   {{"TypeID", "6"},
                    {"ObjectIDList", ""},
                    {"ObjectCropCriteria", "Whole"},
                    {"ObjectCropPercent", "0"},
                    {"ObjectOverlapPercent", "45"},
                    {"EventTriggerMsec", "0"},
                    {"ObjectDwellMsec", "3000"}}});
  cases.push_back({"shown instead of another", [](RegionFixture& f) { f.region->SetDisplayInsteadOf(1); }, {}});
  cases.push_back({"disabled", [](RegionFixture& f) { f.region->SetEnable(0); }, {}});
  cases.push_back({"no event", [](RegionFixture& f) { f.region->SetVasIntelligentEventID(0); }, {}});
  cases.push_back({"event missing", [](RegionFixture& f) { f.region->SetVasIntelligentEventID(77); }, {}});
  cases.push_back({"class groups",
                   [](RegionFixture& f) {
                     f.event->SetType(6);
                     f.event->SetOverlapClassList("3");
                     f.event->SetClassOverlapMethod(2);
                     f.event->SetClassOverlapSize(30);
                     f.event->SetOptionalClassUseMethod(2);
                     f.event->SetOptionalClassList("9");
                   },
                   {{"ObjectIDList", "1,2,3"},
                    {"GroupObjectIDList1", "1,2"},
                    {"GroupObjectIDList2", "3"},
                    {"GroupOverlapPercent", "LE30"},
                    {"GroupNotIOUObjectIDList1", "9"}}});
  cases.push_back({"class groups, first list only, at least",
                   [](RegionFixture& f) {
                     f.event->SetType(6);
                     f.event->SetClassOverlapMethod(1);
                   },
                   {{"ObjectIDList", "1,2"}, {"GroupOverlapPercent", "GE30"}, {"GroupNotIOUObjectIDList1", ""}}});
  cases.push_back({"illegal dumping",
                   [](RegionFixture& f) {
                     f.event->SetType(2);
                     f.event->SetIllegalDumpingType(0);
                   },
                   {{"IllegalDumpingType", "Abandon"}, {"CrowdObjectCount", ""}}});
  cases.push_back({"crowd object count",
                   [](RegionFixture& f) {
                     f.event->SetType(7);
                     f.event->SetClusterSize(4);
                   },
                   {{"CrowdObjectCount", "4"}, {"IllegalDumpingType", ""}}});
  cases.push_back({"moving distance in tenths",
                   [](RegionFixture& f) { f.region->SetMovingObjectDistancePercent(15); },
                   {{"MovingObjectDistancePercent", "1.5"}}});
  cases.push_back({"crowd with the default levels",
                   [](RegionFixture& f) {
                     f.region->SetType(3);
                     auto crowd = f.AddCrowd();
                     crowd->SetArea(25);
                     crowd->SetEventTriggerLevel(2);
                     crowd->SetHoldingTime(3);
                     crowd->SetDensityLevel1(15);
                   },
                   {{"Step1Value", "1.0"},
                    {"Step2Value", "2.0"},
                    {"Step3Value", "4.0"},
                    {"Step4Value", "6.0"},
                    {"CrowdAreaSize", "2.5"},
                    {"EventStep", "2"},
                    {"StepChangeMsec", "3000"}}});
  cases.push_back({"crowd with its own levels",
                   [](RegionFixture& f) {
                     f.region->SetType(3);
                     auto crowd = f.AddCrowd();
                     crowd->SetDensityLevelType(1);
                     crowd->SetDensityLevel1(15);
                     crowd->SetDensityLevel4(42);
                   },
                   {{"Step1Value", "1.5"}, {"Step4Value", "4.2"}}});
  cases.push_back({"crowd without its row",
                   [](RegionFixture& f) { f.region->SetType(3); },
                   {{"Step1Value", "0.0"}, {"CrowdAreaSize", "0.0"}, {"EventStep", "0"}}});
  cases.push_back({"water level",
                   [](RegionFixture& f) {
                     f.region->SetType(4);
                     auto water = f.AddWater();
                     water->SetEventTriggerLevel(3);
                     water->SetHoldingTime(5);
                   },
                   {{"Step1Value", "20.0"},
                    {"Step4Value", "80.0"},
                    {"CrowdAreaSize", "0.0"},
                    {"EventStep", "3"},
                    {"StepChangeMsec", "5000"}}});
  for (int method : {1, 2}) {
    cases.push_back(
        {"face group, detection method " + std::to_string(method),
         [method](RegionFixture& f) {
           f.event->SetEventType(2);
           f.event->SetFaceGroupList(",5,6");
           f.event->SetFaceDetectionMethod(method);
           f.AddFaceGroup(5, "7,8");
         },
         {{"EventTriggerFaceIDList", "7,8"}, {"EventTriggerFaceIDListType", method == 2 ? "Exclude" : "Include"}}});
  }
  cases.push_back({"face group missing",
                   [](RegionFixture& f) {
                     f.event->SetEventType(2);
                     f.event->SetFaceGroupList("5");
                   },
                   {{"EventTriggerFaceIDList", ""}, {"EventTriggerFaceIDListType", ""}}});
  cases.push_back({"PTZ preset on a PTZ camera",
                   [](RegionFixture& f) {
                     f.camera->SetPTZControl(1);
                     f.region->SetAnalysisAtPTZPreset(4);
                   },
                   {{"AnalysisPTZPresetNumber", "4"}}});
  cases.push_back({"PTZ preset on a fixed camera",
                   [](RegionFixture& f) { f.region->SetAnalysisAtPTZPreset(4); },
                   {{"AnalysisPTZPresetNumber", "0"}}});
  return cases;
}

TEST(VasTorvaneAdapterROI, PolygonValuesFollowRegionEventAndSettings) {
  for (const RegionCase& c : RegionCases()) {
    SCOPED_TRACE(c.name);
    RegionFixture f;
    c.setUp(f);
    const std::string block = f.Block();
    if (c.elements.empty()) {
      EXPECT_EQ(block, "");
      EXPECT_EQ(f.Block(true), "\t\t<ROIItem>\r\n\t\t\t<Channel>4</Channel>\r\n\t\t</ROIItem>\r\n");
      continue;
    }
    for (const auto& [name, value] : c.elements) EXPECT_EQ(Element(block, name), value) << name;
  }
}

TEST(VasTorvaneAdapterROI, WaterLevelOutlineIsSkewedFromFourPoints) {
  struct Case {
    const char* name;
    std::vector<VasPoint> stored;
    int angleX, angleY;
    std::vector<VasPoint> sent;
  } cases[] = {
      {"three points go unchanged", {{0, 0}, {100, 0}, {100, 50}}, 10, 20, {{0, 0}, {100, 0}, {100, 50}}},
      {"zero angles give the rectangle",
       {{0, 0}, {100, 0}, {100, 50}, {0, 50}},
       0,
       0,
       {{0, 0}, {100, 0}, {100, 50}, {0, 50}}},
      {"points 1 and 3 are not used",
       {{0, 0}, {7, 7}, {100, 50}, {9, 9}, {1, 1}},
       0,
       0,
       {{0, 0}, {100, 0}, {100, 50}, {0, 50}}},
      // Centre (50, 25); tan 10° = 0.176327, tan 20° = 0.363970 in float;
      // each coordinate truncated toward zero (-4.408 gives -4).
      {"10 and 20 degrees", {{0, 0}, {100, 0}, {100, 50}, {0, 50}}, 10, 20, {{-4, -18}, {95, 18}, {104, 68}, {4, 31}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RegionFixture f;
    f.region->SetType(4);
    auto water = f.AddWater();
    water->SetSkewAngleX(c.angleX);
    water->SetSkewAngleY(c.angleY);
    for (int id = 1; id <= 3; ++id)
      f.store.get()->DeleteEntity(f.store.get()->FindCachedEntity("TBL_VasROIPoints", id).get(), 0);
    int id = 10;
    for (const VasPoint& p : c.stored) f.store.AddPoint(id++, 1, p.x, p.y);
    EXPECT_EQ(Points(f.Block()), c.sent);
  }
}

// A skew near 90 degrees sends coordinates beyond the int range: they are
// clamped to its ends, never converted with undefined behaviour.
TEST(VasTorvaneAdapterROI, SkewNearNinetyDegreesIsClamped) {
  std::vector<VasPoint> points = {{0, 0}, {2000000000, 0}, {2000000000, 2000000000}, {0, 2000000000}};
  ApplyWaterLevelSkew(&points, 90, -90);
  ASSERT_EQ(points.size(), 4u);
  bool clamped = false;
  for (const VasPoint& p : points) {
    for (int v : {p.x, p.y}) clamped = clamped || v == INT_MAX || v == INT_MIN;
  }
  EXPECT_TRUE(clamped);
  const struct {
    float in;
    int out;
  } values[] = {{-4.7f, -4},
                {4.7f, 4},
                {3e9f, INT_MAX},
                {-3e9f, INT_MIN},
                {NAN, 0},
                {INFINITY, INT_MAX},
                {2147483520.0f, 2147483520}};
  for (const auto& v : values) EXPECT_EQ(ClampToInt(v.in), v.out) << v.in;
}

// One device's request keeps a block without regions; the all-devices
// request leaves it out; a device without camera gives no block at all.
TEST(VasTorvaneAdapterROI, DeviceAndAllDeviceRequests) {
  const std::string head = "<Analysis>\r\n\t<ROI>\r\n";
  const std::string tail = "\t</ROI>\r\n</Analysis>\r\n";
  const std::string emptyBlock = "\t\t<ROIItem>\r\n\t\t\t<Channel>4</Channel>\r\n\t\t</ROIItem>\r\n";
  struct Case {
    const char* name;
    bool all;
    bool camera;
    std::string body;
  } cases[] = {
      {"one device, regions disabled", false, true, head + emptyBlock + tail},
      {"all devices, regions disabled", true, true, head + tail},
      {"one device without camera", false, false, head + tail},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeAnalysisServer server(AnswerOnce(kOkReply));
    RegionFixture f(server.port());
    f.region->SetEnable(0);
    if (!c.camera) f.device->SetDeviceID(99);
    VasTorvaneAdapter adapter(*f.server);
    int error = -1;
    const int result = c.all ? adapter.SetDeviceAllROI(f.store.get(), f.server.get(), &error)
                             : adapter.SetDeviceROI(f.store.get(), f.server.get(), &error, 1);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(error, 0);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].body, c.body);
  }
}

TEST(VasTorvaneAdapterROI, MissingDeviceFailsAfterTheConnectionTest) {
  FakeAnalysisServer server(AnswerOnce(kOkReply));
  RegionFixture f(server.port());
  VasTorvaneAdapter adapter(*f.server);
  ProcessLogCapture log;
  int error = 0;
  EXPECT_EQ(adapter.SetDeviceROI(f.store.get(), f.server.get(), &error, 42), 0);
  EXPECT_EQ(error, kVasErrorNoDevice);
  EXPECT_NE(log.Text().find("Error raised when find entity for VAS device(42)."), std::string::npos) << log.Text();
  // The connection test's connection is counted once the fake accepted it.
  EXPECT_TRUE(WaitUntil([&] { return server.Accepted() == 1; }));
  EXPECT_TRUE(server.Requests().empty());
}

}  // namespace
