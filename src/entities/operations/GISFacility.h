// The facility group row (TBL_Facility_Group): a named group of facilities,
// a leaf of the installation tree. Deleting a group leaves its cameras
// (`gis_facility_group`) and markers (`FacilityGroupID`) without one.
#pragma once

#include <string>

#include "entities/base/EntityTreeNode.h"
#include "entities/base/RowClass.h"

// clang-format off
#define TBL_FACILITY_GROUP_COLUMNS(C)                 \
  C(Int, "no", No, 0)                                 \
  C(String, "name", Name, "")                         \
  C(Int, "icon", Icon, 0)                             \
  C(Int, "ResourceID", ResourceID, 0)                 \
  C(Int, "MarkerResourceID", MarkerResourceID, 0)
// clang-format on

class CTBLGISFacilityBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLGISFacilityBase, "TBL_Facility_Group", TBL_FACILITY_GROUP_COLUMNS, AutoIncrement, "no",
                    kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_Camera", "gis_facility_group", 0, kRelationModeSetZero},
                        {"TBL_Markers", "FacilityGroupID", 0, kRelationModeSetZero})
};

class CTBLGISFacility : public CTBLGISFacilityBase, public IEntityTreeNode {
 public:
  // The tree-node view for "IEntityTreeNode" (exact name), else null.
  void* GetInterface(const std::string& name) override;

  // ---- IEntityTreeNode: a leaf without parents ----
  std::string GetNodeName() override { return GetName(); }
  int GetNodeType() override { return kNodeTypeFacilityGroup; }
  int GetNodeOrder(int /*parentId*/) override { return GetNo(); }
  int GetNodeRank() override { return 100; }
  // The name in lower case contains `filter` as given; flags are ignored.
  bool MatchesFilter(int flags, const std::string& filter) override;
  EntityMap GetParentNodes() override { return {}; }
  EntityMap GetChildNodes() override { return {}; }
  int GetNodeStatus() override { return kNodeStatusNormal; }
};
