#include "sync/SyncDevice.h"

#include "database/IDataStore.h"
#include "entities/Camera.h"
#include "entities/NRS.h"
#include "foundation/StringUtil.h"

namespace {

// The value of `name` when present (and, with `skipEmpty`, not empty).
const std::string* FindUserField(const SyncUserFieldValues& values, const char* name, bool skipEmpty) {
  auto it = values.find(name);
  if (it == values.end() || (skipEmpty && it->second.empty())) return nullptr;
  return &it->second;
}

}  // namespace

void CSyncDevice::FromEntity(IDataStore* store, const EntityPtr& row, const SyncUserFieldValues& values) {
  const auto* camera = dynamic_cast<const CTBLCamera*>(row.get());
  if (camera == nullptr) return;
  SetEntityKey(camera->GetNo());
  SetEnable(camera->GetEnable() != 0);
  SetName(camera->GetName());
  SetType(camera->GetDeviceType());
  const std::string* vendor = FindUserField(values, "VENDOR", true);
  SetVendor(vendor ? *vendor : camera->GetVendor());
  const std::string* model = FindUserField(values, "MODEL", true);
  SetModel(model ? *model : camera->GetModelName());
  SetAddress(camera->GetAddr());
  SetPort(camera->GetWebPort());
  SetZavID(camera->GetCurrentZavNo());
  SetZavChannel(camera->GetCurrentZavChannel());
  const std::string* site = FindUserField(values, "SITE_CODE", false);
  SetSiteCode(site ? *site : std::string());
  const std::string* management = FindUserField(values, "MANAGEMENT_CODE", false);
  SetManagementCode(management ? *management : std::string());

  EntityPtr found = store ? store->FindCachedEntity("TBL_Zav", GetZavID()) : nullptr;
  const auto* server = dynamic_cast<const CTBLNRS*>(found.get());
  if (server == nullptr) {
    SetZavAddress("");
    SetRTSP_URL_H("");
    SetRTSP_URL_L("");
    return;
  }
  SetZavAddress(server->GetAddr());
  const int port = server->GetRtspPort() >= 1 ? server->GetRtspPort() : server->GetServicePort();
  SetRTSP_URL_H(StrFormat("rtsp://%s:%d/%d/stream1", GetZavAddress().c_str(), port, GetZavChannel()));
  SetRTSP_URL_L(StrFormat("rtsp://%s:%d/%d/stream2", GetZavAddress().c_str(), port, GetZavChannel()));
}
