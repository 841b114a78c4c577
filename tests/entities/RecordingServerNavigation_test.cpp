#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ScopedFaultClock.h"
#include "CoreStoreTest.h"
#include "entities/Camera.h"
#include "entities/NRS.h"
#include "entities/ZavStatus.h"
#include "entities/operations/Failover.h"
#include "entities/operations/FailoverConnection.h"
#include "entities/operations/FailoverHistory.h"

namespace {

IEntityTreeNode* ServerNode(CDBEntity& row) { return static_cast<IEntityTreeNode*>(row.GetInterface("IEntityTreeNode")); }

TEST(RecordingServerRow, FreeRowFindsNothing) {
  CTBLNRS server;
  server.SetNo(4);
  EXPECT_TRUE(server.GetCameras().empty());
  server.RebuildFailoverCameras();  // a free row has nothing to rebuild
  EXPECT_TRUE(server.GetAllCameras().empty());
  EXPECT_TRUE(server.GetServerSettings().empty());
  EXPECT_TRUE(server.GetStatusRows().empty());
  EXPECT_EQ(server.GetStatus(), nullptr);
  EXPECT_EQ(server.FindCameraByChannel(1), nullptr);
  EXPECT_EQ(server.GetCameraChannelsText(), "");
  ASSERT_NE(ServerNode(server), nullptr);
  EXPECT_EQ(ServerNode(server)->GetNodeType(), kNodeTypeRecordingServer);
  EXPECT_EQ(ServerNode(server)->GetNodeOrder(99), 4);
  EXPECT_EQ(ServerNode(server)->GetNodeRank(), 100);
  EXPECT_TRUE(ServerNode(server)->GetParentNodes().empty());
}

TEST(RecordingServerRow, ConnectAddressTakesTheSubstituteOnlyForTheLocalMachine) {
  struct Case {
    const char* addr;
    const char* substitute;
    const char* connect;
  } cases[] = {
      {"LocalHost", "10.1.2.3", "10.1.2.3"}, {"127.0.0.1", "10.1.2.3", "10.1.2.3"},
      {"127.0.0.1", "", "127.0.0.1"},        {"10.9.9.9", "10.1.2.3", "10.9.9.9"},
      {"localhost.lan", "10.1.2.3", "localhost.lan"},
  };
  for (const Case& c : cases) {
    CTBLNRS server;
    server.SetAddr(c.addr);
    server.SetSubstituteAddress(c.substitute);
    server.SetUseExternalAddress(1);
    server.SetExternalAddress("203.0.113.5");
    server.SetWebPort(8080);
    server.SetExternalPort(9090);
    EXPECT_EQ(server.GetConnectAddress(), c.connect) << c.addr;
    EXPECT_EQ(server.GetConnectWebPort(), 8080);
    EXPECT_EQ(server.GetConnectSecureWebPort(), 443);
    EXPECT_EQ(server.GetExternalAddress(), "203.0.113.5");
  }
}

TEST(RecordingServerRow, CopiesCarryLoginSubstituteAndFault) {
  ScopedFaultClock clock(700);
  CTBLNRS source;
  source.SetName("Rack 3");
  source.SetAddr("localhost");
  source.SetLoginID("admin");
  source.SetLoginPassword("pw");
  source.SetSubstituteAddress("10.0.0.3");
  source.SetStoreNo(6);
  source.SetFaultFlag(1);
  CTBLNRS target;
  source.CopyTo(&target);
  EXPECT_EQ(target.GetName(), "Rack 3");
  EXPECT_EQ(target.GetLoginID(), "admin");
  EXPECT_EQ(target.GetLoginPassword(), "pw");
  EXPECT_EQ(target.GetConnectAddress(), "10.0.0.3");
  EXPECT_EQ(target.GetFaultFlag(), 1);
  EXPECT_EQ(target.GetFaultTime(), 700);
  EXPECT_EQ(target.GetStoreNo(), 6) << "the tree-node store number";
  std::unique_ptr<CDBEntity> clone(source.Clone());
  auto* cloned = dynamic_cast<CTBLNRS*>(clone.get());
  ASSERT_NE(cloned, nullptr);
  EXPECT_EQ(cloned->GetLoginPassword(), "pw");
  EXPECT_EQ(cloned->GetSubstituteAddress(), "10.0.0.3");
  EXPECT_EQ(cloned->GetFaultTime(), 700);
  EXPECT_EQ(cloned->GetDisplayText(), "Rack 3 (localhost)");
}

TEST(RecordingServerRow, FaultAndFilter) {
  ScopedFaultClock clock(100);
  CTBLNRS server;
  server.SetName("East Wing");
  server.SetAddr("10.2.0.1");
  server.SetFaultFlag(1);
  struct Case {
    int64_t now;
    int status;
  } cases[] = {{103, 0}, {105, 0}, {106, 1}, {99, 1}};
  for (const Case& c : cases) {
    clock.Set(c.now);
    EXPECT_EQ(ServerNode(server)->GetNodeStatus(), c.status) << c.now;
  }
  server.SetFaultFlag(0);
  EXPECT_EQ(ServerNode(server)->GetNodeStatus(), 0);
  EXPECT_TRUE(ServerNode(server)->MatchesFilter(0, ""));
  EXPECT_TRUE(ServerNode(server)->MatchesFilter(0, "east"));
  EXPECT_FALSE(ServerNode(server)->MatchesFilter(0, "East"));
  EXPECT_FALSE(ServerNode(server)->MatchesFilter(0, "10.2"));
  EXPECT_TRUE(ServerNode(server)->MatchesFilter(2, "10.2"));
}

class RecordingServerStoreTest : public CoreStoreTest {
 protected:
  void SetUp() override {
    CoreStoreTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    CTBLNRS here, there;
    here.SetName("Here");
    there.SetName("There");
    here_ = Add(here);
    there_ = Add(there);
    ASSERT_TRUE(here_ && there_);
  }
  // A failover from `there_` to `here_` in force (history and failover row),
  // or ended (history only, `inForce` false); returns the history key.
  int AddFailover(bool inForce) {
    CTBLFailoverHistory history;
    history.SetZavID(there_->GetNo());
    history.SetTargetZavID(here_->GetNo());
    auto cached = Add(history);
    if (!cached) return 0;
    if (inForce) {
      CTBLFailover failover;
      failover.SetZavID(there_->GetNo());
      failover.SetTargetZavID(here_->GetNo());
      failover.SetFailoverHistoryID(cached->GetID());
      Add(failover);
    }
    return cached->GetID();
  }
  void AddConnection(int history, int camera, int channel) {
    CTBLFailoverConnection connection;
    connection.SetFailoverHistoryID(history);
    connection.SetDeviceID(camera);
    connection.SetZavID(here_->GetNo());
    connection.SetZavChannel(channel);
    Add(connection);
  }
  static std::shared_ptr<CTBLCamera> CameraOf(const EntityMap& cameras, int no) {
    auto found = cameras.find(no);
    return found == cameras.end() ? nullptr : std::dynamic_pointer_cast<CTBLCamera>(found->second);
  }

