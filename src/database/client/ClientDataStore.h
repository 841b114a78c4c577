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
  int IsPasswordEncrypted() override { return passwordEncrypted_.load(); }
  void SetPasswordEncrypted(int on) override { passwordEncrypted_.store(on); }
  int IsPasswordHashed() override { return passwordHashed_.load(); }
  void SetPasswordHashed(int on) override { passwordHashed_.store(on); }
  int GetSupportNewDeviceGroupPermission() override { return newDeviceGroupPermission_.load(); }

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
  void SetCurrentUserId(int user_id) { currentUserId_.store(user_id); }
  int GetCurrentUserId() { return currentUserId_.load(); }
  void SetUserFilter(int on) { userFilter_.store(on); }
  void SetLoginKind(int kind) { loginKind_.store(kind); }
  void SetDefaultLogin(const std::string& id, const std::string& password);

 protected:
  // The narrowing by the current user, and the logins of the servers.
  void PrepareLoadedRows(const std::string& table, EntityMap64& rows) override;
  // Pairs cameras, recording servers, analysis devices and analysis servers
  // with their live-status rows: orphaned ones dropped, missing ones made.
  void OnRowsInstalled(const std::string& table, CachedRows& rows) override REQUIRES(cacheLock_);

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

  std::atomic<int> currentUserId_{0};
  std::atomic<int> userFilter_{1};
  std::atomic<int> loginKind_{0};
  std::atomic<int> passwordEncrypted_{0};
  std::atomic<int> passwordHashed_{0};
  std::atomic<int> newDeviceGroupPermission_{0};

  CLock loginLock_;  // a leaf
  std::string defaultLoginId_ GUARDED_BY(loginLock_);
  std::string defaultLoginPassword_ GUARDED_BY(loginLock_);
  std::string dbVersionText_ GUARDED_BY(loginLock_);
  const std::string storeText_;  // stays empty

  CLock groupIndexLock_;  // taken before any store lock
  std::map<std::string, std::shared_ptr<CDBEntity>> groupsByName_ GUARDED_BY(groupIndexLock_);
  int groupIndexVersion_ GUARDED_BY(groupIndexLock_) = -1;
};
