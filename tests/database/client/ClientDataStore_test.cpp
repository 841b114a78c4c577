// The client data store over a scratch database made from the creation
// script of every row class: live-status pairing, logins, the current user's
// narrowing, camera groups by name and the installation switches.
#include "database/client/ClientDataStore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "database/SettingRows.h"
#include "database/SystemSettingManager.h"
#include "entities/Camera.h"
#include "entities/CameraGroup.h"
#include "entities/CameraList.h"
#include "entities/DeviceStatus.h"
#include "entities/NRS.h"
#include "entities/User.h"
#include "entities/UserPermission.h"
#include "entities/analysis/Vas.h"
#include "entities/analysis/VasDevice.h"
#include "foundation/Aria.h"
#include "support/InstallationDatabaseTest.h"

namespace {

class ClientDataStoreTest : public InstallationDatabaseTest {
 protected:
  ClientDataStoreTest() : InstallationDatabaseTest("client") {}

  // Adds a row straight to the database; returns its id.
  int Add(CDBEntity& row) {
    EXPECT_TRUE(service_->AddEntity(&row, 0)) << row.GetTableName();
    return row.GetID();
  }
  int AddCamera(const std::string& name, const std::string& deviceType) {
    CTBLCamera camera;
    camera.SetName(name);
    camera.SetDeviceType(deviceType);
    return Add(camera);
  }
  int AddUser(const std::string& id, const std::string& password, const std::string& cameras,
              const std::string& groups) {
    CTBLUser user;
    user.SetId(id);
    user.SetPassword(password);
    user.SetCameraList(cameras);
    user.SetCameraGroupList(groups);
    return Add(user);
  }
  void AddSetting(const std::string& key, const std::string& value) {
    CTBLSystemSetting setting;
    setting.SetCategory(1);
    setting.SetKey(key);
    setting.SetValue(value);
    Add(setting);
  }
  int AddGroup(const std::string& name) {
    CTBLCameraGroup group;
    group.SetGroupName(name);
    return Add(group);
  }
  void Link(int group, int camera) {
    CTBLCameraList link;
    link.SetCameraGroupNo(group);
    link.SetCameraNo(camera);
    Add(link);
  }
  static std::vector<int> Keys(const EntityMap& rows) {
    std::vector<int> keys;
    for (const auto& [id, row] : rows) keys.push_back(id);
    return keys;
  }
};

TEST_F(ClientDataStoreTest, CamerasArePairedWithLiveStatusRows) {
  const int a = AddCamera("a", "Dome"), b = AddCamera("b", "Box"), c = AddCamera("c", "NVR");
  CClientDataStore store(service_.get());
  EXPECT_EQ(store.GetTypeName(), "ClientDataStore");
  CLTBLDeviceStatus orphan;
  orphan.SetDeviceID(999);
  ASSERT_TRUE(store.AddEntity(&orphan, 0));  // a status row without a camera

  ASSERT_NE(store.FindCachedEntity("TBL_Camera", a), nullptr);
  const EntityMap statuses = store.GetCachedEntityList("LTBL_DeviceStatus");
  EXPECT_EQ(Keys(statuses), (std::vector<int>{a, b, c}));
  for (const auto& [id, row] : statuses) {
    EXPECT_NE(dynamic_cast<CLTBLDeviceStatus*>(row.get()), nullptr);
    EXPECT_EQ(row->GetDataStore(), static_cast<IEntityOwnerStore*>(&store));
  }

  EntityPtr gone = service_->FindEntity("TBL_Camera", "no", b);
  ASSERT_TRUE(service_->DeleteEntity(gone.get(), 0));  // marked deleted
  store.LoadEntityList("TBL_Camera");
  const EntityMap after = store.GetCachedEntityList("LTBL_DeviceStatus");
  EXPECT_EQ(Keys(after), (std::vector<int>{a, c}));
  EXPECT_EQ(after.at(a).get(), statuses.at(a).get());  // kept, not made anew
  EXPECT_EQ(after.at(c).get(), statuses.at(c).get());
}

TEST_F(ClientDataStoreTest, RecordingServersGetTheDefaultLoginAndTheDatabaseHost) {
  CTBLNRS local, remote;
  local.SetAddr("localhost");
  remote.SetAddr("10.0.0.8");
  const int localId = Add(local), remoteId = Add(remote);
  CClientDataStore store(service_.get());
  store.SetDefaultLogin("admin", "pw");
  auto zav = std::dynamic_pointer_cast<CTBLNRS>(store.FindCachedEntity("TBL_Zav", localId));
  auto other = std::dynamic_pointer_cast<CTBLNRS>(store.FindCachedEntity("TBL_Zav", remoteId));
  ASSERT_TRUE(zav && other);
  EXPECT_EQ(zav->GetLoginID(), "admin");
  EXPECT_EQ(zav->GetLoginPassword(), "pw");
  EXPECT_EQ(zav->GetSubstituteAddress(), service_->GetHost());
  EXPECT_EQ(zav->GetConnectAddress(), service_->GetHost());
  EXPECT_EQ(other->GetSubstituteAddress(), "");
  EXPECT_EQ(other->GetConnectAddress(), "10.0.0.8");
  EXPECT_EQ(Keys(store.GetCachedEntityList("LTBL_ZavStatus")), (std::vector<int>{localId, remoteId}));
}

TEST_F(ClientDataStoreTest, AnalysisServersTakeTheLoginOfUserOneOnlyWhenThereIsOne) {
  CTBLVas vas;
  vas.SetAddr("127.0.0.1");
  const int vasId = Add(vas);
  {
    CClientDataStore store(service_.get());
    auto row = std::dynamic_pointer_cast<CTBLVas>(store.FindCachedEntity("TBL_Vas", vasId));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->GetLoginID(), "");
    EXPECT_EQ(row->GetLoginPassword(), "");
    EXPECT_EQ(row->GetAddress(), service_->GetHost());
    EXPECT_EQ(Keys(store.GetCachedEntityList("LTBL_VasStatus")), (std::vector<int>{vasId}));
  }
  // The installation keeps passwords enciphered: the store built for the
  // service reads that switch, so the server gets the clear password.
  ASSERT_EQ(AddUser("root", AriaEncryptString("secret"), "", ""), 1);
  AddSetting("PasswordEncrypted", "1");
  AddSetting("DBVersion", "3.2.1");
  CClientDataStore store(service_.get());
  EXPECT_EQ(store.IsPasswordEncrypted(), 1);
  EXPECT_EQ(store.GetDBVersionText(), "3.2.1");
  auto row = std::dynamic_pointer_cast<CTBLVas>(store.FindCachedEntity("TBL_Vas", vasId));
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->GetLoginID(), "root");
  EXPECT_EQ(row->GetLoginPassword(), "secret");
}

