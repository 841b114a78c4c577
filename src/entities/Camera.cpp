#include "entities/Camera.h"

#include "entities/PasswordCipher.h"

CTBLCamera::CTBLCamera(const CTBLCamera& other)
    : CTBLCameraBase(other),
      IEntityTreeNode(other),
      treeStoreNo_(other.treeStoreNo_.load(std::memory_order_relaxed)),
      fault_(other.fault_),
      deviceSettings_(other.deviceSettings_) {}

void CTBLCamera::SetStoreNo(int storeNo) {
  CTBLCameraBase::SetStoreNo(storeNo);
  treeStoreNo_.store(storeNo, std::memory_order_relaxed);
}

void CTBLCamera::CopyTo(CDBEntity* target) const {
  CTBLCameraBase::CopyTo(target);
  auto* camera = dynamic_cast<CTBLCamera*>(target);
  if (camera == nullptr || camera == this) return;
  camera->treeStoreNo_.store(GetTreeNodeStoreNo(), std::memory_order_relaxed);
  camera->fault_ = fault_;
}

void* CTBLCamera::GetInterface(const std::string& name) {
  if (name == "IEntityTreeNode") return static_cast<IEntityTreeNode*>(this);
  return nullptr;
}

std::string CTBLCamera::GetPassword() const { return ClearPassword(*this, CTBLCameraBase::GetPassword()); }

void CTBLCamera::SetPassword(const std::string& clearText) {
  CTBLCameraBase::SetPassword(StoredPassword(*this, clearText));
}

GATE_REGISTER_ENTITY(CTBLCamera);
