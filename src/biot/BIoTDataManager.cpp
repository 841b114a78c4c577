#include "biot/BIoTDataManager.h"

#include <memory>
#include <vector>

#include "database/IDataStore.h"
#include "entities/Camera.h"
#include "entities/NRS.h"
#include "entities/analysis/VasDevice.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"

namespace {

// Camera kinds that become edges: Box, PTZ, Dome, Video Server.
bool IsEdgeCameraType(int nodeType) { return nodeType >= 2 && nodeType <= 5; }

// Names that split into two pieces, under their number (a later one replaces).
std::map<int, std::string> NamesByNumber(const std::vector<std::string>& names, int modulo) {
  std::map<int, std::string> byNumber;
  for (const std::string& name : names) {
    int number = 0;
    if (!ParseThingNumber(name, &number)) continue;
    byNumber[modulo > 0 ? number % modulo : number] = name;
  }
  return byNumber;
}

// The names of the platform's things whose number is not wanted, in number order.
std::vector<std::string> NamesNotWanted(const std::map<int, std::string>& platform,
                                        const std::map<int, std::string>& wanted) {
  std::vector<std::string> names;
  for (const auto& entry : platform) {
    if (wanted.count(entry.first) == 0) names.push_back(entry.second);
  }
  return names;
}

}  // namespace

std::unique_ptr<CBIoTServiceAdapter> CBIoTDataManager::MakeAdapter() const {
  return std::make_unique<CBIoTServiceAdapter>(settings_);
}

int CBIoTDataManager::Open() {
  std::unique_ptr<CBIoTServiceAdapter> adapter = MakeAdapter();
  if (!GetUserLoginToken(*adapter)) {
    GATE_LOG(1, "ERROR - GetUserLoginToken() failed.\r\n");
    return 0;
  }
  return 1;
}

int CBIoTDataManager::GetUserLoginToken(CBIoTServiceAdapter& adapter) {
  CBIoTLoginResult result;
  if (!adapter.GetUserLoginToken(&result)) {
    settings_.userToken.clear();
    GATE_LOG(1, "ERROR - GetUserLoginToken() failed.\r\n");
    return 0;
  }
  settings_.userToken = result.authToken;
  adapter.Info().userToken = result.authToken;
  GetZavAuthCodes(adapter);
  return 1;
}

int CBIoTDataManager::GetZavAuthCodes(CBIoTServiceAdapter& adapter) {
  std::vector<std::string> names;
  if (!adapter.GetVideoGatewayList(&names)) {
    GATE_LOG(1, "ERROR - GetVideoGatewayList() failed.\r\n");
    return 0;
  }
  std::map<int, std::string> codes;
  for (const std::string& name : names) {
    int number = 0;
    if (!ParseThingNumber(name, &number)) continue;
    std::string code;
    if (!adapter.GetVideoGatewayAuthToken(name, &code)) {
      GATE_LOG(1, "ERROR - GetVideoGatewayAuthToken(%s) failed.\r\n", name.c_str());
      return 0;
    }
    codes[number] = code;
  }
  CScopedLock hold(lock_);
  if (codes != authCodes_) {
    authCodes_.swap(codes);
    authCodesChanged_ = true;
  }
  return 1;
}

std::map<int, std::string> CBIoTDataManager::GetZavAuthCodeMap() {
  CScopedLock hold(lock_);
  return authCodes_;
}

bool CBIoTDataManager::TakeAuthCodesChanged() {
  CScopedLock hold(lock_);
  bool changed = authCodesChanged_;
  authCodesChanged_ = false;
  return changed;
}

void CBIoTDataManager::ProcError(const CBIoTServiceAdapter& adapter) {
  if (adapter.ErrorStatus != kBIoTHttpStatus && adapter.ErrorStatus != kBIoTMessageStatus) return;
  if (adapter.HttpStatusCode == kBIoTTokenRefused) settings_.userToken.clear();
  if (adapter.ErrorStatus == kBIoTHttpStatus) {
    GATE_LOG(1, "ERROR - HTTP respone status code = %d\r\n", adapter.HttpStatusCode);
  } else {
    GATE_LOG(1, "ERROR - BIoT respone status code = %d\r\n", adapter.HttpStatusCode);
  }
}

