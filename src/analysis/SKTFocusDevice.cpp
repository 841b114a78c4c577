#include "analysis/SKTFocusDevice.h"

#include <stdlib.h>

#include <map>

#include "analysis/VasJsonRequest.h"
#include "analysis/VasRegionPoints.h"
#include "database/IDataStore.h"
#include "entities/Camera.h"
#include "entities/analysis/VasDevice.h"
#include "entities/analysis/VasROI.h"
#include "foundation/Log.h"
#include "foundation/StrList.h"
#include "foundation/StringUtil.h"

namespace {

constexpr int kIntrusionEvent = 100009;
constexpr int kIgnoreRegion = 2;
constexpr int kDefaultLoiteringSeconds = 60;

// The "name=value" pairs of a region's Detail1, joined by "&".
std::map<std::string, std::string> DetailPairs(const std::string& detail) {
  std::map<std::string, std::string> pairs;
  CStrList items;
  items.Split(detail, "&");
  for (int i = 0; i < items.GetCount(); ++i) {
    const std::string& item = items.GetAt(i);
    size_t equals = item.find('=');
    if (equals == std::string::npos) continue;
    pairs.emplace(item.substr(0, equals), item.substr(equals + 1));
  }
  return pairs;
}

std::vector<std::string> ListItems(const std::string& text) {
  std::vector<std::string> items;
  CStrList list;
  list.Split(text, ",");
  for (int i = 0; i < list.GetCount(); ++i) items.push_back(list.GetAt(i));
  return items;
}

std::string RuleRegion(const CTBLVasROI& region, bool loitering) {
  auto pairs = DetailPairs(region.GetDetail1());
  int loiterTime = 0;
  if (loitering) {
    auto found = pairs.find("LoitTime");
    loiterTime = found == pairs.end() ? kDefaultLoiteringSeconds : atoi(found->second.c_str());
  }
  std::string classes;
  auto found = pairs.find("Classes");
  if (found != pairs.end()) {
    for (const std::string& item : ListItems(found->second)) {
      if (!classes.empty()) classes += ", ";
      classes += "\"" + JsonEscape(item) + "\"";
    }
  }
  return StrFormat("\t\t\t\t{\r\n\t\t\t\t\t\"enable\": \"true\",\r\n\t\t\t\t\t\"notiTo\": \"Customer\",\r\n"
                   "\t\t\t\t\t\"regionIdRef\": \"%d\",\r\n\t\t\t\t\t\"sensitivity\": \"%d\",\r\n"
                   "\t\t\t\t\t\"maxDetectionObjectSize\": \"%.5f,%.5f\",\r\n"
                   "\t\t\t\t\t\"minDetectionObjectSize\": \"%.5f,%.5f\",\r\n"
                   "\t\t\t\t\t\"loiteringDetectionTime\": \"%d\",\r\n\t\t\t\t\t\"targetClasses\": [%s]\r\n\t\t\t\t}",
                   region.GetROINumber(), region.GetSensitivity(), 1.0, 1.0, static_cast<double>(0.001f),
                   static_cast<double>(0.001f), loiterTime, classes.c_str());
}

}  // namespace

int GetAIDeviceKind(const std::string& vendor, const std::string& model) {
  if (!StrEqualNoCase(vendor, "SK telecom")) return 0;
  if (StrEqualNoCase(model, "FIC-BM2A1-G") || StrEqualNoCase(model, "FIC-DM2A1-W")) return 1;
  if (StrEqualNoCase(model, "IPC-BM2A1-G") || StrEqualNoCase(model, "IPC-DM2A1-W")) return 2;
  return 0;
}

std::shared_ptr<IAIDeviceAdapter> CreateAIDeviceAdapter(const std::string& vendor, const std::string& model) {
  int kind = GetAIDeviceKind(vendor, model);
  if (kind == 1 || kind == 2) return std::make_shared<CSKTFocusDevice>();
  return nullptr;
}

