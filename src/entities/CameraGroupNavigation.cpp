// The camera group tree and the links of cameras into it, through the owner store.
#include <algorithm>

#include "entities/Camera.h"
#include "entities/CameraGroup.h"
#include "entities/CameraList.h"
#include "entities/TreeNodeText.h"
#include "entities/operations/OwnerDataStore.h"

void* CTBLCameraGroup::GetInterface(const std::string& name) {
  if (name == "IEntityTreeNode") return static_cast<IEntityTreeNode*>(this);
  return nullptr;
}

std::shared_ptr<CTBLCameraGroup> CTBLCameraGroup::GetParentGroup() const {
  return FindOwnerCachedRow<CTBLCameraGroup>(*this, kTableName, GetParentNo());
}

EntityMap CTBLCameraGroup::GetChildGroups() const { return GetOwnerRelatedRows(*this, kTableName, "parent_no"); }

EntityMap CTBLCameraGroup::GetCameraLinks() const {
  return GetOwnerRelatedRows(*this, CTBLCameraList::kTableName, "camera_group_no");
}

std::vector<std::shared_ptr<CTBLCameraList>> CTBLCameraGroup::GetValidCameraLinks() const {
  std::vector<std::pair<int, std::shared_ptr<CTBLCameraList>>> valid;  // (_order_, link)
  for (auto& [id, row] : GetCameraLinks()) {
    auto link = std::dynamic_pointer_cast<CTBLCameraList>(row);
    if (link && link->GetCamera() && link->GetCameraGroup()) valid.emplace_back(link->GetOrder(), link);
  }
  std::stable_sort(valid.begin(), valid.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::shared_ptr<CTBLCameraList>> links;
  links.reserve(valid.size());
  for (auto& entry : valid) links.push_back(std::move(entry.second));
  return links;
}

int CTBLCameraGroup::GetLastCameraOrder() const {
  std::vector<std::shared_ptr<CTBLCameraList>> links = GetValidCameraLinks();
  return links.empty() ? 0 : links.back()->GetOrder();
}

bool CTBLCameraGroup::MatchesFilter(int /*flags*/, const std::string& filter) {
  return LowerTextContains(GetGroupName(), filter);
}

EntityMap CTBLCameraGroup::GetParentNodes() {
  EntityMap parents;
  if (auto parent = GetParentGroup()) parents[parent->GetID()] = parent;
  return parents;
}

std::shared_ptr<CTBLCamera> CTBLCameraList::GetCamera() const {
  return FindOwnerCachedRow<CTBLCamera>(*this, CTBLCamera::kTableName, GetCameraNo());
}

std::shared_ptr<CTBLCameraGroup> CTBLCameraList::GetCameraGroup() const {
  return FindOwnerCachedRow<CTBLCameraGroup>(*this, CTBLCameraGroup::kTableName, GetCameraGroupNo());
}
