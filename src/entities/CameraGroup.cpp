#include "entities/CameraGroup.h"

void CTBLCameraGroup::SetStoreNo(int storeNo) {
  CTBLCameraGroupBase::SetStoreNo(storeNo);
  treeStoreNo_.store(storeNo, std::memory_order_relaxed);
}

void CTBLCameraGroup::CopyTo(CDBEntity* target) const {
  auto* group = dynamic_cast<CTBLCameraGroup*>(target);
  if (group != nullptr && group != this) {
    group->treeStoreNo_.store(GetTreeNodeStoreNo(), std::memory_order_relaxed);
  }
  CTBLCameraGroupBase::CopyTo(target);
}

GATE_REGISTER_ENTITY(CTBLCameraGroup);
