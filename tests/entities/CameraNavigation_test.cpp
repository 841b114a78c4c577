#include <gtest/gtest.h>

#include "ScopedFaultClock.h"
#include "CoreStoreTest.h"
#include "entities/Camera.h"
#include "entities/CameraGroup.h"
#include "entities/CameraList.h"
#include "entities/NRS.h"
#include "entities/operations/FailoverConnection.h"
#include "foundation/Aria.h"

namespace {

IEntityTreeNode* CameraNode(CDBEntity& row) { return static_cast<IEntityTreeNode*>(row.GetInterface("IEntityTreeNode")); }

std::vector<int> Keys(const EntityMap& rows) {
  std::vector<int> keys;
  for (auto& [key, row] : rows) keys.push_back(key);
  return keys;
}

std::string StoredColumn(const CDBEntity& row, const std::string& column) {
  for (const CColumnValue& value : row.GetColumnValues()) {
    if (value.GetName() == column) return value.GetValue();
  }
  return "<no column>";
}

TEST(CameraHelpers, PtzCapability) {
  struct Case {
    int ptzControl;
    const char* deviceType;
    bool capable;
  } cases[] = {
      {1, "Box", true},           {-1, "PTZ", false},   {0, "video server", true}, {0, "Dome", false},
      {0, "ptz", true},           {0, "PTZ Dome", false}, {0, "", false},
  };
  for (const Case& c : cases) {
    CTBLCamera camera;
    camera.SetPTZControl(c.ptzControl);
    camera.SetDeviceType(c.deviceType);
    EXPECT_EQ(camera.IsPTZCapable(), c.capable) << c.ptzControl << " " << c.deviceType;
  }
}

TEST(CameraHelpers, NodeTypeFollowsTheDeviceTypeOnly) {
  struct Case {
    const char* deviceType;
    int zavNo;
    int nodeType;
  } cases[] = {
      {"ptz", -1, 3},   {"DOME", 4, 4}, {"Video Server", 0, 5}, {"box", 4, 2}, {"nvr", 4, 6},
      {"VaNvr", 4, 7},  {"zms", 4, 8},  {"Bullet", -1, 15},     {"Bullet", 0, 15}, {"Bullet", 4, 0},
  };
  for (const Case& c : cases) {
    CTBLCamera camera;
    camera.SetDeviceType(c.deviceType);
    camera.SetZavNo(c.zavNo);
    camera.SetModelType("PTZ");  // plays no part
    ASSERT_NE(CameraNode(camera), nullptr);
    EXPECT_EQ(CameraNode(camera)->GetNodeType(), c.nodeType) << c.deviceType << " " << c.zavNo;
  }
  CTBLCamera camera;
  EXPECT_EQ(camera.GetInterface("IEntityTreenode"), nullptr);
  EXPECT_EQ(CameraNode(camera)->GetNodeRank(), 200);
}

TEST(CameraHelpers, UserFieldsByIndexAndOutOfRangeIndicesGiveEmptyText) {
  CTBLCamera camera;
  camera.SetUser1("first");
  camera.SetUser7("seventh");
  camera.SetUser20("last");
  struct Case {
    int index;
    const char* text;
  } cases[] = {{0, "first"}, {6, "seventh"}, {19, "last"}, {1, ""}, {20, ""}, {-1, ""}, {1 << 30, ""}};
  for (const Case& c : cases) EXPECT_EQ(camera.GetUserField(c.index), c.text) << c.index;
}

TEST(CameraHelpers, FilterTriesNameThenAddressThenModelAndVendor) {
  CTBLCamera camera;
  camera.SetName("North GATE");
  camera.SetAddr("10.0.0.99");
  camera.SetModelName("XNP-6400");
  camera.SetVendor("Acme");
  struct Case {
    int flags;
    const char* text;
    bool match;
  } cases[] = {
      {0, "gate", true}, {0, "GATE", false}, {0, "", true},      {0, "0.99", false}, {2, "0.99", true},
      {2, "xnp", false}, {4, "xnp", true},   {4, "acme", true},  {4, "0.99", false}, {6, "0.99", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CameraNode(camera)->MatchesFilter(c.flags, c.text), c.match) << c.flags << " " << c.text;
  }
}

TEST(CameraHelpers, FaultShowsOnlyAfterFiveSecondsOrWhenTheClockWentBack) {
  ScopedFaultClock clock(1000);
  CTBLCamera camera;
  EXPECT_EQ(CameraNode(camera)->GetNodeStatus(), kNodeStatusNormal);
  camera.SetStreamFailure(1);
  clock.Set(1004);
  camera.SetStreamFailure(1);
  EXPECT_EQ(camera.GetFaultTime(), 1000) << "a lasting fault keeps the time of its start";
  clock.Set(1005);
  EXPECT_EQ(CameraNode(camera)->GetNodeStatus(), kNodeStatusNormal);
  clock.Set(1006);
  EXPECT_EQ(CameraNode(camera)->GetNodeStatus(), kNodeStatusFaulty);
  clock.Set(999);
  EXPECT_EQ(CameraNode(camera)->GetNodeStatus(), kNodeStatusFaulty) << "clock went back";
  camera.SetStreamFailure(0);
  EXPECT_EQ(CameraNode(camera)->GetNodeStatus(), kNodeStatusNormal);
  EXPECT_EQ(camera.GetFaultTime(), 1000) << "clearing keeps the old time";

  clock.Set(2000);
  camera.SetStreamFailure(5);
  camera.SetEnable(0);
  clock.Set(2010);
  EXPECT_EQ(CameraNode(camera)->GetNodeStatus(), kNodeStatusDisabled);
}

TEST(CameraHelpers, FreeRowFindsNothingAndKeepsItsPasswordInClear) {
  CTBLCamera camera;
  camera.SetZavNo(3);
  camera.SetZavChannel(9);
  camera.SetOrder(4);
  EXPECT_EQ(camera.GetZav(), nullptr);
  EXPECT_TRUE(camera.GetFailoverConnections().empty());
  EXPECT_TRUE(camera.GetDeviceSettings().empty());
  EXPECT_TRUE(camera.GetCameraLinks().empty());
  EXPECT_TRUE(camera.GetCameraGroups().empty());
  EXPECT_EQ(camera.FindCameraLink(1), nullptr);
  EXPECT_FALSE(camera.IsInAnyGroup());
  EXPECT_EQ(camera.GetCurrentZavNo(), 3);
  EXPECT_EQ(camera.GetCurrentZavChannel(), 9);
  EXPECT_EQ(CameraNode(camera)->GetNodeOrder(1), 4);
  camera.SetPassword("s3cret");
  EXPECT_EQ(camera.GetPassword(), "s3cret");
  EXPECT_EQ(StoredColumn(camera, "password"), "s3cret");
}

class CameraStoreTest : public CoreStoreTest {
 protected:
  std::shared_ptr<CTBLFailoverConnection> AddConnection(int camera, int zav, int channel, int history = 0) {
    CTBLFailoverConnection connection;
    connection.SetDeviceID(camera);
    connection.SetZavID(zav);
    connection.SetZavChannel(channel);
    connection.SetFailoverHistoryID(history);
    return Add(connection);
  }
};

TEST_F(CameraStoreTest, CurrentServerAndChannelFollowTheFirstFailoverConnection) {
  auto camera = AddCamera("Dock", 2, 7);
  auto other = AddCamera("Yard", 2, 8);
  ASSERT_TRUE(camera && other);
  EXPECT_EQ(camera->GetCurrentZavNo(), 2);
  EXPECT_EQ(camera->GetCurrentZavChannel(), 7);

  AddConnection(other->GetNo(), 9, 1);
  auto lower = AddConnection(camera->GetNo(), 5, 12);
  auto higher = AddConnection(camera->GetNo(), 6, 13);
  ASSERT_TRUE(lower && higher);
  ASSERT_LT(lower->GetID(), higher->GetID());
  EXPECT_EQ(Keys(camera->GetFailoverConnections()), (std::vector<int>{lower->GetID(), higher->GetID()}));
  EXPECT_EQ(camera->GetCurrentZavNo(), 5);
  EXPECT_EQ(camera->GetCurrentZavChannel(), 12);
  EXPECT_EQ(camera->GetZavNo(), 2) << "the camera's own columns stay";

  // The connection with the lowest key counts, whichever was added first.
  ASSERT_TRUE(store_->DeleteEntityEx(lower.get(), false, 0));
  EXPECT_EQ(camera->GetCurrentZavNo(), 6);
  EXPECT_EQ(camera->GetCurrentZavChannel(), 13);
}

TEST_F(CameraStoreTest, RecordingServerAndItsStatusReachTheCamera) {
  ScopedFaultClock clock(5000);
  CTBLNRS serverRow;
  serverRow.SetName("Rack 1");
  auto server = Add(serverRow);
  ASSERT_TRUE(server);
  auto camera = AddCamera("Hall", server->GetNo(), 1);
  auto unassigned = AddCamera("Spare", 0, 1);
  auto lost = AddCamera("Lost", -1, 1);
  ASSERT_TRUE(camera && unassigned && lost);
  EXPECT_EQ(camera->GetZav().get(), server.get());
  EXPECT_EQ(unassigned->GetZav(), nullptr);
  EXPECT_EQ(lost->GetZav(), nullptr);

  camera->SetEnable(0);
  EXPECT_EQ(CameraNode(*camera)->GetNodeStatus(), kNodeStatusDisabled);
  server->SetFaultFlag(1);
  clock.Set(5006);
  EXPECT_EQ(CameraNode(*camera)->GetNodeStatus(), kNodeStatusFaulty) << "the server's fault shows even when disabled";
  server->SetFaultFlag(0);
  camera->SetEnable(1);
  EXPECT_EQ(CameraNode(*camera)->GetNodeStatus(), kNodeStatusNormal);
}

TEST_F(CameraStoreTest, GroupsOfTheCameraAndItsOrderInEach) {
  auto camera = AddCamera("Lobby");
  auto lone = AddCamera("Lone");
  auto seven = AddGroup("Seven");
  auto three = AddGroup("Three");
  ASSERT_TRUE(camera && lone && seven && three);
  camera->SetOrder(40);
  // Links created to the later group first, then one to a group that is not there.
  AddLink(seven->GetNo(), camera->GetNo(), 11);
  AddLink(three->GetNo(), camera->GetNo(), 22);
  AddLink(three->GetNo() + 100, camera->GetNo(), 44);

  EXPECT_TRUE(camera->IsInAnyGroup());
  EXPECT_FALSE(lone->IsInAnyGroup());
  EXPECT_EQ(camera->GetCameraLinks().size(), 3u);
  EntityMap parents = CameraNode(*camera)->GetParentNodes();
  EXPECT_EQ(Keys(parents), (std::vector<int>{std::min(three->GetNo(), seven->GetNo()),
                                             std::max(three->GetNo(), seven->GetNo())}));
  EXPECT_EQ(parents[seven->GetNo()].get(), seven.get());
  EXPECT_EQ(CameraNode(*camera)->GetNodeOrder(seven->GetNo()), 11);
  EXPECT_EQ(CameraNode(*camera)->GetNodeOrder(three->GetNo()), 22);
  EXPECT_EQ(CameraNode(*camera)->GetNodeOrder(0), 40);
  EXPECT_EQ(CameraNode(*camera)->GetNodeOrder(three->GetNo() + 7), 40);
  EXPECT_TRUE(CameraNode(*camera)->GetChildNodes().empty());
}

TEST_F(CameraStoreTest, DeviceSettingsOfTheCamera) {
  auto camera = AddCamera("Gate");
  auto other = AddCamera("Fence");
  ASSERT_TRUE(camera && other);
  auto settings = std::make_unique<CDeviceSettingManager>(store_.get());
  settings->SetOwnerID(camera->GetNo());
  ASSERT_TRUE(settings->SetString(1, "Resolution", "1920x1080"));
  auto others = std::make_unique<CDeviceSettingManager>(store_.get());
  others->SetOwnerID(other->GetNo());
  ASSERT_TRUE(others->SetString(1, "Resolution", "640x480"));
  EXPECT_EQ(camera->GetDeviceSettings().size(), 1u);
  EXPECT_EQ(other->GetDeviceSettings().size(), 1u);
}

TEST_F(CameraStoreTest, PasswordIsEncipheredWhereTheStoreAsksForIt) {
  auto clientStore = std::make_unique<ClientLikeStore>(service_.get());
  ClientLikeStore& client = *clientStore;
  struct Case {
    const char* what;
    IDataStore* store;
    int encryptedSwitch;
    bool enciphered;
  } cases[] = {
      {"cache store", store_.get(), 0, true},
      {"client store, switch off", &client, 0, false},
      {"client store, switch on", &client, 1, true},
  };
  for (Case& c : cases) {
    auto owned = std::make_unique<CTBLCamera>();
    CTBLCamera& camera = *owned;
    client.SetPasswordEncrypted(c.encryptedSwitch);
    camera.SetDataStore(c.store);
    camera.SetPassword("pa55word");
    EXPECT_EQ(camera.GetPassword(), "pa55word") << c.what;
    std::string stored = StoredColumn(camera, "password");
    if (c.enciphered) {
      EXPECT_EQ(stored, AriaEncryptString("pa55word")) << c.what;
    } else {
      EXPECT_EQ(stored, "pa55word") << c.what;
    }
  }

  // Through the database: the stored text is the enciphered one, and a
  // camera read back through the store deciphers it.
  CTBLCamera row;
  row.SetName("Cipher");
  row.SetDataStore(store_.get());
  row.SetPassword("pa55word");
  row.SetDataStore(nullptr);
  auto cached = Add(row);
  ASSERT_TRUE(cached);
  EXPECT_EQ(OnlyRowValue("TBL_Camera", "password", "WHERE `name` = 'Cipher'"), AriaEncryptString("pa55word"));
  EXPECT_EQ(cached->GetPassword(), "pa55word");
}

}  // namespace