  std::shared_ptr<CTBLNRS> here_, there_;
};

TEST_F(RecordingServerStoreTest, FailoverCamerasJoinAsCopiesOnTheConnectionsChannel) {
  auto own = AddCamera("Own", here_->GetNo(), 1);
  auto moved = AddCamera("Moved", there_->GetNo(), 9);
  ASSERT_TRUE(own && moved);
  int history = AddFailover(true);
  AddConnection(history, moved->GetNo(), 5);
  AddConnection(history, moved->GetNo() + 1000, 6);  // no such camera: skipped

  EntityMap all = here_->GetAllCameras();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(CameraOf(all, own->GetNo()).get(), own.get()) << "own cameras are the cached rows";
  auto copy = CameraOf(all, moved->GetNo());
  ASSERT_TRUE(copy);
  EXPECT_NE(copy.get(), moved.get()) << "a private copy";
  EXPECT_EQ(copy->GetZavNo(), here_->GetNo());
  EXPECT_EQ(copy->GetZavChannel(), 5);
  EXPECT_EQ(copy->GetName(), "Moved");
  EXPECT_EQ(copy->GetDataStore(), store_.get());
  EXPECT_EQ(moved->GetZavNo(), there_->GetNo()) << "the cached camera is unchanged";
  EXPECT_EQ(moved->GetZavChannel(), 9);
  EXPECT_EQ(here_->GetCameraChannelsText(), own->GetNo() < moved->GetNo() ? "1,5" : "5,1");
  EXPECT_EQ(ServerNode(*here_)->GetChildNodes().size(), 1u) << "the tree shows own cameras only";
  EXPECT_EQ(there_->GetAllCameras().size(), 1u) << "the failed server still lists its camera";
  EXPECT_EQ(moved->GetCurrentZavNo(), here_->GetNo());
  EXPECT_EQ(moved->GetCurrentZavChannel(), 5);
  EXPECT_EQ(here_->FindCameraByChannel(5).get(), CameraOf(here_->GetAllCameras(), moved->GetNo()).get());
}

TEST_F(RecordingServerStoreTest, AnEndedFailoverAddsNoCamera) {
  auto own = AddCamera("Own", here_->GetNo(), 1);
  auto moved = AddCamera("Moved", there_->GetNo(), 9);
  ASSERT_TRUE(own && moved);
  int ended = AddFailover(false);
  AddConnection(ended, moved->GetNo(), 5);
  EXPECT_EQ(here_->GetAllCameras().size(), 1u) << "history without a failover row";

  auto other = AddCamera("Other", there_->GetNo(), 10);
  AddConnection(ended + 1000, other->GetNo(), 6);
  EXPECT_EQ(here_->GetAllCameras().size(), 1u) << "the first connection with a camera decides";
  EXPECT_EQ(here_->FindCameraByChannel(5), nullptr);
}

TEST_F(RecordingServerStoreTest, ASoftDeletedHistoryAddsNoFailoverCamera) {
  auto moved = AddCamera("Moved", there_->GetNo(), 9);
  ASSERT_TRUE(moved);
  int history = AddFailover(true);
  AddConnection(history, moved->GetNo(), 5);
  AddConnection(history, 0, 6);  // no camera: a DeviceID of 0 names none
  ASSERT_EQ(here_->GetAllCameras().size(), 1u);

  // The history alone is marked deleted in the database (its connections
  // stay); a store reading the tables again leaves it out. A row update never
  // writes the soft-delete column, so the mark is set in SQL.
  std::string error;
  ASSERT_TRUE(RunSqlScript(db_, name_,
                           "UPDATE TBL_FailoverHistories SET IsDeleted = 1 WHERE FailoverHistoryID = " +
                               std::to_string(history),
                           &error))
      << error;
  auto fresh = std::make_unique<CDataStore>(service_.get());
  auto server = std::dynamic_pointer_cast<CTBLNRS>(fresh->FindCachedEntity("TBL_Zav", here_->GetNo()));
  ASSERT_TRUE(server);
  EntityMap connections = server->GetFailoverConnections();
  ASSERT_EQ(connections.size(), 2u) << "the connections are still there";
  for (auto& [id, connectionRow] : connections) {
    auto connection = std::dynamic_pointer_cast<CTBLFailoverConnection>(connectionRow);
    ASSERT_TRUE(connection);
    EXPECT_EQ(connection->GetFailoverHistory(), nullptr);
    if (connection->GetDeviceID() == 0) {
      EXPECT_EQ(connection->GetCamera(), nullptr);
    }
  }
  EXPECT_TRUE(server->GetAllCameras().empty()) << "no failover camera without its history";
}

TEST_F(RecordingServerStoreTest, ChannelMapIsRebuiltOnlyAfterATableChanged) {
  auto seven = AddCamera("Seven", here_->GetNo(), 3);
  auto twelve = AddCamera("Twelve", here_->GetNo(), 3);
  auto moved = AddCamera("Moved", there_->GetNo(), 9);
  ASSERT_TRUE(seven && twelve && moved);
  ASSERT_LT(seven->GetNo(), twelve->GetNo());
  int history = AddFailover(true);
  AddConnection(history, moved->GetNo(), 4);

  EXPECT_EQ(here_->FindCameraByChannel(3).get(), twelve.get()) << "the higher camera number wins";
  EXPECT_EQ(here_->GetCameraChannelsText(), "3,3,4");
  auto copy = here_->FindCameraByChannel(4);
  ASSERT_TRUE(copy);
  EXPECT_EQ(here_->FindCameraByChannel(4).get(), copy.get()) << "no change: the same map";
  here_->RebuildFailoverCameras();
  EXPECT_EQ(CameraOf(here_->GetAllCameras(), moved->GetNo()).get(), copy.get()) << "no change: no new copies";
  EXPECT_EQ(here_->FindCameraByChannel(8), nullptr);

  // A camera added through the store moves the camera table's version.
  auto added = AddCamera("Added", here_->GetNo(), 8);
  ASSERT_TRUE(added);
  EXPECT_EQ(here_->FindCameraByChannel(8).get(), added.get());
  auto rebuilt = here_->FindCameraByChannel(4);
  ASSERT_TRUE(rebuilt);
  EXPECT_NE(rebuilt.get(), copy.get()) << "the failover copies were made again";
  EXPECT_EQ(rebuilt->GetZavChannel(), 4);
}

// The store copies an updated server into its cached row under the store's
// locks, while a channel look-up holds the row's map lock and then takes the
// store's: the copy must not need the map lock, or the two wait on each other
// (ThreadSanitizer reports the inverted order even when they do not meet).
TEST_F(RecordingServerStoreTest, UpdatingAServerWhileItsChannelsAreReadEnds) {
  auto camera = AddCamera("Dock", here_->GetNo(), 1);
  ASSERT_TRUE(camera);
  here_->SetLoginID("admin");
  std::atomic<bool> stop{false};
  std::atomic<int> missed{0};
  std::thread reader([&] {
    while (!stop.load()) {
      if (here_->FindCameraByChannel(1).get() != camera.get()) ++missed;
    }
  });
  for (int i = 0; i < 50; ++i) {
    std::unique_ptr<CTBLNRS> edit(static_cast<CTBLNRS*>(here_->Clone()));
    edit->SetName("Here " + std::to_string(i));
    ASSERT_TRUE(store_->UpdateEntity(edit.get(), 0));
  }
  stop = true;
  reader.join();
  EXPECT_EQ(here_->GetName(), "Here 49");
  EXPECT_EQ(here_->GetLoginID(), "admin") << "the update carries the login along";
  EXPECT_EQ(missed.load(), 0);
}

TEST_F(RecordingServerStoreTest, StatusRowAndServerSettings) {
  CLTBLZavStatus status;
  status.SetZavID(here_->GetNo());
  Add(status);
  ASSERT_TRUE(here_->GetStatus());
  EXPECT_EQ(here_->GetStatus()->GetZavID(), here_->GetNo());
  EXPECT_EQ(there_->GetStatus(), nullptr);

  auto settings = std::make_unique<CServerSettingManager>(store_.get());
  settings->SetOwnerID(here_->GetNo());
  ASSERT_TRUE(settings->SetString(2, "RecordPath", "/data"));
  EXPECT_EQ(here_->GetServerSettings().size(), 1u);
  EXPECT_TRUE(there_->GetServerSettings().empty());
}

}  // namespace
