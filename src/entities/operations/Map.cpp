#include "entities/operations/Map.h"

#include "entities/TreeNodeText.h"
#include "entities/operations/Marker.h"
#include "entities/operations/OwnerDataStore.h"
#include "entities/operations/Resource.h"

void* CTBLMap::GetInterface(const std::string& name) {
  if (name == "IEntityTreeNode") return static_cast<IEntityTreeNode*>(this);
  return nullptr;
}

std::shared_ptr<CTBLResource> CTBLMap::GetResource() const {
  return FindOwnerCachedRow<CTBLResource>(*this, CTBLResource::kTableName, GetResourceID());
}

EntityMap CTBLMap::GetMarkers() const { return GetOwnerRelatedRows(*this, CTBLMarker::kTableName, "MapID"); }

int CTBLMap::GetNodeType() {
  if (GetKind() != 0) return kNodeTypeMapOfOtherKind;
  auto resource = GetResource();
  if (resource && resource->FileExists("")) return kNodeTypeMap;
  return kNodeTypeMapWithoutResource;
}

bool CTBLMap::MatchesFilter(int /*flags*/, const std::string& filter) {
  return LowerTextContains(GetName(), filter);
}

EntityMap CTBLMap::GetChildNodes() {
  EntityMap children;
  for (auto& [id, row] : GetMarkers()) {
    auto marker = std::dynamic_pointer_cast<CTBLMarker>(row);
    if (marker && marker->GetLinkedEntity()) children[id] = marker;
  }
  return children;
}

GATE_REGISTER_ENTITY(CTBLMap);
