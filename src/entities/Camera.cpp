#include "entities/Camera.h"

#include "entities/PasswordCipher.h"

CTBLCamera::CTBLCamera(const CTBLCamera& other)
    : CTBLCameraBase(other),
      IEntityTreeNode(other),
      m_treeStoreNo(other.m_treeStoreNo.load(std::memory_order_relaxed)),
      m_fault(other.m_fault),
      m_deviceSettings(other.m_deviceSettings) {}

void CTBLCamera::SetStoreNo(int storeNo) {
  CTBLCameraBase::SetStoreNo(storeNo);
  m_treeStoreNo.store(storeNo, std::memory_order_relaxed);
}

void CTBLCamera::CopyTo(CDBEntity* target) const {
  CTBLCameraBase::CopyTo(target);
  auto* camera = dynamic_cast<CTBLCamera*>(target);
  if (camera == nullptr || camera == this) return;
  camera->m_treeStoreNo.store(GetTreeNodeStoreNo(), std::memory_order_relaxed);
  camera->m_fault = m_fault;
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