int CBIoTDataManager::SyncData(IDataStore& store, CBIoTServiceAdapter& adapter) {
  std::vector<std::string> names;
  if (!adapter.GetVideoGatewayList(&names)) {
    ProcError(adapter);
    GATE_LOG(1, "ERROR - GetVideoGatewayList() failed.\r\n");
    return 0;
  }
  const std::map<int, std::string> platformGateways = NamesByNumber(names, 0);

  std::map<int, std::string> wantedGateways;
  for (const auto& entry : store.GetCachedEntityList(CTBLNRS::kTableName)) {
    auto zav = std::dynamic_pointer_cast<CTBLNRS>(entry.second);
    if (zav) wantedGateways[zav->GetNo()] = MakeGatewayThingName(zav->GetNo());
  }
  if (platformGateways != wantedGateways && !SyncZav(store, adapter, platformGateways, wantedGateways, 0)) {
    ProcError(adapter);
    GATE_LOG(1, "ERROR - SyncZav() to add video gateway fialed..\r\n");
    return 0;
  }

  std::map<int, std::map<int, std::string>> wantedEdges;
  std::map<int, std::map<int, int>> cameraIds;
  EntityMap cameras = store.GetCachedEntityList(CTBLCamera::kTableName);
  for (const auto& entry : store.GetCachedEntityList(CTBLVasDevice::kTableName)) {
    auto device = std::dynamic_pointer_cast<CTBLVasDevice>(entry.second);
    if (!device) continue;
    auto found = cameras.find(device->GetDeviceID());
    if (found == cameras.end()) continue;
    auto camera = std::dynamic_pointer_cast<CTBLCamera>(found->second);
    if (!camera || !IsEdgeCameraType(camera->GetNodeType())) continue;
    const int zavNo = camera->GetZavNo();
    const int channel = camera->GetZavChannel();
    wantedEdges[zavNo][channel] = MakeEdgeThingName(zavNo, channel);
    cameraIds[zavNo][channel] = camera->GetNo();
  }

  for (const auto& gateway : wantedGateways) {
    auto edges = wantedEdges.find(gateway.first);
    if (edges == wantedEdges.end()) continue;
    std::vector<std::string> edgeNames;
    if (!adapter.GetVideoGatewayEdges(gateway.second, &edgeNames)) {
      ProcError(adapter);
      GATE_LOG(1, "ERROR - GetVideoGatewayEdges() failed.\r\n");
      return 0;
    }
    const std::map<int, std::string> platformEdges = NamesByNumber(edgeNames, 10000);
    if (platformEdges != edges->second &&
        !SyncZavCamera(store, adapter, gateway.first, platformEdges, edges->second, cameraIds[gateway.first])) {
      ProcError(adapter);
      GATE_LOG(1, "ERROR - SyncZav() fialed..\r\n");
      return 0;
    }
  }

  if (platformGateways != wantedGateways && !SyncZav(store, adapter, platformGateways, wantedGateways, 1)) {
    ProcError(adapter);
    GATE_LOG(1, "ERROR - SyncZav() to delete video gateway fialed..\r\n");
    return 0;
  }
  return 1;
}

