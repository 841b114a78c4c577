#include <gtest/gtest.h>

#include "CoreStoreTest.h"
#include "entities/Camera.h"
#include "entities/CameraGroup.h"
#include "entities/CameraList.h"

namespace {

IEntityTreeNode* Node(CDBEntity& row) { return static_cast<IEntityTreeNode*>(row.GetInterface("IEntityTreeNode")); }

std::vector<int> Orders(const std::vector<std::shared_ptr<CTBLCameraList>>& links) {
  std::vector<int> orders;
  for (auto& link : links) orders.push_back(link->GetOrder());
  return orders;
}

TEST(CameraGroupRow, FreeGroupAndLinkFindNothing) {
  CTBLCameraGroup group;
  group.SetNo(3);
  group.SetParentNo(2);
  group.SetGroupName("Floor 2");
  group.SetOrder(6);
  EXPECT_EQ(group.GetParentGroup(), nullptr);
  EXPECT_TRUE(group.GetChildGroups().empty());
  EXPECT_TRUE(group.GetCameraLinks().empty());
  EXPECT_TRUE(group.GetValidCameraLinks().empty());
  EXPECT_EQ(group.GetLastCameraOrder(), 0);
  ASSERT_NE(Node(group), nullptr);
  EXPECT_EQ(Node(group)->GetNodeType(), kNodeTypeCameraGroup);
  EXPECT_EQ(Node(group)->GetNodeOrder(77), 6);
  EXPECT_EQ(Node(group)->GetNodeRank(), 100);
  EXPECT_EQ(Node(group)->GetNodeStatus(), 0);
  EXPECT_EQ(Node(group)->GetNodeName(), "Floor 2");
  CTBLCameraList link;
  link.SetCameraNo(1);
  link.SetCameraGroupNo(1);
  EXPECT_EQ(link.GetCamera(), nullptr);
  EXPECT_EQ(link.GetCameraGroup(), nullptr);
  EXPECT_EQ(link.GetInterface("IEntityTreeNode"), nullptr);
}

TEST(CameraGroupRow, FilterLooksAtTheGroupNameOnly) {
  CTBLCameraGroup group;
  group.SetGroupName("Parking LOT");
  struct Case {
    int flags;
    const char* text;
    bool match;
  } cases[] = {{0, "lot", true}, {2, "lot", true}, {6, "LOT", false}, {2, "10.0", false}, {0, "", true}};
  for (const Case& c : cases) EXPECT_EQ(Node(group)->MatchesFilter(c.flags, c.text), c.match) << c.text;
}

class CameraGroupStoreTest : public CoreStoreTest {};

TEST_F(CameraGroupStoreTest, GroupsFormATree) {
  auto top = AddGroup("Site", 0);
  ASSERT_TRUE(top);
  auto left = AddGroup("West", top->GetNo());
  auto right = AddGroup("East", top->GetNo());
  ASSERT_TRUE(left && right);
  auto leaf = AddGroup("West lobby", left->GetNo());
  auto stray = AddGroup("Stray", 9999);
  ASSERT_TRUE(leaf && stray);

  EXPECT_EQ(top->GetParentGroup(), nullptr);
  EXPECT_TRUE(Node(*top)->GetParentNodes().empty());
  EXPECT_EQ(left->GetParentGroup().get(), top.get());
  EntityMap parents = Node(*leaf)->GetParentNodes();
  ASSERT_EQ(parents.size(), 1u);
  EXPECT_EQ(parents.begin()->first, left->GetNo());
  EXPECT_EQ(parents.begin()->second.get(), left.get());
  EXPECT_EQ(stray->GetParentGroup(), nullptr);

  EntityMap children = Node(*top)->GetChildNodes();
  std::vector<int> keys;
  for (auto& [key, row] : children) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<int>{left->GetNo(), right->GetNo()}));
  EXPECT_EQ(left->GetChildGroups().size(), 1u);
  EXPECT_TRUE(right->GetChildGroups().empty());
}

TEST_F(CameraGroupStoreTest, ValidLinksInOrderAndTheLastPosition) {
  auto group = AddGroup("Lobby", 0);
  auto empty = AddGroup("Empty", 0);
  auto a = AddCamera("A");
  auto b = AddCamera("B");
  ASSERT_TRUE(group && empty && a && b);
  AddLink(group->GetNo(), a->GetNo(), 3);
  AddLink(group->GetNo(), b->GetNo() + 500, 1);  // its camera is not there
  AddLink(group->GetNo(), b->GetNo(), 2);
  AddLink(empty->GetNo(), b->GetNo() + 600, 8);

  EXPECT_EQ(group->GetCameraLinks().size(), 3u);
  EXPECT_EQ(Orders(group->GetValidCameraLinks()), (std::vector<int>{2, 3}));
  EXPECT_EQ(group->GetLastCameraOrder(), 3);
  EXPECT_TRUE(empty->GetValidCameraLinks().empty());
  EXPECT_EQ(empty->GetLastCameraOrder(), 0);

  auto link = group->GetValidCameraLinks().front();
  EXPECT_EQ(link->GetCamera().get(), b.get());
  EXPECT_EQ(link->GetCameraGroup().get(), group.get());
}

}  // namespace
