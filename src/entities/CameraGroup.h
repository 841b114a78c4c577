// The camera group row (TBL_Camera_Group): one group of the camera tree with
// its parent group (0 at the top) and its position among its siblings.
// Deleting a group deletes its user permissions, its camera links and its
// analysis-device group links; its child groups keep their parent number.
#pragma once

#include <atomic>
#include <string>

#include "entities/base/RowClass.h"

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
// Still to come with the group's navigation: the tree-node view
// (GetInterface("IEntityTreeNode")), the parent group, the child groups and
// the camera links.
class CTBLCameraGroup : public CTBLCameraGroupBase {
 public:
  CTBLCameraGroup() = default;
  CTBLCameraGroup(const CTBLCameraGroup& other)
      : CTBLCameraGroupBase(other), m_treeStoreNo(other.GetTreeNodeStoreNo()) {}

  // A copy of `group_name`.
  std::string GetDisplayText() const override { return GetGroupName(); }
  // Sets the entity's store number and the tree-node store number.
  void SetStoreNo(int storeNo) override;
  // The tree-node store number and the columns into a target group.
  void CopyTo(CDBEntity* target) const override;
  int GetTreeNodeStoreNo() const { return m_treeStoreNo.load(std::memory_order_relaxed); }

 private:
  std::atomic<int> m_treeStoreNo{0};
};
