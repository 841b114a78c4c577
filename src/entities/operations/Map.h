// The map row (TBL_Maps): one map of the installation, drawn from a file of
// the file store (its resource) or of another kind. As a tree node a map's
// children are the markers on it that lead somewhere. Deleting a map deletes
// the markers on it and those linking to it, its favourites, zones and the
// permissions that name it.
#pragma once

#include <memory>
#include <string>

#include "entities/base/EntityTreeNode.h"
#include "entities/base/RowClass.h"

class CTBLResource;

// clang-format off
#define TBL_MAPS_COLUMNS(C)                           \
  C(Int, "MapID", MapID, 0)                           \
  C(Int, "ResourceID", ResourceID, 0)                 \
  C(String, "Name", Name, "")                         \
  C(String, "Description", Description, "")           \
  C(Int, "Kind", Kind, 0)                             \
  C(Double, "CoordinateX", CoordinateX, 0)            \
  C(Double, "CoordinateY", CoordinateY, 0)            \
  C(Double, "CoordinateZ", CoordinateZ, 0)            \
  C(Int, "CoordinateType", CoordinateType, 0)         \
  C(Int, "Zoom", Zoom, 0)                             \
  C(Bool, "IsDeleted", IsDeleted, 0)                  \
  C(String, "WebMapUrl", WebMapUrl, "")               \
  C(String, "WebMapKey1", WebMapKey1, "")             \
  C(String, "WebMapKey2", WebMapKey2, "")
// clang-format on

class CTBLMapBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLMapBase, "TBL_Maps", TBL_MAPS_COLUMNS, AutoIncrement, "MapID", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_Markers", "MapID", 0, kRelationModeDelete},
                        {"TBL_Markers", "TargetMapID", 0, kRelationModeDelete},
                        {"TBL_GIS_Favorite", "MapID", 0, kRelationModeDelete},
                        {"TBL_Zones", "MapID", 0, kRelationModeDelete},
                        {"TBL_UserPermissions", "MapID", 0, kRelationModeDelete})
};

// Look-ups read the cache of the owner store (null or empty for a free row,
// a zero link or a row the store does not have) under the store's locks.
class CTBLMap : public CTBLMapBase, public IEntityTreeNode {
 public:
  std::string GetDisplayText() const override { return GetName(); }
  // The tree-node view for "IEntityTreeNode" (exact name), else null.
  void* GetInterface(const std::string& name) override;

  // The cached resource of `ResourceID`.
  std::shared_ptr<CTBLResource> GetResource() const;
  // The cached TBL_Markers rows whose `MapID` is this map, by key.
  EntityMap GetMarkers() const;

  // ---- IEntityTreeNode ----
  std::string GetNodeName() override { return GetName(); }
  // 14 for a `Kind` other than 0; else 12 while the resource's file exists
  // under the program folder, 13 otherwise. Asks the file system each call.
  int GetNodeType() override;
  int GetNodeOrder(int /*parentId*/) override { return GetMapID(); }
  int GetNodeRank() override { return 100; }
  // The name in lower case contains `filter` as given; flags are ignored.
  bool MatchesFilter(int flags, const std::string& filter) override;
  EntityMap GetParentNodes() override { return {}; }
  // The markers on the map whose camera or target map the store has, by key.
  EntityMap GetChildNodes() override;
  int GetNodeStatus() override { return kNodeStatusNormal; }
};