int CBIoTDataManager::SyncZav(IDataStore& store, CBIoTServiceAdapter& adapter,
                              const std::map<int, std::string>& platform, const std::map<int, std::string>& wanted,
                              int mode) {
  if (mode == 0) {
    std::vector<CBIoTGatewayThing> things;
    for (const auto& entry : wanted) {
      if (platform.count(entry.first) != 0) continue;
      auto zav = std::dynamic_pointer_cast<CTBLNRS>(store.FindCachedEntity(CTBLNRS::kTableName, entry.first));
      if (!zav) continue;
      CBIoTGatewayThing thing;
      thing.modelName = "VIDEO_GW";
      thing.thingName = entry.second;
      thing.thingNickName = entry.second;
      thing.uniqueNum = StrFormat("%04d", entry.first);
      thing.vms_media_server_url = StrFormat("http://%s:8088", zav->GetAddr().c_str());
      thing.vms_site_name = zav->GetName();
      things.push_back(std::move(thing));
    }
    for (const CBIoTGatewayThing& thing : things) {
      if (!adapter.AddVideoGateway(thing)) {
        GATE_LOG(1, "ERROR - AddVideoGateway(%s) failed.\r\n", thing.thingName.c_str());
        return 0;
      }
      if (!adapter.SetVideoGatewayAttr(thing)) {
        GATE_LOG(1, "ERROR - SetVideoGatewayAttr(%s) failed.\r\n", thing.thingName.c_str());
        return 0;
      }
      GATE_LOG(2, "INFO - video gateway [%s] added successfully.\r\n", thing.thingName.c_str());
      gatewaysChanged_.store(true);
    }
    return 1;
  }
  const std::vector<std::string> unwanted = NamesNotWanted(platform, wanted);
  if (unwanted.empty()) return 1;
  if (!adapter.DeleteVideoGateway(unwanted)) {
    GATE_LOG(1, "ERROR - DeleteVideoGateway() failed.\r\n");
    return 0;
  }
  for (const std::string& name : unwanted) {
    GATE_LOG(2, "INFO - video gateway [%s] deleted successfully.\r\n", name.c_str());
  }
  gatewaysChanged_.store(true);
  return 1;
}

int CBIoTDataManager::SyncZavCamera(IDataStore& store, CBIoTServiceAdapter& adapter, int zavNo,
                                    const std::map<int, std::string>& platform,
                                    const std::map<int, std::string>& wanted, const std::map<int, int>& cameraIds) {
  std::vector<CBIoTEdgeThing> things;
  for (const auto& entry : wanted) {
    if (platform.count(entry.first) != 0) continue;
    const int channel = entry.first;
    CBIoTEdgeThing thing;
    thing.modelName = "VIDEO-CAMERA";
    thing.parentThingName = MakeGatewayThingName(zavNo);
    thing.thingName = entry.second;
    thing.thingNickName = entry.second;
    thing.uniqueNum = StrFormat("%04d%04d", zavNo, channel);
    thing.camera_channel_info = StrFormat("torvane://%04d/%04d/0/0", zavNo, channel);
    thing.cameraName = entry.second;
    auto id = cameraIds.find(channel);
    if (id != cameraIds.end()) {
      auto camera = std::dynamic_pointer_cast<CTBLCamera>(store.FindCachedEntity(CTBLCamera::kTableName, id->second));
      if (camera) thing.cameraName = camera->GetName();
    }
    things.push_back(std::move(thing));
  }
  for (const CBIoTEdgeThing& thing : things) {
    if (!adapter.AddVideoGatewayEdge(thing)) {
      GATE_LOG(1, "ERROR - AddVideoGatewayEdge() [%s] failed.\r\n", thing.thingName.c_str());
      return 0;
    }
    if (!adapter.SetVideoGatewayEdgeAttr(thing)) {
      GATE_LOG(1, "ERROR - SetVideoGatewayEdgeAttr() [%s] failed.\r\n", thing.thingName.c_str());
      return 0;
    }
    GATE_LOG(2, "INFO - video gateway edge [%s] added successfully.\r\n", thing.thingName.c_str());
  }
  const std::vector<std::string> unwanted = NamesNotWanted(platform, wanted);
  if (unwanted.empty()) return 1;
  const std::string gateway = MakeGatewayThingName(zavNo);
  if (!adapter.DeleteVideoGatewayEdges(gateway, unwanted)) {
    for (const std::string& name : unwanted) {
      GATE_LOG(1, "ERROR -  DeleteVideoGatewayEdges() [%s] failed.\r\n", name.c_str());
    }
    return 0;
  }
  for (const std::string& name : unwanted) {
    GATE_LOG(2, "INFO - video gateway edge [%s] deleted successfully.\r\n", name.c_str());
  }
  return 1;
}
