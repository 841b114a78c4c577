// The camera's look-ups through its owner store, its current recording server
// and channel, and its tree-node view.
#include "entities/Camera.h"
#include "entities/CameraGroup.h"
#include "entities/CameraList.h"
#include "entities/NRS.h"
#include "entities/TreeNodeText.h"
#include "entities/operations/FailoverConnection.h"
#include "entities/operations/OwnerDataStore.h"
#include "foundation/StringUtil.h"

std::shared_ptr<CTBLNRS> CTBLCamera::GetZav() const {
  return FindOwnerCachedRow<CTBLNRS>(*this, CTBLNRS::kTableName, GetZavNo());
}

EntityMap CTBLCamera::GetFailoverConnections() const {
  return GetOwnerRelatedRows(*this, CTBLFailoverConnection::kTableName, "DeviceID");
}

EntityMap CTBLCamera::GetDeviceSettings() const {
  return GetOwnerRelatedRows(*this, "TBL_DeviceSettings", "DeviceID");
}

EntityMap CTBLCamera::GetCameraLinks() const {
  return GetOwnerRelatedRows(*this, CTBLCameraList::kTableName, "camera_no");
}

EntityMap CTBLCamera::GetCameraGroups() const {
  EntityMap groups;
  for (auto& [id, row] : GetCameraLinks()) {
    auto link = std::dynamic_pointer_cast<CTBLCameraList>(row);
    if (!link) continue;
    std::shared_ptr<CTBLCameraGroup> group = link->GetCameraGroup();
    if (!group) continue;
    groups.emplace(link->GetCameraGroupNo(), group);  // a later link to the same group is skipped
  }
  return groups;
}

std::shared_ptr<CTBLCameraList> CTBLCamera::FindCameraLink(int groupNo) const {
  for (auto& [id, row] : GetCameraLinks()) {
    auto link = std::dynamic_pointer_cast<CTBLCameraList>(row);
    if (link && link->GetCameraGroupNo() == groupNo) return link;
  }
  return nullptr;
}

bool CTBLCamera::IsInAnyGroup() const { return !GetCameraLinks().empty(); }

int CTBLCamera::GetCurrentZavNo() const {
  auto connection = FirstRowOf<CTBLFailoverConnection>(GetFailoverConnections());
  return connection ? connection->GetZavID() : GetZavNo();
}

int CTBLCamera::GetCurrentZavChannel() const {
  auto connection = FirstRowOf<CTBLFailoverConnection>(GetFailoverConnections());
  return connection ? connection->GetZavChannel() : GetZavChannel();
}

bool CTBLCamera::IsPTZCapable() const {
  int control = GetPTZControl();
  if (control != 0) return control > 0;
  std::string type = GetDeviceType();
  return StrEqualNoCase(type, "PTZ") || StrEqualNoCase(type, "Video Server");
}

std::string CTBLCamera::GetUserField(int index) const {
  using Getter = std::string (*)(const CTBLCameraBase&);
#define GATE_USER_FIELD_(n) [](const CTBLCameraBase& row) { return row.GetUser##n(); }
  static constexpr Getter kFields[] = {
      GATE_USER_FIELD_(1),  GATE_USER_FIELD_(2),  GATE_USER_FIELD_(3),  GATE_USER_FIELD_(4),
      GATE_USER_FIELD_(5),  GATE_USER_FIELD_(6),  GATE_USER_FIELD_(7),  GATE_USER_FIELD_(8),
      GATE_USER_FIELD_(9),  GATE_USER_FIELD_(10), GATE_USER_FIELD_(11), GATE_USER_FIELD_(12),
      GATE_USER_FIELD_(13), GATE_USER_FIELD_(14), GATE_USER_FIELD_(15), GATE_USER_FIELD_(16),
      GATE_USER_FIELD_(17), GATE_USER_FIELD_(18), GATE_USER_FIELD_(19), GATE_USER_FIELD_(20),
  };
#undef GATE_USER_FIELD_
  constexpr int kCount = static_cast<int>(sizeof(kFields) / sizeof(kFields[0]));
  // The index comes from an operator-edited mapping file: anything outside
  // the twenty fields reads as empty.
  if (index < 0 || index >= kCount) return "";
  return kFields[index](*this);
}

int CTBLCamera::GetNodeType() {
  static constexpr struct {
    const char* deviceType;
    int nodeType;
  } kTypes[] = {
      {"PTZ", kNodeTypePtzCamera}, {"Dome", kNodeTypeDomeCamera}, {"Video Server", kNodeTypeVideoServer},
      {"Box", kNodeTypeBoxCamera}, {"NVR", kNodeTypeNvr},         {"VANVR", kNodeTypeVanvr},
      {"ZMS", kNodeTypeZms},
  };
  std::string type = GetDeviceType();
  for (const auto& entry : kTypes) {
    if (StrEqualNoCase(type, entry.deviceType)) return entry.nodeType;
  }
  return GetZavNo() <= 0 ? kNodeTypeUnassignedCamera : kNodeTypeOther;
}

int CTBLCamera::GetNodeOrder(int parentId) {
  if (parentId > 0) {
    if (auto link = FindCameraLink(parentId)) return link->GetOrder();
  }
  return GetOrder();
}

bool CTBLCamera::MatchesFilter(int flags, const std::string& filter) {
  if (LowerTextContains(GetName(), filter)) return true;
  if ((flags & kNodeFilterAddress) && LowerTextContains(GetAddr(), filter)) return true;
  if (flags & kNodeFilterCameraTexts) {
    if (LowerTextContains(GetModelName(), filter) || LowerTextContains(GetVendor(), filter)) return true;
  }
  return false;
}

int CTBLCamera::GetNodeStatus() {
  if (std::shared_ptr<CTBLNRS> server = GetZav()) {
    int status = server->GetNodeStatus();
    if (status != kNodeStatusNormal) return status;
  }
  if (GetEnable() == 0) return kNodeStatusDisabled;
  return fault_.IsShown() ? kNodeStatusFaulty : kNodeStatusNormal;
}
