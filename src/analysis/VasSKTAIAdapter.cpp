#include "analysis/VasSKTAIAdapter.h"

#include <map>
#include <memory>
#include <vector>

#include "analysis/VasJsonRequest.h"
#include "analysis/VasRegionPoints.h"
#include "entities/Camera.h"
#include "entities/NRS.h"
#include "entities/analysis/Vas.h"
#include "entities/analysis/VasDevice.h"
#include "entities/analysis/VasROI.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"

namespace {

constexpr int kLoitering = 100004;
constexpr int kIntrusion = 100009;
constexpr int kBatchConnectMs = 3000;
constexpr int kBatchHeaderWaitSec = 3;

// "loitering", "intrusion", or null for an event the engine does not take.
const char* EventType(int event) {
  if (event == kLoitering) return "loitering";
  if (event == kIntrusion) return "intrusion";
  return nullptr;
}

std::string RegionEntry(const CTBLVasROI& region, const char* eventType) {
  std::string points;
  for (const auto& [x, y] : RegionPointFractions(region)) {
    if (!points.empty()) points += ",\r\n";
    points += "\t\t\t  {\"x\": " + x + ", \"y\": " + y + "}";
  }
  if (!points.empty()) points += "\r\n";
  return StrFormat("\t\t  {\r\n\t\t\t\"zone_id\": %d,\r\n\t\t\t\"event_type\": \"%s\",\r\n\t\t\t\"roi_type\": \"%s\",\r\n"
                   "\t\t\t\"points\": [\r\n",
                   region.GetROINumber() - 1, eventType, "or") +
         points + "\t\t\t],\r\n" + StrFormat("\t\t\t\"sensitivity\": %d\r\n", region.GetSensitivity()) + "\t\t  }";
}

}  // namespace

int VasSKTAIAdapter::SetLineCross(IDataStore*, CTBLVas*, int* error) { return Ok(error); }
int VasSKTAIAdapter::SetLineCrossGroup(IDataStore*, CTBLVas*, int* error) { return Ok(error); }
int VasSKTAIAdapter::SetLineCrossBaseCount(IDataStore*, CTBLVas*, const VasLineCounts*, int* error) {
  return Ok(error);
}
int VasSKTAIAdapter::SetLineCrossReset(IDataStore*, CTBLVas*, int, std::vector<int>, int* error) {
  return Ok(error);
}
int VasSKTAIAdapter::SetFRData(void*, IDataStore*, CTBLVas*, int* error) { return Ok(error); }

std::string VasSKTAIAdapter::MakeChannelRois(const CTBLVasDevice& device) {
  std::map<int, std::vector<std::shared_ptr<CTBLVasROI>>> presets;
  for (const auto& [number, region] : device.GetROIs()) {
    if (region && region->GetEnable() != 0) presets[region->GetAnalysisAtPTZPreset()].push_back(region);
  }
  if (presets.empty()) return "";
  auto camera = device.GetCamera();
  if (!camera) {
    GATE_LOG(1, "ERROR - Analysis device %d has no camera; left out of the rois batch.\r\n", device.GetVasDeviceID());
    return "";
  }
  const bool ir = StrEqualNoCase(camera->GetModelName(), "TMS-10 IR");
  std::string url;
  auto vas = device.GetVas();
  if (vas && vas->GetType() == kVasKindSktEdge) {
    url = StrFormat(ir ? "%s:%s@%s:554/cam0_0" : "%s:%s@%s:554/AVStream1_1", JsonEscape(camera->GetId()).c_str(),
                    JsonEscape(camera->GetPassword()).c_str(), JsonEscape(camera->GetAddr()).c_str());
  } else {
    auto zav = camera->GetZav();
    if (!zav) {
      GATE_LOG(1, "ERROR - Camera of analysis device %d has no recording server; left out of the rois batch.\r\n",
               device.GetVasDeviceID());
      return "";
    }
    url = StrFormat("%s:%s@%s:%d/%d/stream1", JsonEscape(zav->GetLoginID()).c_str(),
                    JsonEscape(zav->GetLoginPassword()).c_str(), JsonEscape(zav->GetConnectAddress()).c_str(),
                    zav->GetRtspPort(), camera->GetZavChannel());
  }
  std::string entries;
  for (const auto& [preset, regions] : presets) {
    if (!entries.empty()) entries += ",\r\n";
    entries += StrFormat("\t  {\r\n\t\t\"rtsp_url\": \"%s\",\r\n\t\t\"ch_num\": %d,\r\n\t\t\"type\": \"%s\",\r\n"
                         "\t\t\"preset_num\": %d,\r\n\t\t\"rois\": [\r\n",
                         url.c_str(), device.GetChannelNo() - 1, ir ? "IR" : "EO", preset);
    std::string rois;
    for (const auto& region : regions) {
      const char* type = EventType(region->GetVasIntelligentEventID());
      if (!type) continue;
      if (!rois.empty()) rois += ",\r\n";
      rois += RegionEntry(*region, type);
    }
    entries += rois + "\r\n\t\t]\r\n" + "\t  }";
  }
  return entries + "\r\n";
}

std::string VasSKTAIAdapter::MakeBatch(const CTBLVas& row) {
  std::string channels;
  for (const auto& [id, entity] : row.GetVasDevices()) {
    auto device = std::dynamic_pointer_cast<CTBLVasDevice>(entity);
    std::string text = device ? MakeChannelRois(*device) : "";
    if (text.empty()) continue;
    if (!channels.empty()) channels += ",\r\n";
    channels += text;
  }
  return "{\r\n\t\"msg_type\": \"rois_batch\",\r\n\t\"rois_per_ch\": [\r\n" + channels + "\t]\r\n}";
}

int VasSKTAIAdapter::SetDeviceAllROI(IDataStore* /*store*/, CTBLVas* row, int* error) {
  Succeed(error);
  if (!row) return Fail(error, kVasErrorBadArgument);
  VasJsonRequest request;
  request.method = "POST";
  request.host = row->GetAddress();
  request.port = port_;
  request.tls = useSecure_;
  request.path = "/api/rois/batch/";
  request.body = MakeBatch(*row);
  request.connectMs = kBatchConnectMs;
  request.headerWaitSec = kBatchHeaderWaitSec;
  int status = request.Send("SKT AI Server");
  if (status == 200) return 1;
  GATE_LOG(1, "ERROR - [%s] Error raised when request message to vas\r\n", row->GetDisplayName().c_str());
  if (status == VasJsonRequest::kNoConnection) return Fail(error, kVasErrorNoConnection);
  if (status == VasJsonRequest::kNoHeader) return Fail(error, kVasErrorNoHeader);
  return Fail(error, status);
}
