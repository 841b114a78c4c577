#include "database/client/ClientDataStore.h"

#include <set>
#include <vector>

#include "database/DBDataStore.h"
#include "database/ISettingManager.h"
#include "database/SettingRows.h"
#include "database/SqlWhereClause.h"
#include "entities/CameraGroup.h"
#include "entities/CameraList.h"
#include "entities/NRS.h"
#include "entities/User.h"
#include "entities/UserPermission.h"
#include "entities/analysis/Vas.h"
#include "entities/analysis/VasDevice.h"
#include "entities/base/DBEntityFactory.h"
#include "entities/base/EntityTreeNode.h"
#include "foundation/HostAddress.h"
#include "foundation/StrList.h"

namespace {

constexpr int kCameraPermission = 3000;
constexpr int kCameraGroupPermission = 4000;

// Box, PTZ, Dome and Video Server cameras are narrowed by the user's rights.
bool IsFilteredCameraKind(CDBEntity& camera) {
  auto* node = static_cast<IEntityTreeNode*>(camera.GetInterface("IEntityTreeNode"));
  if (!node) return false;
  const int type = node->GetNodeType();
  return type >= 2 && type <= 5;
}

}  // namespace

CClientDataStore::CClientDataStore(IDataService* service) : CDataStore(service) {
  if (service) ReadInstallationSwitches(service);
}

CClientDataStore::~CClientDataStore() = default;

std::string CClientDataStore::GetStoreText() { return storeText_; }

std::string CClientDataStore::GetDBVersionText() {
  CScopedLock hold(loginLock_);
  return dbVersionText_;
}

void CClientDataStore::SetDefaultLogin(const std::string& id, const std::string& password) {
  CScopedLock hold(loginLock_);
  defaultLoginId_ = id;
  defaultLoginPassword_ = password;
}

void CClientDataStore::SetDBDataStore(IDataService* service) {
  CDataStore::SetDBDataStore(service);
  if (service) ReadInstallationSwitches(service);
}

void CClientDataStore::ReadInstallationSwitches(IDataService* service) {
  auto read = [service](const char* key, std::string* value) {
    CSqlWhereClause clause;
    clause.AddFormat(0, 0, "`Category` = %d", 1);
    clause.AddFormat(0, 0, "`Key` = '%s'", key);
    EntityPtr row = service->FindEntity("TBL_SystemSettings", clause.ToString().c_str());
    auto* setting = dynamic_cast<CTBLSystemSetting*>(row.get());
    if (!setting) return false;
    *value = setting->GetValue();
    return true;
  };
  std::string value;
  if (read("PasswordEncrypted", &value)) passwordEncrypted_.store(SettingTextToLong(value));
  if (read("PasswordHashed", &value)) passwordHashed_.store(SettingTextToLong(value));
  if (read("SupportNewDeviceGroupPermission", &value)) newDeviceGroupPermission_.store(SettingTextToLong(value));
  if (read("DBVersion", &value)) {
    CScopedLock hold(loginLock_);
    dbVersionText_ = value;
  }
}

// ---------------------------------------------------------------------------
// Loading

std::shared_ptr<CTBLUser> CClientDataStore::CurrentUser() {
  const int user = currentUserId_.load();
  if (!userFilter_.load() || user <= 0) return nullptr;
  return std::dynamic_pointer_cast<CTBLUser>(FindCachedEntity("TBL_User", user));
}

void CClientDataStore::PrepareLoadedRows(const std::string& table, EntityMap64& rows) {
  std::shared_ptr<CTBLUser> user = CurrentUser();
  if (table == "TBL_Camera") {
    if (user) NarrowCameras(user, rows);
  } else if (table == "TBL_Zav") {
    AssignLogins(rows, user, true);
  } else if (table == "TBL_Camera_Group_Camera_List") {
    if (user) DropUnseenLinks(rows);
  } else if (table == "TBL_Camera_Group") {
    if (user) DropUnseenGroups(user, rows);
  } else if (table == "TBL_VasDevice") {
    if (user) NarrowVasDevices(user, rows);
  } else if (table == "TBL_Vas") {
    // The login comes from the current user, else user 1.
    AssignLogins(rows, user ? user : std::dynamic_pointer_cast<CTBLUser>(FindCachedEntity("TBL_User", 1)), false);
  }
}

