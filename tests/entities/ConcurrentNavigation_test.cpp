// Rows shared through the store's cache and read from many threads at once,
// as the status publisher, the synchronizers and the user interface do.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "CoreStoreTest.h"
#include "entities/NRS.h"

namespace {

class ConcurrentNavigationTest : public CoreStoreTest {};

TEST_F(ConcurrentNavigationTest, ChannelLookupsWhileCamerasAreAdded) {
  CTBLNRS serverRow;
  serverRow.SetName("Busy");
  auto server = Add(serverRow);
  ASSERT_TRUE(server);
  auto first = AddCamera("First", server->GetNo(), 1);
  ASSERT_TRUE(first);

  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t) {
    readers.emplace_back([&] {
      while (!stop.load()) {
        auto camera = server->FindCameraByChannel(1);
        if (!camera || camera->GetNo() != first->GetNo()) ++wrong;
        if (server->GetAllCameras().empty()) ++wrong;
        if (server->GetCameraChannelsText().rfind("1", 0) != 0) ++wrong;
      }
    });
  }
  for (int channel = 2; channel <= 11; ++channel) AddCamera("More", server->GetNo(), channel);
  stop.store(true);
  for (auto& reader : readers) reader.join();
  EXPECT_EQ(wrong.load(), 0);
  for (int channel = 1; channel <= 11; ++channel) EXPECT_TRUE(server->FindCameraByChannel(channel)) << channel;
}

// A store without a database service keeps its rows in memory only, so
// links the database would refuse (two of one camera into one group) can
// stand in its cache.
TEST(CameraGroupsInMemory, ALaterLinkToTheSameGroupIsSkipped) {
  // Heap objects only: see StoreTest::Add.
  auto storeOwner = std::make_unique<CDataStore>(nullptr);
  CDataStore& store = *storeOwner;
  auto camera = std::make_unique<CTBLCamera>();
  camera->SetNo(5);
  auto group = std::make_unique<CTBLCameraGroup>();
  group->SetNo(9);
  ASSERT_TRUE(store.AddEntity(camera.get(), 0));
  ASSERT_TRUE(store.AddEntity(group.get(), 0));
  for (int order : {4, 8}) {
    auto link = std::make_unique<CTBLCameraList>();
    link->SetCameraGroupNo(9);
    link->SetCameraNo(5);
    link->SetOrder(order);
    ASSERT_TRUE(store.AddEntity(link.get(), 0));
  }
  auto cached = std::dynamic_pointer_cast<CTBLCamera>(store.FindCachedEntity("TBL_Camera", 5));
  ASSERT_TRUE(cached);
  EXPECT_EQ(cached->GetCameraLinks().size(), 2u);
  EXPECT_EQ(cached->GetCameraGroups().size(), 1u);
  EXPECT_EQ(cached->FindCameraLink(9)->GetOrder(), 4) << "the link created first";
  auto node = static_cast<IEntityTreeNode*>(cached->GetInterface("IEntityTreeNode"));
  EXPECT_EQ(node->GetNodeOrder(9), 4);
}

}  // namespace