TEST_F(ClientDataStoreTest, SwitchesComeFromTheSystemSettings) {
  AddSetting("PasswordHashed", "1");
  AddSetting("SupportNewDeviceGroupPermission", "1");
  AddSetting("PasswordEncrypted", "");
  CClientDataStore store(nullptr);
  EXPECT_EQ(store.IsPasswordHashed(), 0);
  store.SetPasswordEncrypted(5);
  store.SetDBDataStore(nullptr);  // reads nothing
  EXPECT_EQ(store.IsPasswordEncrypted(), 5);
  store.SetDBDataStore(service_.get());
  EXPECT_EQ(store.IsPasswordHashed(), 1);
  EXPECT_EQ(store.GetSupportNewDeviceGroupPermission(), 1);
  EXPECT_EQ(store.IsPasswordEncrypted(), 0);  // an empty value reads as 0

  // A system setting manager over the client store answers the store's switch.
  CSystemSettingManager settings(&store);
  EXPECT_TRUE(settings.GetSupportNewDeviceGroupPermission());
  CDataStore plain(service_.get());
  CSystemSettingManager plainSettings(&plain);
  EXPECT_TRUE(plainSettings.GetSupportNewDeviceGroupPermission());
}

TEST_F(ClientDataStoreTest, TheCurrentUserNarrowsCamerasGroupsLinksAndDevices) {
  const int dome = AddCamera("dome", "Dome");            // in the list, in a group: stays
  const int loneDome = AddCamera("lone", "Dome");        // in the list, in no group: removed
  const int nvr = AddCamera("nvr", "NVR");               // in no list or group, not a filtered kind: stays
  const int hidden = AddCamera("hidden", "PTZ");         // grouped but not in the list: removed
  const int seen = AddGroup("seen"), unseen = AddGroup("unseen");
  Link(seen, dome);
  Link(unseen, hidden);
  CTBLVasDevice allowed, denied;
  allowed.SetDeviceID(dome);
  denied.SetDeviceID(hidden);
  const int allowedId = Add(allowed), deniedId = Add(denied);
  const int user = AddUser("op", "", std::to_string(dome) + ",x," + std::to_string(loneDome),
                           std::to_string(seen));

  CClientDataStore store(service_.get());
  store.SetCurrentUserId(user);
  std::map<int, int> ids;
  store.GetUserCameraIds(user, &ids);
  EXPECT_EQ(ids, (std::map<int, int>{{dome, dome}, {loneDome, loneDome}}));

  EXPECT_EQ(Keys(store.GetCachedEntityList("TBL_Camera")), (std::vector<int>{dome, nvr}));
  EXPECT_EQ(Keys(store.GetCachedEntityList("LTBL_DeviceStatus")), (std::vector<int>{dome, nvr}));
  EXPECT_EQ(Keys(store.GetCachedEntityList("TBL_Camera_Group")), (std::vector<int>{seen}));
  // The link into the unseen group goes with its group... when the links load after the groups.
  store.LoadEntityList("TBL_Camera_Group_Camera_List");
  for (const auto& [id, row] : store.GetCachedEntityList("TBL_Camera_Group_Camera_List")) {
    EXPECT_EQ(static_cast<CTBLCameraList*>(row.get())->GetCameraGroupNo(), seen);
  }
  EXPECT_EQ(Keys(store.GetCachedEntityList("TBL_VasDevice")), (std::vector<int>{allowedId}));
  EXPECT_EQ(Keys(store.GetCachedEntityList("LTBL_VasDeviceStatus")), (std::vector<int>{allowedId}));
  (void)deniedId;

  // Without the filter switch nothing is narrowed.
  store.SetUserFilter(0);
  store.LoadEntityList("TBL_Camera");
  EXPECT_EQ(store.HasEntityList("TBL_Camera"), 4);
}

