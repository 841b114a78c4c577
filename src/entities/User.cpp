#include "entities/User.h"

#include "entities/PasswordCipher.h"
#include "entities/TreeNodeText.h"
#include "entities/UserPermission.h"
#include "entities/operations/OwnerDataStore.h"
#include "foundation/Aria.h"
#include "foundation/StringUtil.h"

CTBLUser::CTBLUser(const CTBLUser& other)
    : CTBLUserBase(other),
      IEntityTreeNode(other),
      userSettings_(other.userSettings_),
      systemSettings_(other.systemSettings_) {
  {
    CScopedLock hold(other.listLock_);
    cameraNos_ = other.cameraNos_;
    cameraGroupNos_ = other.cameraGroupNos_;
  }
  CScopedLock hold(other.permissionLock_);
  permissionVersion_ = other.permissionVersion_;
  groupPermissions_ = other.groupPermissions_;
  cameraPermissions_ = other.cameraPermissions_;
}

void CTBLUser::MarkListsStale() {
  CScopedLock hold(listLock_);
  cameraNos_.current = false;
  cameraGroupNos_.current = false;
}

void CTBLUser::LoadFrom(CKeyValueData& row) {
  CTBLUserBase::LoadFrom(row);
  MarkListsStale();
}

void CTBLUser::CopyTo(CDBEntity* target) const {
  CTBLUserBase::CopyTo(target);
  auto* user = dynamic_cast<CTBLUser*>(target);
  if (user != nullptr && user != this) user->MarkListsStale();
}

std::string CTBLUser::GetDisplayText() const {
  std::string id = GetId();
  std::string name = GetUsername();
  return name.empty() ? id : StrFormat("%s (%s)", id.c_str(), name.c_str());
}

void* CTBLUser::GetInterface(const std::string& name) {
  if (name == "IEntityTreeNode") return static_cast<IEntityTreeNode*>(this);
  return nullptr;
}

void CTBLUser::SetCameraList(const std::string& text) {
  CTBLUserBase::SetCameraList(text);
  CScopedLock hold(listLock_);
  cameraNos_.current = false;
}

void CTBLUser::SetCameraGroupList(const std::string& text) {
  CTBLUserBase::SetCameraGroupList(text);
  CScopedLock hold(listLock_);
  cameraGroupNos_.current = false;
}

std::string CTBLUser::GetPassword() const { return ClearPassword(*this, CTBLUserBase::GetPassword()); }

std::string CTBLUser::GetPasswordText(bool decipher) const {
  std::string stored = CTBLUserBase::GetPassword();
  return decipher ? AriaDecryptString(stored) : stored;
}

std::vector<int> CTBLUser::ReadList(ParsedList* list, std::string (CTBLUserBase::*column)() const) {
  CScopedLock hold(listLock_);
  if (!list->current) {
    ParseNoList((this->*column)(), &list->numbers);
    list->current = true;
  }
  return list->numbers.GetItems();
}

bool CTBLUser::InDeviceGroupMode() {
  if (GetOwnerDataStore(*this) == nullptr) return false;
  return GetSystemSettingManager().GetSupportNewDeviceGroupPermission();
}

void CTBLUser::BuildPermissionMaps() {
  CScopedLock hold(permissionLock_);
  IDataStore* store = GetOwnerDataStore(*this);
  if (store == nullptr) return;
  int version = store->GetTableVersion(CTBLUserPermission::kTableName);
  if (permissionVersion_ > 0 && permissionVersion_ >= version) return;
  groupPermissions_.clear();
  cameraPermissions_.clear();
  for (auto& [id, row] : GetPermissions()) {
    auto permission = std::dynamic_pointer_cast<CTBLUserPermission>(row);
    if (!permission) continue;
    int kind = permission->GetPermissionID();
    if (kind != kPermissionCamera && kind != kPermissionCameraGroup) continue;
    if (permission->CheckPrivilege("") == 0) continue;
    int target = kind == kPermissionCamera ? permission->GetDeviceID() : permission->GetDeviceGroupID();
    if (target <= 0) continue;
    auto& map = kind == kPermissionCamera ? cameraPermissions_ : groupPermissions_;
    map[target] = permission->GetUserPermissionID();  // the later, higher key wins
  }
  permissionVersion_ = version;
}

namespace {

std::vector<int> KeysOf(const std::map<int, int>& map) {
  std::vector<int> keys;
  keys.reserve(map.size());
  for (auto& [key, value] : map) keys.push_back(key);
  return keys;
}

}  // namespace

std::vector<int> CTBLUser::GetCameraNoList() {
  if (InDeviceGroupMode()) {
    CScopedLock hold(permissionLock_);
    BuildPermissionMaps();
    return KeysOf(cameraPermissions_);
  }
  return ReadList(&cameraNos_, &CTBLUserBase::GetCameraList);
}

std::vector<int> CTBLUser::GetCameraGroupNoList() {
  if (InDeviceGroupMode()) {
    CScopedLock hold(permissionLock_);
    BuildPermissionMaps();
    return KeysOf(groupPermissions_);
  }
  return ReadList(&cameraGroupNos_, &CTBLUserBase::GetCameraGroupList);
}

int CTBLUser::FindDevicePermissionID(int deviceNo) {
  CScopedLock hold(permissionLock_);
  BuildPermissionMaps();
  auto found = cameraPermissions_.find(deviceNo);
  return found == cameraPermissions_.end() ? 0 : found->second;
}

EntityMap CTBLUser::GetSettings() const { return GetOwnerRelatedRows(*this, "TBL_UserSettings", "UserID"); }

EntityMap CTBLUser::GetPermissions() const {
  return GetOwnerRelatedRows(*this, CTBLUserPermission::kTableName, "UserID");
}

CSystemSettingManager& CTBLUser::GetSystemSettingManager() {
  // AttachStore compares and rebinds under the manager's own lock.
  systemSettings_.AttachStore(GetOwnerDataStore(*this));
  return systemSettings_;
}

bool CTBLUser::MatchesFilter(int /*flags*/, const std::string& filter) {
  return LowerTextContains(GetId(), filter) || LowerTextContains(GetUsername(), filter);
}

GATE_REGISTER_ENTITY(CTBLUser);
