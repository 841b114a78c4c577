// The camera group row (TBL_Camera_Group): one group of the camera tree with
// its parent group (0 at the top) and its position among its siblings.
// Deleting a group deletes its user permissions, its camera links and its
// analysis-device group links; its child groups keep their parent number.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "entities/base/EntityTreeNode.h"
#include "entities/base/RowClass.h"

class CTBLCameraList;

// clang-format off
#define TBL_CAMERA_GROUP_COLUMNS(C)               \
  C(Int, "no", No, 0)                             \
  C(String, "group_name", GroupName, "")          \
  C(Int, "_order_", Order, -1)                    \
  C(Int, "parent_no", ParentNo, 0)                \
  C(Bool, "IsDeleted", IsDeleted, 0)
// clang-format on

// The columns, key and relations of the table.
class CTBLCameraGroupBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLCameraGroupBase, "TBL_Camera_Group", TBL_CAMERA_GROUP_COLUMNS, AutoIncrement, "no",
                    kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_UserPermissions", "DeviceGroupID", 0, kRelationModeDelete},
                        {"TBL_Camera_Group_Camera_List", "camera_group_no", 0, kRelationModeDelete},
                        {"TBL_VasDeviceGroupList", "DeviceGroupID", 0, kRelationModeDelete})
};

// The group as the system uses it. Besides the columns it keeps a second copy
// of its store number for its tree node; copies of the row carry it along.
// Navigation reads only the cache of the owner store (CameraGroupNavigation.cpp);
// a free row finds nothing.
class CTBLCameraGroup : public CTBLCameraGroupBase, public IEntityTreeNode {
 public:
  CTBLCameraGroup() = default;
  CTBLCameraGroup(const CTBLCameraGroup& other)
      : CTBLCameraGroupBase(other), IEntityTreeNode(other), treeStoreNo_(other.GetTreeNodeStoreNo()) {}

  // A copy of `group_name`.
  std::string GetDisplayText() const override { return GetGroupName(); }
  // Sets the entity's store number and the tree-node store number.
  void SetStoreNo(int storeNo) override;
  // The tree-node store number and the columns into a target group.
  void CopyTo(CDBEntity* target) const override;
  // The tree-node view for "IEntityTreeNode" (exact name), else null.
  void* GetInterface(const std::string& name) override;
  int GetTreeNodeStoreNo() const { return treeStoreNo_.load(std::memory_order_relaxed); }

  // The cached group of `parent_no`; null for a top-level group (0), without
  // an owner store or when it is not cached.
  std::shared_ptr<CTBLCameraGroup> GetParentGroup() const;
  // Groups whose `parent_no` is this group, by key.
  EntityMap GetChildGroups() const;
  // Links into this group, by hidden row id.
  EntityMap GetCameraLinks() const;
  // The links whose camera and group are both cached, by `_order_` ascending
  // (equal positions in no set order).
  std::vector<std::shared_ptr<CTBLCameraList>> GetValidCameraLinks() const;
  // The `_order_` of the last valid link; 0 when there is none.
  int GetLastCameraOrder() const;

  // ---- IEntityTreeNode ----
  std::string GetNodeName() override { return GetGroupName(); }
  int GetNodeType() override { return kNodeTypeCameraGroup; }
  int GetNodeOrder(int /*parentId*/) override { return GetOrder(); }
  int GetNodeRank() override { return 100; }
  // `group_name` only; the flags are not used.
  bool MatchesFilter(int flags, const std::string& filter) override;
  // The parent group under its key, or empty.
  EntityMap GetParentNodes() override;
  EntityMap GetChildNodes() override { return GetChildGroups(); }
  int GetNodeStatus() override { return kNodeStatusNormal; }

 private:
  std::atomic<int> treeStoreNo_{0};
};
