#include "entities/Camera.h"

#include "platform/Clock.h"

CTBLCamera::CTBLCamera(const CTBLCamera& other)
    : CTBLCameraBase(other),
      m_treeStoreNo(other.m_treeStoreNo.load(std::memory_order_relaxed)),
      m_faultFlag(other.m_faultFlag.load(std::memory_order_relaxed)),
      m_faultTime(other.m_faultTime.load(std::memory_order_relaxed)) {}

void CTBLCamera::SetStoreNo(int storeNo) {
  CTBLCameraBase::SetStoreNo(storeNo);
  m_treeStoreNo.store(storeNo, std::memory_order_relaxed);
}

void CTBLCamera::CopyTo(CDBEntity* target) const {
  CTBLCameraBase::CopyTo(target);
  auto* camera = dynamic_cast<CTBLCamera*>(target);
  if (camera == nullptr || camera == this) return;
  camera->m_treeStoreNo.store(GetTreeNodeStoreNo(), std::memory_order_relaxed);
  camera->m_faultFlag.store(GetStreamFailure(), std::memory_order_relaxed);
  camera->m_faultTime.store(GetFaultTime(), std::memory_order_relaxed);
}

void CTBLCamera::SetStreamFailure(int failing) {
  int flag = failing != 0 ? 1 : 0;
  if (m_faultFlag.load(std::memory_order_relaxed) == flag) return;
  if (flag) m_faultTime.store(static_cast<int64_t>(platform::SystemClock()->NowSeconds()), std::memory_order_relaxed);
  m_faultFlag.store(flag, std::memory_order_relaxed);
}

GATE_REGISTER_ENTITY(CTBLCamera);
