#include "entities/NRS.h"

#include "foundation/HostAddress.h"
#include "foundation/StringUtil.h"

CTBLNRS::CTBLNRS(const CTBLNRS& other)
    : CTBLNRSBase(other),
      IEntityTreeNode(other),
      m_treeStoreNo(other.GetTreeNodeStoreNo()),
      m_fault(other.m_fault),
      m_serverSettings(other.m_serverSettings) {
  CScopedLock hold(other.m_lock);
  m_loginId = other.m_loginId;
  m_loginPassword = other.m_loginPassword;
  m_substituteAddress = other.m_substituteAddress;
}

std::string CTBLNRS::GetDisplayText() const {
  return StrFormat("%s (%s)", GetName().c_str(), GetAddr().c_str());
}

int CTBLNRS::GetStoreNo() const {
  int treeStoreNo = GetTreeNodeStoreNo();
  return treeStoreNo != 0 ? treeStoreNo : CTBLNRSBase::GetStoreNo();
}

void CTBLNRS::SetStoreNo(int storeNo) {
  CTBLNRSBase::SetStoreNo(storeNo);
  m_treeStoreNo.store(storeNo, std::memory_order_relaxed);
}

void CTBLNRS::CopyTo(CDBEntity* target) const {
  auto* server = dynamic_cast<CTBLNRS*>(target);
  if (server != nullptr && server != this) server->m_treeStoreNo.store(GetTreeNodeStoreNo());
  CTBLNRSBase::CopyTo(target);
  if (server == nullptr || server == this) return;
  std::string loginId = GetLoginID();
  std::string loginPassword = GetLoginPassword();
  std::string substitute = GetSubstituteAddress();
  {
    CScopedLock hold(server->m_lock);
    server->m_loginId = loginId;
    server->m_loginPassword = loginPassword;
    server->m_substituteAddress = substitute;
  }
  server->m_fault = m_fault;
}

void* CTBLNRS::GetInterface(const std::string& name) {
  if (name == "IEntityTreeNode") return static_cast<IEntityTreeNode*>(this);
  return nullptr;
}

std::string CTBLNRS::GetConnectAddress() const {
  std::string addr = GetAddr();
  if (IsLocalHostAddress(addr.c_str())) {
    std::string substitute = GetSubstituteAddress();
    if (!substitute.empty()) return substitute;
  }
  return addr;
}

std::string CTBLNRS::GetLoginID() const {
  CScopedLock hold(m_lock);
  return m_loginId;
}

std::string CTBLNRS::GetLoginPassword() const {
  CScopedLock hold(m_lock);
  return m_loginPassword;
}

std::string CTBLNRS::GetSubstituteAddress() const {
  CScopedLock hold(m_lock);
  return m_substituteAddress;
}

void CTBLNRS::SetLoginID(const std::string& id) {
  CScopedLock hold(m_lock);
  m_loginId = id;
}

void CTBLNRS::SetLoginPassword(const std::string& password) {
  CScopedLock hold(m_lock);
  m_loginPassword = password;
}

void CTBLNRS::SetSubstituteAddress(const std::string& address) {
  CScopedLock hold(m_lock);
  m_substituteAddress = address;
}

GATE_REGISTER_ENTITY(CTBLNRS);
