// VasTorvaneAdapter: the regions of interest of one device or of every
// device of the server, each polygon with the settings of its intelligent
// event, its crowd-density or water-level settings and its points.
#include <stdint.h>

#include "analysis/VasTorvaneAdapter.h"
#include "analysis/WaterLevelSkew.h"
#include "database/IDataStore.h"
#include "entities/Camera.h"
#include "entities/analysis/Vas.h"
#include "entities/analysis/VasCrowdDensity.h"
#include "entities/analysis/VasDevice.h"
#include "entities/analysis/VasFRFaceGroup.h"
#include "entities/analysis/VasIntelligentEvent.h"
#include "entities/analysis/VasROI.h"
#include "entities/analysis/VasROIPoints.h"
#include "entities/analysis/VasWaterLevel.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"

namespace {

constexpr int kRegionTypeIgnore = 2;
constexpr int kRegionTypeCrowd = 3;
constexpr int kRegionTypeWater = 4;
constexpr int kTypeIdIgnore = 6;

constexpr const char* kPolygonFormat =
    "\t\t\t<PolygonItem>\r\n\t\t\t\t<ID>%d</ID>\r\n\t\t\t\t<TypeID>%d</TypeID>\r\n"
    "\t\t\t\t<ObjectIDList>%s</ObjectIDList>\r\n\t\t\t\t<ObjectCropCriteria>%s</ObjectCropCriteria>\r\n"
    "\t\t\t\t<ObjectCropPercent>%d</ObjectCropPercent>\r\n\t\t\t\t<ObjectOverlapPercent>%d</ObjectOverlapPercent>\r\n"
    "\t\t\t\t<ObjectDwellMsec>%lld</ObjectDwellMsec>\r\n\t\t\t\t<EventDwellMsec>%lld</EventDwellMsec>\r\n"
    "\t\t\t\t<NewEventIntervalMSec>%lld</NewEventIntervalMSec>\r\n\t\t\t\t<EventTriggerMsec>%lld</EventTriggerMsec>\r\n"
    "\t\t\t\t<MovingObjectDisregard>%d</MovingObjectDisregard>\r\n"
    "\t\t\t\t<MovingObjectDistancePercent>%.1f</MovingObjectDistancePercent>\r\n"
    "\t\t\t\t<EventTriggerAtLeaving>%d</EventTriggerAtLeaving>\r\n"
    "\t\t\t\t<EventTriggerFaceIDList>%s</EventTriggerFaceIDList>\r\n"
    "\t\t\t\t<EventTriggerFaceIDListType>%s</EventTriggerFaceIDListType>\r\n"
    "\t\t\t\t<AnalysisPTZPresetNumber>%d</AnalysisPTZPresetNumber>\r\n"
    "\t\t\t\t<AnalysisPTZPresetDelayMsec>%d</AnalysisPTZPresetDelayMsec>\r\n"
    "\t\t\t\t<GroupObjectIDList1>%s</GroupObjectIDList1>\r\n\t\t\t\t<GroupObjectIDList2>%s</GroupObjectIDList2>\r\n"
    "\t\t\t\t<GroupOverlapPercent>%s</GroupOverlapPercent>\r\n"
    "\t\t\t\t<GroupNotIOUObjectIDList1>%s</GroupNotIOUObjectIDList1>\r\n"
    "\t\t\t\t<IllegalDumpingType>%s</IllegalDumpingType>\r\n\t\t\t\t<CrowdObjectCount>%s</CrowdObjectCount>\r\n"
    "\t\t\t\t<Step1Value>%.1f</Step1Value>\r\n\t\t\t\t<Step2Value>%.1f</Step2Value>\r\n"
    "\t\t\t\t<Step3Value>%.1f</Step3Value>\r\n\t\t\t\t<Step4Value>%.1f</Step4Value>\r\n"
    "\t\t\t\t<CrowdAreaSize>%.1f</CrowdAreaSize>\r\n\t\t\t\t<EventStep>%d</EventStep>\r\n"
    "\t\t\t\t<StepChangeMsec>%lld</StepChangeMsec>\r\n";

// Seconds as milliseconds, in 64 bits so that no stored value overflows.
long long Msec(int seconds) { return static_cast<long long>(seconds) * 1000; }

// What a polygon item says; a new object holds the values of an ignore region.
struct Polygon {
  int typeId = kTypeIdIgnore;
  std::string objects;
  std::string cropCriteria = "Whole";
  int cropPercent = 0;
  int overlapPercent = 0;
  long long triggerMsec = 0;
  int movingDisregard = 0;
  int triggerAtLeaving = 0;
  std::string faceList;
  std::string faceListType;
  std::string group1;
  std::string group2;
  std::string groupOverlap;
  std::string groupNotIou;
  std::string dumping;
  std::string crowdCount;
  float steps[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  float crowdArea = 0.0f;
  int eventStep = 0;
  long long stepChangeMsec = 0;
};

// The event type's TypeID, MovingObjectDisregard and EventTriggerAtLeaving.
void TypeValues(int eventType, Polygon* p) {
  static constexpr int kTypeIds[] = {1, 1, 2, 1, 1, 3, 4, 5, 7, 8, 9};
  p->typeId = eventType >= 0 && eventType <= 10 ? kTypeIds[eventType] : 1;
  p->movingDisregard = eventType == 4 ? 1 : 0;
  p->triggerAtLeaving = eventType == 3 ? 1 : 0;
}

const char* DumpingText(int type) {
  switch (type) {
    case 0:
      return "Abandon";
    case 1:
      return "Remove";
    case 2:
      return "Both";
    default:
      return "";
  }
}

// The values of `event` (and its face group) for a region.
void EventValues(IDataStore* store, CTBLVasIntelligentEvent& event, Polygon* p) {
  const int type = event.GetType();
  TypeValues(type, p);
  const std::string classes = event.GetClassList();
  const std::string overlapClasses = event.GetOverlapClassList();
  p->objects = classes;
  if (type == 6) {
    p->objects = classes.empty() ? overlapClasses : overlapClasses.empty() ? classes : classes + "," + overlapClasses;
    p->group1 = classes;
    p->group2 = overlapClasses;
    const int method = event.GetClassOverlapMethod();
    if (method == 1 || method == 2)
      p->groupOverlap = StrFormat(method == 1 ? "GE%d" : "LE%d", event.GetClassOverlapSize());
    if (event.GetOptionalClassUseMethod() == 2) p->groupNotIou = event.GetOptionalClassList();
  }
  if (type == 2) p->dumping = DumpingText(event.GetIllegalDumpingType());
  if (type == 7) p->crowdCount = StrFormat("%d", event.GetClusterSize());
  p->cropCriteria = event.GetCropCriteriaText();
  p->cropPercent = event.GetObjectCropPercent();
  p->overlapPercent = event.GetObjectOverlapPercent();
  p->triggerMsec = Msec(event.GetHoldingTime());
  if (event.GetEventType() == 2) {
    auto group = std::dynamic_pointer_cast<CTBLVasFRFaceGroup>(
        store->FindCachedEntity("TBL_VasFRFaceGroup", event.GetFirstFaceGroupID()));
    if (group) {
      p->faceList = group->GetFaceList();
      p->faceListType = event.GetFaceDetectionMethod() == 2 ? "Exclude" : "Include";
    }
  }
}

// Steps, area, event step and step change of a crowd or water-level region.
void SettingValues(const CTBLVasROI& region, const std::shared_ptr<CTBLVasCrowdDensity>& crowd,
                   const std::shared_ptr<CTBLVasWaterLevel>& water, Polygon* p) {
  if (region.GetType() == kRegionTypeCrowd && crowd) {
    const std::vector<float> defaults = GetDefaultCrowdDensityLevels();
    for (int i = 0; i < 4; ++i) {
      p->steps[i] = crowd->GetDensityLevelType() == 1 ? crowd->GetDensityLevel(i) : defaults[i + 1];
    }
    p->crowdArea = static_cast<float>(crowd->GetArea()) / 10.0f;
    p->eventStep = crowd->GetEventTriggerLevel();
    p->stepChangeMsec = Msec(crowd->GetHoldingTime());
  } else if (region.GetType() == kRegionTypeWater && water) {
    const int levels[4] = {water->GetWaterLevel1(), water->GetWaterLevel2(), water->GetWaterLevel3(),
                           water->GetWaterLevel4()};
    for (int i = 0; i < 4; ++i) p->steps[i] = static_cast<float>(levels[i]);
    p->eventStep = water->GetEventTriggerLevel();
    p->stepChangeMsec = Msec(water->GetHoldingTime());
  }
}

// The polygon item of `region` with its points and closing line.
std::string PolygonItem(const CTBLVasROI& region, const CTBLVasDevice& device, const Polygon& p,
                        const std::shared_ptr<CTBLVasWaterLevel>& water) {
  std::shared_ptr<CTBLCamera> camera = device.GetCamera();
  const int preset = camera && camera->IsPTZCapable() ? region.GetAnalysisAtPTZPreset() : 0;
  std::string item =
      StrFormat(kPolygonFormat, region.GetROINumber(), p.typeId, XmlEscape(p.objects).c_str(), p.cropCriteria.c_str(),
                p.cropPercent, p.overlapPercent, Msec(region.GetObjectDwellTime()), Msec(region.GetDwellTime()),
                Msec(region.GetNewEventInterval()), p.triggerMsec, p.movingDisregard,
                static_cast<double>(static_cast<float>(region.GetMovingObjectDistancePercent()) / 10.0f),
                p.triggerAtLeaving, XmlEscape(p.faceList).c_str(), p.faceListType.c_str(), preset,
                region.GetPTZPresetLatency(), XmlEscape(p.group1).c_str(), XmlEscape(p.group2).c_str(),
                p.groupOverlap.c_str(), XmlEscape(p.groupNotIou).c_str(), p.dumping.c_str(), p.crowdCount.c_str(),
                static_cast<double>(p.steps[0]), static_cast<double>(p.steps[1]), static_cast<double>(p.steps[2]),
                static_cast<double>(p.steps[3]), static_cast<double>(p.crowdArea), p.eventStep, p.stepChangeMsec);
  std::vector<VasPoint> points;
  for (const auto& [key, entity] : region.GetPoints()) {
    if (auto* point = dynamic_cast<CTBLVasROIPoints*>(entity.get())) {
      points.push_back({point->GetROIPointX(), point->GetROIPointY()});
    }
  }
  if (region.GetType() == kRegionTypeWater && water && points.size() >= 4) {
    ApplyWaterLevelSkew(&points, water->GetSkewAngleX(), water->GetSkewAngleY());
  }
  for (const VasPoint& point : points) {
    item += StrFormat("\t\t\t\t<PointItem>\r\n\t\t\t\t\t<X>%d</X>\r\n\t\t\t\t\t<Y>%d</Y>\r\n\t\t\t\t</PointItem>\r\n",
                      point.x, point.y);
  }
  return item + "\t\t\t</PolygonItem>\r\n";
}

constexpr const char* kRegionHead = "<Analysis>\r\n\t<ROI>\r\n";
constexpr const char* kRegionTail = "\t</ROI>\r\n</Analysis>\r\n";

}  // namespace

std::string VasTorvaneAdapter::GetChannelROIItem(IDataStore* store, const std::shared_ptr<CTBLVasDevice>& device,
                                                 bool keepEmpty) {
  if (!store || !device || !device->GetCamera()) return std::string();
  std::string block = StrFormat("\t\t<ROIItem>\r\n\t\t\t<Channel>%d</Channel>\r\n", device->GetChannelNo());
  bool added = false;
  for (const auto& [number, region] : device->GetROIs()) {
    if (!region || !region->GetEnable()) continue;
    Polygon polygon;
    if (region->GetType() == kRegionTypeIgnore) {
      polygon.overlapPercent = region->GetObjectOverlapPercent();
    } else {
      const int eventId = region->GetVasIntelligentEventID();
      if (eventId == 0 || region->GetDisplayInsteadOf() > 0) continue;
      auto event = std::dynamic_pointer_cast<CTBLVasIntelligentEvent>(
          store->FindCachedEntity("TBL_VasIntelligentEvent", eventId));
      if (!event) {
        GATE_LOG(1, "ERROR - ROI can't find associated CTBLVasIntelligentEvent with id(%d).\r\n",
                 region->GetVasROIID());
        continue;
      }
      EventValues(store, *event, &polygon);
    }
    std::shared_ptr<CTBLVasWaterLevel> water = region->GetWaterLevel();
    if (region->GetType() != kRegionTypeIgnore) SettingValues(*region, region->GetCrowdDensity(), water, &polygon);
    block += PolygonItem(*region, *device, polygon, water);
    added = true;
  }
  block += "\t\t</ROIItem>\r\n";
  return added || keepEmpty ? block : std::string();
}

int VasTorvaneAdapter::SetDeviceROI(IDataStore* store, CTBLVas* row, int* error, int vasDeviceId) {
  Succeed(error);
  if (!row || !store) return Fail(error, kVasErrorBadArgument);
  if (!Check(row->GetAddress(), port_, error)) return 0;
  auto device = std::dynamic_pointer_cast<CTBLVasDevice>(store->FindCachedEntity("TBL_VasDevice", vasDeviceId));
  if (!device) {
    GATE_LOG(1, "ERROR - [%s] Error raised when find entity for VAS device(%d).\r\n", row->GetDisplayName().c_str(),
             vasDeviceId);
    return Fail(error, kVasErrorNoDevice);
  }
  const std::string document = kRegionHead + GetChannelROIItem(store, device, true) + kRegionTail;
  return SendConfigDocument(row, error, "/analysis/roi.cgi?method=modify", document);
}

int VasTorvaneAdapter::SetDeviceAllROI(IDataStore* store, CTBLVas* row, int* error) {
  Succeed(error);
  if (!row || !store) return Fail(error, kVasErrorBadArgument);
  if (!Check(row->GetAddress(), port_, error)) return 0;
  std::string document = kRegionHead;
  for (const auto& [key, entity] : row->GetVasDevices()) {
    auto device = std::dynamic_pointer_cast<CTBLVasDevice>(entity);
    if (device) document += GetChannelROIItem(store, device, false);
  }
  document += kRegionTail;
  return SendConfigDocument(row, error, "/analysis/roi.cgi?method=set", document);
}
