// The user row (TBL_User): one user account with its login id and password,
// right flags, the cameras and camera groups it may see, contact data, the
// account state and the password and account-expiry bookkeeping. CTBLUserBase
// holds the 35 columns; CTBLUser, the class registered for the table, adds the
// parsed number lists, the permission maps built from the user's
// TBL_UserPermissions rows, the password rule and the tree-node view.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "database/OwnerSettingManager.h"
#include "database/SystemSettingManager.h"
#include "entities/NoList.h"
#include "entities/base/EntityTreeNode.h"
#include "entities/base/RowClass.h"
#include "foundation/Lock.h"

// clang-format off
#define TBL_USER_COLUMNS(C)                                             \
  C(Int, "no", No, 0)                                                   \
  C(String, "id", Id, "")                                               \
  C(String, "password", Password, "")                                   \
  C(Int, "user_group_no", UserGroupNo, 1)                               \
  C(Int, "level", Level, 1)                                             \
  C(Bool, "setup", Setup, 0)                                            \
  C(Bool, "video", Video, 1)                                            \
  C(Bool, "audio", Audio, 1)                                            \
  C(Bool, "ptz", Ptz, 1)                                                \
  C(Bool, "talk", Talk, 1)                                              \
  C(Bool, "alarm_out", AlarmOut, 1)                                     \
  C(Bool, "playback", Playback, 1)                                      \
  C(Bool, "backup", Backup, 1)                                          \
  C(Bool, "evt_motion", EvtMotion, 1)                                   \
  C(Bool, "evt_alarm_in", EvtAlarmIn, 1)                                \
  C(Bool, "evt_user1", EvtUser1, 1)                                     \
  C(Bool, "evt_user2", EvtUser2, 1)                                     \
  C(String, "camera_list", CameraList, "", column::Text)                \
  C(String, "camera_group_list", CameraGroupList, "", column::Text)     \
  C(String, "username", Username, "")                                   \
  C(String, "Contact1", Contact1, "")                                   \
  C(String, "Contact2", Contact2, "")                                   \
  C(String, "Description", Description, "")                             \
  C(Bool, "IsDeleted", IsDeleted, 0)                                    \
  C(Int, "Status", Status, 0)                                           \
  C(Int, "AuthFailCount", AuthFailCount, 0)                             \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")                       \
  C(DateTime, "PasswordDateTimeUpdated", PasswordDateTimeUpdated, "")   \
  C(Bool, "ApplyPasswordExpiration", ApplyPasswordExpiration, 0)        \
  C(String, "MobileNumber", MobileNumber, "")                           \
  C(Bool, "InitPassword", InitPassword, 0)                              \
  C(Int, "DayAuthFailCount", DayAuthFailCount, 0)                       \
  C(DateTime, "DateTimeAuthFailed", DateTimeAuthFailed, "")             \
  C(Bool, "UseAccountExpiration", UseAccountExpiration, 0)              \
  C(DateTime, "AccountExpirationTime", AccountExpirationTime, "")
// clang-format on

// Deleting a user deletes its settings, permissions, layouts, network
// filters, mobile registrations, resources, analysis-device group links and
// MAC addresses.
class CTBLUserBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLUserBase, "TBL_User", TBL_USER_COLUMNS, AutoIncrement, "no", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_UserSettings", "UserID", 0, kRelationModeDelete},
                        {"TBL_UserPermissions", "UserID", 0, kRelationModeDelete},
                        {"TBL_CustomLayouts", "UserID", 0, kRelationModeDelete},
                        {"TBL_NetworkFilters", "UserID", 0, kRelationModeDelete},
                        {"TBL_Mobiles", "UserID", 0, kRelationModeDelete},
                        {"TBL_UserResources", "UserID", 0, kRelationModeDelete},
                        {"TBL_VasDeviceGroupList", "UserID", 0, kRelationModeDelete},
                        {"TBL_UserMacAddress", "UserID", 0, kRelationModeDelete})
};