TEST_F(ClientDataStoreTest, DeviceGroupPermissionsGrantCamerasAndGroups) {
  AddSetting("SupportNewDeviceGroupPermission", "1");
  const int user = AddUser("op", "", "7,8", "9");
  struct Grant {
    int permission, type;
    const char* value;
    int device, group;
  };
  const Grant grants[] = {
      {3000, 4, "1", 11, 0},   // granted camera 11
      {3000, 4, "0", 12, 0},   // not granted
      {3000, 4, "1", 0, 0},    // no camera
      {4000, 4, "1", 0, 21},   // granted group 21
      {5000, 4, "1", 13, 22},  // another permission
  };
  std::vector<int> rowIds;
  for (const Grant& g : grants) {
    CTBLUserPermission permission;
    permission.SetUserID(user);
    permission.SetPermissionID(g.permission);
    permission.SetPrivilegeType(g.type);
    permission.SetPrivilegeValue(g.value);
    permission.SetDeviceID(g.device);
    permission.SetDeviceGroupID(g.group);
    rowIds.push_back(Add(permission));
  }
  CClientDataStore store(service_.get());
  std::map<int, int> cameras, groups;
  store.GetUserCameraIds(user, &cameras);
  store.GetUserCameraGroupIds(user, &groups);
  EXPECT_EQ(cameras, (std::map<int, int>{{11, rowIds[0]}}));
  EXPECT_EQ(groups, (std::map<int, int>{{21, rowIds[3]}}));
}

TEST_F(ClientDataStoreTest, CameraGroupsByName) {
  AddGroup("east");
  CClientDataStore store(service_.get());
  EntityPtr east = store.FindCameraGroupByName("east");
  ASSERT_NE(east, nullptr);
  EXPECT_EQ(store.FindCameraGroupByName("EAST"), nullptr);
  CTBLCameraGroup west;
  west.SetGroupName("west");
  ASSERT_TRUE(store.AddEntity(&west, 0));
  EntityPtr found = store.FindCameraGroupByName("west");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found.get(), store.FindCachedEntity("TBL_Camera_Group", west.GetID()).get());
}

// A thread that holds the TBL_User table lock (adding users) while another
// loads TBL_Vas (which reads user 1 under the store lock), with readers of
// both tables beside them: nothing may wait for ever.
TEST_F(ClientDataStoreTest, LoadingServersNeverDeadlocksAgainstUserWrites) {
  ASSERT_EQ(AddUser("root", "", "", ""), 1);
  CTBLVas vas;
  const int vasId = Add(vas);
  CClientDataStore store(service_.get());
  std::atomic<int> failures{0};
  auto run = std::async(std::launch::async, [&] {
    std::vector<std::thread> threads;
    threads.emplace_back([&] {
      store.OpenConnection();
      for (int i = 0; i < 30; ++i) {
        CTBLUser user;
        user.SetId("u" + std::to_string(i));
        if (!store.AddEntity(&user, 0)) ++failures;
      }
      store.CloseConnection(0);
    });
    threads.emplace_back([&] {
      for (int i = 0; i < 30; ++i) store.LoadEntityList("TBL_Vas");
    });
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([&] {
        for (int i = 0; i < 200; ++i) {
          if (!store.FindCachedEntity("TBL_Vas", vasId)) ++failures;
          if (!store.FindCachedEntity("TBL_User", 1)) ++failures;
        }
      });
    }
    for (auto& thread : threads) thread.join();
  });
  if (run.wait_for(std::chrono::seconds(240)) != std::future_status::ready) {
    ADD_FAILURE() << "the store deadlocked";
    std::_Exit(1);
  }
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(store.HasEntityList("TBL_User"), 31);
  auto row = std::dynamic_pointer_cast<CTBLVas>(store.FindCachedEntity("TBL_Vas", vasId));
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->GetLoginID(), "root");
}

}  // namespace
