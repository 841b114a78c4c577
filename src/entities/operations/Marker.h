// The marker row (TBL_Markers): a marker placed on a map (`MapID`) standing
// for a camera, a link to another map or a facility group. A marker without a
// name of its own is named after what it links to; its node type and status
// come from its camera first. Deleting a marker deletes its associations.
#pragma once

#include <memory>
#include <string>

#include "entities/base/EntityTreeNode.h"
#include "entities/base/RowClass.h"

class CTBLCamera;
class CTBLMap;

// clang-format off
#define TBL_MARKERS_COLUMNS(C)                                    \
  C(Int, "MarkerID", MarkerID, 0)                                 \
  C(Int, "MapID", MapID, 0)                                       \
  C(Int, "CameraID", CameraID, 0)                                 \
  C(Int, "TargetMapID", TargetMapID, 0)                           \
  C(Int, "SiteID", SiteID, 0)                                     \
  C(Int, "ResourceID", ResourceID, 0)                             \
  C(Double, "CoordinateX", CoordinateX, 0)                        \
  C(Double, "CoordinateY", CoordinateY, 0)                        \
  C(Double, "CoordinateZ", CoordinateZ, 0)                        \
  C(Int, "CoordinateType", CoordinateType, 0)                     \
  C(Int, "FacilityGroupID", FacilityGroupID, 0)                   \
  C(Double, "RotateDegree", RotateDegree, 0)                      \
  C(Int, "ObserveDistance", ObserveDistance, 0)                   \
  C(Double, "ObserveDegree", ObserveDegree, 0)                    \
  C(Int, "AlarmResourceID", AlarmResourceID, 0)                   \
  C(Bool, "ObservationAreaVisibled", ObservationAreaVisibled, 0)  \
  C(Bool, "UseAutomaticObservation", UseAutomaticObservation, 0)  \
  C(Double, "ObserveInitialX", ObserveInitialX, 0)                \
  C(Double, "ObserveInitialY", ObserveInitialY, 0)                \
  C(Double, "ObserveInitialZ", ObserveInitialZ, 0)                \
  C(String, "Name", Name, "")                                     \
  C(String, "Description", Description, "")                       \
  C(UInt32, "ObserveColor", ObserveColor, 0)
// clang-format on

class CTBLMarkerBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLMarkerBase, "TBL_Markers", TBL_MARKERS_COLUMNS, AutoIncrement, "MarkerID", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_Associations", "MarkerID", 0, kRelationModeDelete})
};

// Look-ups read the cache of the owner store (null for a free row, a zero
// link or a row the store does not have) under the store's locks.
class CTBLMarker : public CTBLMarkerBase, public IEntityTreeNode {
 public:
  // The node name.
  std::string GetDisplayText() const override;
  // The tree-node view for "IEntityTreeNode" (exact name), else null.
  void* GetInterface(const std::string& name) override;

  std::shared_ptr<CTBLMap> GetMap() const;
  std::shared_ptr<CTBLMap> GetTargetMap() const;
  std::shared_ptr<CTBLCamera> GetCamera() const;
  // The target map when `TargetMapID` is 1 or more, else the camera.
  std::shared_ptr<CDBEntity> GetLinkedEntity() const;

  // ---- IEntityTreeNode ----
  // `Name`, or, when empty, the node name of the linked row; else "".
  std::string GetNodeName() override;
  // With a `CameraID` above 0 the camera's node type (0 when it is missing);
  // else with a `TargetMapID` above 0 the target map's (0 when missing); else
  // 17 for a facility group; else 0.
  int GetNodeType() override;
  int GetNodeOrder(int /*parentId*/) override { return GetMarkerID(); }
  int GetNodeRank() override { return 200; }
  // The node name in lower case contains `filter` as given; flags are ignored.
  bool MatchesFilter(int flags, const std::string& filter) override;
  // The marker's map under its key; empty when it is missing.
  EntityMap GetParentNodes() override;
  EntityMap GetChildNodes() override { return {}; }
  // The camera's node status when the camera is found, else 0.
  int GetNodeStatus() override;

 private:
  std::string NodeName() const;
};