// The user as the system uses it.
//
// Locks: `listLock_` guards both number lists and their current flags;
// `permissionLock_` (re-entrant) guards the permission version seen and both
// permission maps. No operation holds both, and neither is held while the
// system setting manager is read (it has its own lock). The permission maps
// are rebuilt whenever the owner store's version of TBL_UserPermissions has
// grown past the one seen (every call while the store reports 0).
class CTBLUser : public CTBLUserBase, public IEntityTreeNode {
 public:
  CTBLUser() = default;
  // Columns, entity state, both number lists with their flags, both setting
  // managers, the permission version seen and both maps; locks of its own.
  CTBLUser(const CTBLUser& other);

  // The columns, then both number lists marked stale.
  void LoadFrom(CKeyValueData& row) override;
  // The 35 columns into a target user, whose number lists are then marked
  // stale; nothing of the lists, maps or setting managers.
  void CopyTo(CDBEntity* target) const override;
  // `id`, or "<id> (<username>)" when `username` is not empty.
  std::string GetDisplayText() const override;
  // The tree-node view for "IEntityTreeNode" (exact name), else null.
  void* GetInterface(const std::string& name) override;
  // Set the column (recorded, notified), then mark its number list stale,
  // even when the text did not change.
  void SetCameraList(const std::string& text) override;
  void SetCameraGroupList(const std::string& text) override;

  // The password in clear text: deciphered when the row keeps it enciphered
  // (PasswordCipher.h: an owner store other than the client store, or the
  // client store with its password switch on), else as stored. The setter
  // stores what it is given.
  std::string GetPassword() const override;
  // The `password` column deciphered (`decipher`) or as stored.
  std::string GetPasswordText(bool decipher) const;

  // The camera numbers the user may see: in device-group mode (an owner store
  // and the system setting "SupportNewDeviceGroupPermission") the granted
  // cameras of its permission rows, ascending; otherwise `camera_list` in
  // text order.
  std::vector<int> GetCameraNoList();
  // The same for camera groups and `camera_group_list`.
  std::vector<int> GetCameraGroupNoList();
  // The key (`UserPermissionID`) of the user's TBL_UserPermissions row of
  // kind 3000 that grants camera `deviceNo` (of two, the higher key); 0 when
  // none or for a free row. Reads the permission rows in both modes; takes
  // `permissionLock_`, rebuilding the index when the store's version of the
  // permission table has moved.
  int FindDevicePermissionID(int deviceNo);

  // The user's TBL_UserSettings / TBL_UserPermissions rows by key; empty for
  // a free row.
  EntityMap GetSettings() const;
  EntityMap GetPermissions() const;
  // The system setting manager, bound to the row's owner store first when it
  // is bound elsewhere (its settings are then loaded again). The rebinding
  // runs under the manager's lock, so a thread reading the manager meanwhile
  // sees one store or the other, never half of a change.
  CSystemSettingManager& GetSystemSettingManager();
  CUserSettingManager& GetUserSettingManager() { return userSettings_; }

  // ---- IEntityTreeNode ----
  std::string GetNodeName() override { return GetId(); }
  int GetNodeType() override { return kNodeTypeUser; }
  int GetNodeOrder(int /*parentId*/) override { return GetNo(); }
  int GetNodeRank() override { return 0; }
  // `id`, then `username`; the flags are not used.
  bool MatchesFilter(int flags, const std::string& filter) override;
  EntityMap GetParentNodes() override { return {}; }
  EntityMap GetChildNodes() override { return {}; }
  int GetNodeStatus() override { return kNodeStatusNormal; }

 private:
  struct ParsedList {
    CNoList numbers;
    bool current = false;
  };
  // Parses `text` into `list` unless it is current; a copy of its numbers.
  // Takes listLock_.
  std::vector<int> ReadList(ParsedList* list, std::string (CTBLUserBase::*column)() const);
  void MarkListsStale();
  bool InDeviceGroupMode();
  // Under permissionLock_.
  void BuildPermissionMaps();

  mutable CLock listLock_;
  ParsedList cameraNos_;       // guarded by listLock_
  ParsedList cameraGroupNos_;  // guarded by listLock_
  CUserSettingManager userSettings_;
  CSystemSettingManager systemSettings_;
  mutable CLock permissionLock_;
  int permissionVersion_ = 0;               // guarded by permissionLock_
  std::map<int, int> groupPermissions_;     // guarded by permissionLock_; group -> permission key
  std::map<int, int> cameraPermissions_;    // guarded by permissionLock_; camera -> permission key
};