namespace {

// The live-status table of the rows of `table`; null when they have none.
const char* LiveStatusTableOf(const std::string& table) {
  if (table == "TBL_Camera") return "LTBL_DeviceStatus";
  if (table == "TBL_Zav") return "LTBL_ZavStatus";
  if (table == "TBL_VasDevice") return "LTBL_VasDeviceStatus";
  if (table == "TBL_Vas") return "LTBL_VasStatus";
  return nullptr;
}

// Drops the rows of `rows` that `remove` picks.
template <typename RemoveFn>
void RemoveRows(EntityMap64& rows, RemoveFn remove) {
  std::vector<uint64_t> removed;
  for (const auto& [key, row] : rows) {
    if (!row || remove(*row)) removed.push_back(key);
  }
  for (uint64_t key : removed) rows.erase(key);
}

}  // namespace

void CClientDataStore::OnRowsInstalled(const std::string& table, CachedRows& rows) {
  const char* statusTable = LiveStatusTableOf(table);
  if (!statusTable || !GetDBDataStore()) return;
  // Status rows are keyed by their owner's id: orphaned ones go, missing ones are made.
  CachedRows* statuses = CachedRowsLocked(statusTable, true);
  for (auto it = statuses->begin(); it != statuses->end();) {
    if (rows.find(it->first) == rows.end()) {
      it = statuses->erase(it);
    } else {
      ++it;
    }
  }
  for (const auto& [key, row] : rows) {
    if (!row || statuses->count(key)) continue;
    CDBEntity* status = CDBEntityFactory::CreateEntity(statusTable);
    if (!status) continue;
    Attach(status);
    status->SetID(row->GetID());
    (*statuses)[status->GetID64()] = EntityPtr(status);
  }
}

void CClientDataStore::NarrowCameras(const std::shared_ptr<CTBLUser>& user, EntityMap64& rows) {
  std::map<int, int> cameraIds;
  GetUserCameraIds(user->GetID(), &cameraIds);
  std::set<int> grouped;
  for (const auto& [id, row] : GetCachedEntityList("TBL_Camera_Group_Camera_List")) {
    if (auto* link = dynamic_cast<CTBLCameraList*>(row.get())) grouped.insert(link->GetCameraNo());
  }
  RemoveRows(rows, [&](CDBEntity& camera) {
    const int id = camera.GetID();
    return IsFilteredCameraKind(camera) && (!cameraIds.count(id) || !grouped.count(id));
  });
}

void CClientDataStore::NarrowVasDevices(const std::shared_ptr<CTBLUser>& user, EntityMap64& rows) {
  std::map<int, int> cameraIds;
  GetUserCameraIds(user->GetID(), &cameraIds);
  RemoveRows(rows, [&](CDBEntity& row) {
    auto* device = dynamic_cast<CTBLVasDevice*>(&row);
    return device && !cameraIds.count(device->GetDeviceID());
  });
}

namespace {

// Gives a recording or analysis server its login and, when it is registered
// as the local host, the database server's address to connect to.
template <typename Server>
void AssignLogin(Server& server, const CTBLUser* user, bool use_defaults, const std::string& default_id,
                 const std::string& default_password, bool default_password_for_kind, const std::string& db_host) {
  if (user) {
    server.SetLoginID(user->GetId());
    server.SetLoginPassword(default_password_for_kind ? default_password : user->GetPassword());
  } else if (use_defaults) {
    server.SetLoginID(default_id);
    server.SetLoginPassword(default_password);
  }
  if (!db_host.empty() && IsLocalHostAddress(server.GetAddr().c_str())) server.SetSubstituteAddress(db_host);
}

}  // namespace

