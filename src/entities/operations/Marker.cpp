#include "entities/operations/Marker.h"

#include "entities/Camera.h"
#include "entities/TreeNodeText.h"
#include "entities/operations/Map.h"
#include "entities/operations/OwnerDataStore.h"

void* CTBLMarker::GetInterface(const std::string& name) {
  if (name == "IEntityTreeNode") return static_cast<IEntityTreeNode*>(this);
  return nullptr;
}

std::shared_ptr<CTBLMap> CTBLMarker::GetMap() const {
  return FindOwnerCachedRow<CTBLMap>(*this, CTBLMap::kTableName, GetMapID());
}

std::shared_ptr<CTBLMap> CTBLMarker::GetTargetMap() const {
  return FindOwnerCachedRow<CTBLMap>(*this, CTBLMap::kTableName, GetTargetMapID());
}

std::shared_ptr<CTBLCamera> CTBLMarker::GetCamera() const {
  return FindOwnerCachedRow<CTBLCamera>(*this, CTBLCamera::kTableName, GetCameraID());
}

std::shared_ptr<CDBEntity> CTBLMarker::GetLinkedEntity() const {
  if (GetTargetMapID() >= 1) return GetTargetMap();
  return GetCamera();
}

std::string CTBLMarker::NodeName() const {
  std::string name = GetName();
  if (!name.empty()) return name;
  std::shared_ptr<CDBEntity> linked = GetLinkedEntity();
  if (!linked) return std::string();
  auto* node = static_cast<IEntityTreeNode*>(linked->GetInterface("IEntityTreeNode"));
  return node ? node->GetNodeName() : std::string();
}

std::string CTBLMarker::GetDisplayText() const { return NodeName(); }

std::string CTBLMarker::GetNodeName() { return NodeName(); }

int CTBLMarker::GetNodeType() {
  if (GetCameraID() > 0) {
    auto camera = GetCamera();
    return camera ? camera->GetNodeType() : kNodeTypeOther;
  }
  if (GetTargetMapID() > 0) {
    auto map = GetTargetMap();
    return map ? map->GetNodeType() : kNodeTypeOther;
  }
  if (GetFacilityGroupID() > 0) return kNodeTypeFacilityMarker;
  return kNodeTypeOther;
}

bool CTBLMarker::MatchesFilter(int /*flags*/, const std::string& filter) {
  return LowerTextContains(NodeName(), filter);
}

EntityMap CTBLMarker::GetParentNodes() {
  EntityMap parents;
  if (auto map = GetMap()) parents[map->GetID()] = map;
  return parents;
}

int CTBLMarker::GetNodeStatus() {
  auto camera = GetCamera();
  return camera ? camera->GetNodeStatus() : kNodeStatusNormal;
}

GATE_REGISTER_ENTITY(CTBLMarker);