std::string CSKTFocusDevice::MakeRulesDocument(const std::vector<std::shared_ptr<CTBLVasROI>>& regions) {
  std::string ignore;
  std::map<std::string, std::map<int, std::shared_ptr<CTBLVasROI>>> rules;
  for (const auto& region : regions) {
    if (region->GetType() == kIgnoreRegion) {
      if (!ignore.empty()) ignore += ",";
      ignore += StrFormat("\"%d\"", region->GetROINumber());
    }
    if (region->GetVasIntelligentEventID() != kIntrusionEvent) continue;
    auto pairs = DetailPairs(region->GetDetail1());
    auto events = pairs.find("Events");
    bool intrusion = events == pairs.end();
    bool loitering = events == pairs.end();
    if (events != pairs.end()) {
      for (const std::string& item : ListItems(events->second)) {
        intrusion |= atoi(item.c_str()) == 8;
        loitering |= atoi(item.c_str()) == 3;
      }
    }
    if (intrusion) rules["Intrusion"][region->GetROINumber()] = region;
    if (loitering) rules["Loitering"][region->GetROINumber()] = region;
  }
  std::string text = StrFormat(
      "{\r\n\t\"commonIgnore\": {\r\n\t\t\"regionIdRefs\": [],\r\n\t\t\"maxDetectionObjectSize\": \"%.5f,%.5f\",\r\n"
      "\t\t\"minDetectionObjectSize\": \"%.5f,%.5f\",\r\n\t\t\"detectionLevel\": \"%d\"\r\n\t},\r\n\t\"rules\": [\r\n",
      1.0, 1.0, static_cast<double>(0.001f), static_cast<double>(0.001f), 5);
  int index = 0;
  for (const auto& [name, members] : rules) {
    if (index > 0) text += ",\r\n";
    text += StrFormat("\t\t{\r\n\t\t\t\"index\": \"%d\",\r\n\t\t\t\"name\": \"%s\",\r\n\t\t\t\"type\": \"%s\",\r\n"
                      "\t\t\t\"ignoreRegionIdRefs\": [%s],\r\n\t\t\t\"rois\": [\r\n",
                      ++index, name.c_str(), name.c_str(), ignore.c_str());
    bool first = true;
    for (const auto& [number, region] : members) {
      if (!first) text += ",\r\n";
      first = false;
      text += RuleRegion(*region, name == "Loitering");
    }
    text += "\r\n\t\t\t]\r\n\t\t}";
  }
  if (index > 0) text += "\r\n";
  return text + "\t]\r\n}";
}

std::string CSKTFocusDevice::MakeRegionsDocument(const std::vector<std::shared_ptr<CTBLVasROI>>& regions) {
  std::string text = "{\r\n\t\"regions\": [\r\n";
  bool firstRegion = true;
  for (const auto& region : regions) {
    if (!firstRegion) text += ",\r\n";
    firstRegion = false;
    text += StrFormat("\t\t{\r\n\t\t\t\"id\": \"%d\",\r\n\t\t\t\"name\": \"%s\",\r\n\t\t\t\"type\": \"Polygon\",\r\n"
                      "\t\t\t\"points\": [\r\n",
                      region->GetROINumber(), JsonEscape(AnsiToUtf8(region->GetName())).c_str());
    bool firstPoint = true;
    for (const auto& [x, y] : RegionPointFractions(*region)) {
      if (!firstPoint) text += ",\r\n";
      firstPoint = false;
      text += "\t\t\t\t\"" + x + "," + y + "\"";
    }
    text += "\r\n\t\t\t]\r\n\t\t}";
  }
  if (!firstRegion) text += "\r\n";
  return text + "\t]\r\n}";
}

int CSKTFocusDevice::SendPut(const CTBLCamera& camera, const std::string& path, const std::string& body) {
  VasJsonRequest request;
  request.method = "PUT";
  request.host = camera.GetAddr();
  request.port = camera.GetWebPort();
  request.path = path;
  request.body = body;
  request.digest = true;
  request.user = camera.GetId();
  request.password = camera.GetPassword();
  return request.Send("AI Device") == 200 ? 1 : 0;
}

int CSKTFocusDevice::SetDeviceROI(IDataStore* store, int* error, int vasDeviceId) {
  if (!store || vasDeviceId <= 0) {
    if (error) *error = 20000;
    return 0;
  }
  auto device = std::dynamic_pointer_cast<CTBLVasDevice>(store->FindCachedEntity("TBL_VasDevice", vasDeviceId));
  if (!device) {
    if (error) *error = 20018;
    GATE_LOG(1, "ERROR - Not found CTBLVasDevice by [%d]\r\n", vasDeviceId);
    return 0;
  }
  auto camera = device->GetCamera();
  if (!camera) {
    if (error) *error = 20018;
    GATE_LOG(1, "ERROR - Not found CTBLCamera for Vas Device [%d]\r\n", device->GetVasDeviceID());
    return 0;
  }
  std::vector<std::shared_ptr<CTBLVasROI>> regions;
  for (const auto& [number, region] : device->GetROIs()) {
    if (region) regions.push_back(region);
  }
  struct Step {
    const char* path;
    std::string body;
    const char* name;
  } steps[] = {
      {"/api/event/smart/gconfig",
       StrFormat("{\r\n\t\"EventSmartGConfig\": {\r\n\t\t\"thumbnailSize\": \"%dx%d\"\r\n\t}\r\n}", 256, 256), "gconfig"},
      {"/api/event/ai/rule", MakeRulesDocument(regions), "ai/rule"},
      {"/api/event/ai/region", MakeRegionsDocument(regions), "ai/region"},
      {"/api/event/smart/mode", StrFormat("{\r\n\t\"EventSmartMode\": {\r\n\t\t\"mode\": \"%s\"\r\n\t}\r\n}", "basic"),
       "smart/mode"},
  };
  for (const Step& step : steps) {
    if (!SendPut(*camera, step.path, step.body)) {
      GATE_LOG(1, "ERROR - Request %s failed. [%s]\r\n", step.name, camera->GetName().c_str());
      return 0;
    }
  }
  return 1;
}
