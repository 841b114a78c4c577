#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "StoreTest.h"
#include "entities/Client.h"
#include "entities/NoList.h"
#include "entities/User.h"
#include "entities/UserPermission.h"
#include "foundation/Aria.h"

namespace {

IEntityTreeNode* UserNode(CDBEntity& row) { return static_cast<IEntityTreeNode*>(row.GetInterface("IEntityTreeNode")); }

TEST(UserRow, FreshRowDefaults) {
  CTBLUser user;
  EXPECT_EQ(user.GetColumnValues().size(), 35u);
  for (int flag : {user.GetVideo(), user.GetAudio(), user.GetPtz(), user.GetTalk(), user.GetAlarmOut(),
                   user.GetPlayback(), user.GetBackup(), user.GetEvtMotion(), user.GetEvtAlarmIn(),
                   user.GetEvtUser1(), user.GetEvtUser2(), user.GetLevel(), user.GetUserGroupNo()}) {
    EXPECT_EQ(flag, 1);
  }
  EXPECT_EQ(user.GetSetup(), 0);
  EXPECT_EQ(user.GetStatus(), 0);
  EXPECT_TRUE(user.GetCameraNoList().empty());
  EXPECT_EQ(user.FindDevicePermissionID(1), 0);
  EXPECT_TRUE(user.GetSettings().empty());
  EXPECT_TRUE(user.GetPermissions().empty());
  EXPECT_EQ(user.GetSystemSettingManager().GetDataStore(), nullptr);
  std::vector<std::string> relations;
  for (const CRelationInfo& r : user.GetRelationInfos()) {
    relations.push_back(r.GetRelatedTable() + " " + std::to_string(r.GetMode()));
  }
  EXPECT_EQ(relations, (std::vector<std::string>{"TBL_UserSettings 1", "TBL_UserPermissions 1",
                                                  "TBL_CustomLayouts 1", "TBL_NetworkFilters 1", "TBL_Mobiles 1",
                                                  "TBL_UserResources 1", "TBL_VasDeviceGroupList 1",
                                                  "TBL_UserMacAddress 1"}));
}

TEST(UserRow, NumberListsParseTheirColumns) {
  struct Case {
    const char* text;
    std::vector<int> numbers;
  } cases[] = {
      {"3,1,3,,x,-2, 7,0", {3, 1, 7}}, {"", {}}, {",,,", {}}, {"12", {12}},
      {"5abc,+6,99999999999", {5, 6, 2147483647}},
  };
  for (const Case& c : cases) {
    CTBLUser user;
    user.SetCameraList(c.text);
    user.SetCameraGroupList(c.text);
    EXPECT_EQ(user.GetCameraNoList(), c.numbers) << c.text;
    EXPECT_EQ(user.GetCameraGroupNoList(), c.numbers) << c.text;
  }
  CTBLUser user;
  user.SetCameraList("4,2");
  EXPECT_EQ(user.GetCameraNoList(), (std::vector<int>{4, 2}));
  user.SetCameraList("8");
  EXPECT_EQ(user.GetCameraNoList(), (std::vector<int>{8}));
  CKeyValueData row;
  row.SetValue("camera_list", "9,10");
  user.LoadFrom(row);
  EXPECT_EQ(user.GetCameraNoList(), (std::vector<int>{9, 10})) << "loading marks the list stale";
  CTBLUser target;
  EXPECT_TRUE(target.GetCameraNoList().empty());
  user.CopyTo(&target);
  EXPECT_EQ(target.GetCameraNoList(), (std::vector<int>{9, 10})) << "copying marks the target's list stale";
  CTBLUser copy(user);
  EXPECT_EQ(copy.GetCameraNoList(), (std::vector<int>{9, 10}));
  EXPECT_EQ(user.FindDevicePermissionID(9), 0) << "listed, but no permission row grants it";
}

TEST(UserRow, FormatNoList) {
  EXPECT_EQ(FormatNoList({0, 5, -1, 6}), "5,6");
  EXPECT_EQ(FormatNoList({}), "");
  EXPECT_EQ(FormatNoList({-3}), "");
  CNoList list;
  EXPECT_TRUE(list.Add(4));
  EXPECT_FALSE(list.Add(4));
  EXPECT_TRUE(list.Add(2));
  EXPECT_EQ(list.GetItems(), (std::vector<int>{4, 2}));
}

TEST(UserRow, DisplayTextFilterAndNode) {
  CTBLUser user;
  user.SetNo(12);
  user.SetId("guard7");
  EXPECT_EQ(user.GetDisplayText(), "guard7");
  user.SetUsername("Night shift");
  EXPECT_EQ(user.GetDisplayText(), "guard7 (Night shift)");

  CTBLUser other;
  other.SetId("Guard7");
  other.SetUsername("Guard post");
  ASSERT_NE(UserNode(other), nullptr);
  EXPECT_TRUE(UserNode(other)->MatchesFilter(0, "guard"));
  EXPECT_FALSE(UserNode(other)->MatchesFilter(2, "Guard"));
  EXPECT_TRUE(UserNode(other)->MatchesFilter(0, "post"));
  EXPECT_TRUE(UserNode(other)->MatchesFilter(0, ""));
  EXPECT_EQ(UserNode(user)->GetNodeType(), kNodeTypeUser);
  EXPECT_EQ(UserNode(user)->GetNodeOrder(5), 12);
  EXPECT_EQ(UserNode(user)->GetNodeRank(), 0);
  EXPECT_EQ(UserNode(user)->GetNodeName(), "guard7");
}

TEST(UserRow, PasswordFollowsTheOwnerStore) {
  CTBLUser user;
  user.SetPassword("plain");
  EXPECT_EQ(user.GetPassword(), "plain") << "a free row holds the clear text";
  EXPECT_EQ(user.GetPasswordText(false), "plain");
  user.SetPassword(AriaEncryptString("hidden"));
  EXPECT_EQ(user.GetPasswordText(true), "hidden");
  EXPECT_EQ(user.GetPasswordText(false), AriaEncryptString("hidden"));
  EXPECT_EQ(CTBLUser().GetPasswordText(true), "");
}

class UserStoreTest : public StoreTest {
 protected:
  std::shared_ptr<CTBLUser> AddUser(const std::string& id, const std::string& cameraList = "") {
    CTBLUser user;
    user.SetId(id);
    user.SetCameraList(cameraList);
    return Add(user);
  }
  // A permission row of `user`: kind 3000 (camera) or 4000 (group) for
  // `target`, granting unless `privilege` is "0".
  std::shared_ptr<CTBLUserPermission> Grant(int user, int kind, int target, const char* privilege = "1") {
    CTBLUserPermission permission;
    permission.SetUserID(user);
    permission.SetPermissionID(kind);
    permission.SetPrivilegeValue(privilege);
    if (kind == kPermissionCamera) permission.SetDeviceID(target);
    if (kind == kPermissionCameraGroup) permission.SetDeviceGroupID(target);
    return Add(permission);
  }
};

TEST_F(UserStoreTest, PermissionRowsGrantCamerasAndGroups) {
  auto user = AddUser("op", "1,2,3");
  auto other = AddUser("other");
  ASSERT_TRUE(user && other);
  Grant(user->GetNo(), kPermissionCamera, 20);
  auto first = Grant(user->GetNo(), kPermissionCamera, 10);
  auto second = Grant(user->GetNo(), kPermissionCamera, 10);
  Grant(user->GetNo(), kPermissionCamera, 30, "0");  // does not grant
  Grant(user->GetNo(), kPermissionCamera, -4);
  Grant(user->GetNo(), kPermissionCameraGroup, 7);
  Grant(user->GetNo(), 5000, 40);
  Grant(other->GetNo(), kPermissionCamera, 50);
  ASSERT_TRUE(first && second);

  EXPECT_EQ(user->FindDevicePermissionID(10), second->GetID()) << "the higher key wins";
  EXPECT_EQ(user->FindDevicePermissionID(20) > 0, true);
  EXPECT_EQ(user->FindDevicePermissionID(30), 0);
  EXPECT_EQ(user->FindDevicePermissionID(1), 0) << "camera_list is not read";
  EXPECT_EQ(user->FindDevicePermissionID(50), 0);
  EXPECT_EQ(user->GetPermissions().size(), 7u);

  // Without device-group mode the lists come from the columns.
  EXPECT_EQ(user->GetCameraNoList(), (std::vector<int>{1, 2, 3}));
  // The system setting switches the mode; the lists then come from the rows.
  auto system = std::make_unique<CSystemSettingManager>(store_.get());
  ASSERT_TRUE(system->SetBool(1, "SupportNewDeviceGroupPermission", true));
  EXPECT_EQ(user->GetCameraNoList(), (std::vector<int>{10, 20}));
  EXPECT_EQ(user->GetCameraGroupNoList(), (std::vector<int>{7}));
  EXPECT_EQ(user->GetSystemSettingManager().GetDataStore(), store_.get());

  // A permission added through the store is seen at the next read.
  auto added = Grant(user->GetNo(), kPermissionCamera, 60);
  ASSERT_TRUE(added);
  EXPECT_EQ(user->FindDevicePermissionID(60), added->GetID());
  EXPECT_EQ(user->GetCameraNoList(), (std::vector<int>{10, 20, 60}));
}

TEST_F(UserStoreTest, ClientStoreSwitchesDecideModeAndPassword) {
  auto clientStore = std::make_unique<ClientLikeStore>(service_.get());
  ClientLikeStore& client = *clientStore;
  auto row = std::make_unique<CTBLUser>();
  row->SetId("viewer");
  row->SetCameraList("4");
  row->SetPassword(AriaEncryptString("s3cret"));
  ASSERT_TRUE(client.AddEntity(row.get(), 0));
  auto user = std::dynamic_pointer_cast<CTBLUser>(client.FindCachedEntity("TBL_User", row->GetID()));
  ASSERT_TRUE(user);
  auto grant = std::make_unique<CTBLUserPermission>();
  grant->SetUserID(user->GetNo());
  grant->SetPermissionID(kPermissionCamera);
  grant->SetPrivilegeValue("1");
  grant->SetDeviceID(8);
  ASSERT_TRUE(client.AddEntity(grant.get(), 0));

  EXPECT_EQ(user->GetPassword(), AriaEncryptString("s3cret")) << "switch off: as stored";
  client.SetPasswordEncrypted(1);
  EXPECT_EQ(user->GetPassword(), "s3cret");

  EXPECT_EQ(user->GetCameraNoList(), (std::vector<int>{4}));
  client.SetSupportNewDeviceGroupPermission(1);
  EXPECT_EQ(user->GetCameraNoList(), (std::vector<int>{8}));

  // In the cache store (type "DataStore") the password is always deciphered.
  auto cached = std::dynamic_pointer_cast<CTBLUser>(store_->FindCachedEntity("TBL_User", row->GetID()));
  ASSERT_TRUE(cached);
  EXPECT_EQ(cached->GetPassword(), "s3cret");
}

TEST_F(UserStoreTest, AClientFindsItsUserAsAUserRow) {
  auto user = AddUser("guard7");
  ASSERT_TRUE(user);
  user->SetUsername("Night shift");
  CTBLClient client;
  client.SetAddr("10.0.0.5");
  client.SetUserID(user->GetNo());
  auto cached = Add(client);
  ASSERT_TRUE(cached);
  std::shared_ptr<CTBLUser> found = cached->GetUser();
  EXPECT_EQ(found.get(), user.get());
  EXPECT_EQ(cached->GetDisplayText(), "10.0.0.5 (guard7 (Night shift))");
  cached->SetUserID(user->GetNo() + 100);
  EXPECT_EQ(cached->GetUser(), nullptr);
  EXPECT_EQ(cached->GetDisplayText(), "10.0.0.5");
}

TEST_F(UserStoreTest, ManyThreadsReadOneCachedUser) {
  auto user = AddUser("shared", "1,2");
  ASSERT_TRUE(user);
  for (int camera = 1; camera <= 4; ++camera) Grant(user->GetNo(), kPermissionCamera, camera);
  auto system = std::make_unique<CSystemSettingManager>(store_.get());
  ASSERT_TRUE(system->SetBool(1, "SupportNewDeviceGroupPermission", true));

  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 50; ++i) {
        if (user->GetCameraNoList() != std::vector<int>{1, 2, 3, 4}) ++wrong;
        if (user->FindDevicePermissionID(1 + (i + t) % 4) == 0) ++wrong;
        if (user->GetSystemSettingManager().GetDataStore() != store_.get()) ++wrong;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
