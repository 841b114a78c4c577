// CClientDataStore: the application's entity store. A CDataStore whose loads
// also prepare what belongs with the loaded table: every camera, recording
// server (TBL_Zav), analysis device and analysis server gets a live-status row
// in its LTBL_ table (missing ones made, orphaned ones dropped); recording and
// analysis servers get their login and, when registered as the local host, the
// database server's address to connect to; with a current user, cameras,
// camera groups, their links and analysis devices are narrowed to what that
// user may see. It also keeps camera groups by name and holds the
// installation's password and permission switches read from
// TBL_SystemSettings.
//
// Locks, in order: the camera-group index lock, then the locks of CDataStore;
// the login lock is a leaf. The steps that narrow a loaded table run on its
// fresh rows with no lock held and read companion tables through the public
// look-ups (loading them when needed); the live-status rows are paired under
// the cache lock as the loaded rows go in. The switches are single words
// written before the store is shared.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <string>

#include "database/DataStore.h"
#include "database/InstallationSwitches.h"
#include "foundation/Lock.h"

class CTBLUser;

class CClientDataStore : public CDataStore, public IInstallationSwitches {
 public:
  // `service` (not owned, may be null) must outlive the store. With a service
  // the installation switches are read from it at once (see SetDBDataStore),
  // so a store built for a service sees the installation's password form.
  explicit CClientDataStore(IDataService* service);
  ~CClientDataStore() override;

  std::string GetTypeName() override { return "ClientDataStore"; }
  std::string GetStoreText() override;
  // Sets the service; with a non-null one reads "PasswordEncrypted",
  // "PasswordHashed", "SupportNewDeviceGroupPermission" (category 1) and
  // "DBVersion" from TBL_SystemSettings through it; a missing row leaves its
  // switch as it was. Blocks for one query per setting.
  void SetDBDataStore(IDataService* service) override;

  // ---- IInstallationSwitches ----
  int IsPasswordEncrypted() override { return password_encrypted_.load(); }
  void SetPasswordEncrypted(int on) override { password_encrypted_.store(on); }
  int IsPasswordHashed() override { return password_hashed_.load(); }
  void SetPasswordHashed(int on) override { password_hashed_.store(on); }
  int GetSupportNewDeviceGroupPermission() override { return new_device_group_permission_.load(); }

  // The DBVersion setting read by SetDBDataStore ("" when none).
  std::string GetDBVersionText();

  // The camera group whose group_name is `name` (byte for byte), shared with
  // the cache; empty when none. Rebuilds the name index when TBL_Camera_Group
  // changed (loading it on first use). Takes the index lock, then table locks.
  std::shared_ptr<CDBEntity> FindCameraGroupByName(const std::string& name);

  // The camera ids (camera-group ids) user `user_id` may see, each mapped to
  // the granting permission row's id (device-group mode) or to itself (the
  // user's camera_list / camera_group_list). Cached look-ups, loading first.
  void GetUserCameraIds(int user_id, std::map<int, int>* ids);
  void GetUserCameraGroupIds(int user_id, std::map<int, int>* ids);

  // The user whose permissions narrow the loaded tables (0 or less: none),
  // the switch that turns that narrowing on (on after construction), the
  // login kind and the default login. Meant to be set before tables load.
  void SetCurrentUserId(int user_id) { current_user_id_.store(user_id); }
  int GetCurrentUserId() { return current_user_id_.load(); }
  void SetUserFilter(int on) { user_filter_.store(on); }
  void SetLoginKind(int kind) { login_kind_.store(kind); }
  void SetDefaultLogin(const std::string& id, const std::string& password);

 protected:
  // The narrowing by the current user, and the logins of the servers.
  void PrepareLoadedRows(const std::string& table, EntityMap64& rows) override;
  // Pairs cameras, recording servers, analysis devices and analysis servers
  // with their live-status rows: orphaned ones dropped, missing ones made.
  void OnRowsInstalled(const std::string& table, CachedRows& rows) override REQUIRES(cache_lock_);

 private:
  void ReadInstallationSwitches(IDataService* service);
  // The current user's row when the filter is on and the user exists; else null.
  std::shared_ptr<CTBLUser> CurrentUser();
  // Steps of a load, on the loaded rows.
  void NarrowCameras(const std::shared_ptr<CTBLUser>& user, EntityMap64& rows);
  void NarrowVasDevices(const std::shared_ptr<CTBLUser>& user, EntityMap64& rows);
  void AssignLogins(EntityMap64& rows, const std::shared_ptr<CTBLUser>& user, bool default_login);
  void DropUnseenLinks(EntityMap64& rows);
  void DropUnseenGroups(const std::shared_ptr<CTBLUser>& user, EntityMap64& rows);
  void GetUserIds(int user_id, int permission_id, bool groups, std::map<int, int>* ids);

  std::atomic<int> current_user_id_{0};
  std::atomic<int> user_filter_{1};
  std::atomic<int> login_kind_{0};
  std::atomic<int> password_encrypted_{0};
  std::atomic<int> password_hashed_{0};
  std::atomic<int> new_device_group_permission_{0};

  CLock login_lock_;  // a leaf
  std::string default_login_id_ GUARDED_BY(login_lock_);
  std::string default_login_password_ GUARDED_BY(login_lock_);
  std::string db_version_text_ GUARDED_BY(login_lock_);
  const std::string store_text_;  // stays empty

  CLock group_index_lock_;  // taken before any store lock
  std::map<std::string, std::shared_ptr<CDBEntity>> groups_by_name_ GUARDED_BY(group_index_lock_);
  int group_index_version_ GUARDED_BY(group_index_lock_) = -1;
};