void CClientDataStore::AssignLogins(EntityMap64& rows, const std::shared_ptr<CTBLUser>& user, bool default_login) {
  std::string defaultId, defaultPassword;
  {
    CScopedLock hold(loginLock_);
    defaultId = defaultLoginId_;
    defaultPassword = defaultLoginPassword_;
  }
  const int kind = loginKind_.load();
  const bool kindUsesDefault = passwordEncrypted_.load() != 0 && (kind == 1 || kind == 3 || kind == 10000);
  auto* service = dynamic_cast<CDBDataStore*>(GetDBDataStore());
  const std::string dbHost = service ? service->GetHost() : std::string();
  for (const auto& [id, row] : rows) {
    if (auto* zav = dynamic_cast<CTBLNRS*>(row.get())) {
      AssignLogin(*zav, user.get(), default_login, defaultId, defaultPassword, kindUsesDefault, dbHost);
    } else if (auto* vas = dynamic_cast<CTBLVas*>(row.get())) {
      AssignLogin(*vas, user.get(), default_login, defaultId, defaultPassword, kindUsesDefault, dbHost);
    }
  }
}

void CClientDataStore::DropUnseenLinks(EntityMap64& rows) {
  RemoveRows(rows, [&](CDBEntity& row) {
    auto* link = dynamic_cast<CTBLCameraList*>(&row);
    return !link || !FindCachedEntity("TBL_Camera", link->GetCameraNo()) ||
           !FindCachedEntity("TBL_Camera_Group", link->GetCameraGroupNo());
  });
}

void CClientDataStore::DropUnseenGroups(const std::shared_ptr<CTBLUser>& user, EntityMap64& rows) {
  std::map<int, int> groupIds;
  GetUserCameraGroupIds(user->GetID(), &groupIds);
  RemoveRows(rows, [&](CDBEntity& group) { return !groupIds.count(group.GetID()); });
}

// ---------------------------------------------------------------------------
// User rights and camera groups by name

void CClientDataStore::GetUserCameraIds(int user_id, std::map<int, int>* ids) {
  GetUserIds(user_id, kCameraPermission, false, ids);
}

void CClientDataStore::GetUserCameraGroupIds(int user_id, std::map<int, int>* ids) {
  GetUserIds(user_id, kCameraGroupPermission, true, ids);
}

void CClientDataStore::GetUserIds(int user_id, int permission_id, bool groups, std::map<int, int>* ids) {
  if (!ids) return;
  ids->clear();
  if (newDeviceGroupPermission_.load()) {
    for (const auto& [id, row] : GetCachedEntityList("TBL_UserPermissions")) {
      auto* permission = dynamic_cast<CTBLUserPermission*>(row.get());
      if (!permission || permission->GetUserID() != user_id || permission->GetPermissionID() != permission_id ||
          permission->CheckPrivilege("") == 0) {
        continue;
      }
      const int target = groups ? permission->GetDeviceGroupID() : permission->GetDeviceID();
      if (target > 0) (*ids)[target] = id;
    }
    return;
  }
  auto user = std::dynamic_pointer_cast<CTBLUser>(FindCachedEntity("TBL_User", user_id));
  if (!user) return;
  CStrList pieces;
  pieces.Split(groups ? user->GetCameraGroupList() : user->GetCameraList(), ",");
  for (const std::string& piece : pieces.Items()) {
    const int number = SettingTextToLong(piece);
    if (number > 0) (*ids)[number] = number;
  }
}

std::shared_ptr<CDBEntity> CClientDataStore::FindCameraGroupByName(const std::string& name) {
  CScopedLock hold(groupIndexLock_);
  const int version = GetTableVersion("TBL_Camera_Group");
  if (version > groupIndexVersion_) {
    groupsByName_.clear();
    for (const auto& [id, row] : GetCachedEntityList("TBL_Camera_Group")) {
      if (auto* group = dynamic_cast<CTBLCameraGroup*>(row.get())) groupsByName_[group->GetGroupName()] = row;
    }
    groupIndexVersion_ = version;
  }
  auto it = groupsByName_.find(name);
  return it == groupsByName_.end() ? nullptr : it->second;
}
