#include "entities/NRS.h"

#include "foundation/HostAddress.h"
#include "foundation/StringUtil.h"

CTBLNRS::CTBLNRS(const CTBLNRS& other)
    : CTBLNRSBase(other),
      IEntityTreeNode(other),
      m_treeStoreNo(other.GetTreeNodeStoreNo()),
      m_fault(other.m_fault),
      m_loginId(other.GetLoginID()),
      m_loginPassword(other.GetLoginPassword()),
      m_substituteAddress(other.GetSubstituteAddress()),
      m_serverSettings(other.m_serverSettings) {}

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
  server->SetLoginID(GetLoginID());
  server->SetLoginPassword(GetLoginPassword());
  server->SetSubstituteAddress(GetSubstituteAddress());
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

std::string CTBLNRS::GetLoginID() const { return ReadColumn(m_loginId); }

std::string CTBLNRS::GetLoginPassword() const { return ReadColumn(m_loginPassword); }

std::string CTBLNRS::GetSubstituteAddress() const { return ReadColumn(m_substituteAddress); }

void CTBLNRS::SetLoginID(const std::string& id) {
  CScopedLock hold(GetRowLock());
  m_loginId = id;
}

void CTBLNRS::SetLoginPassword(const std::string& password) {
  CScopedLock hold(GetRowLock());
  m_loginPassword = password;
}

void CTBLNRS::SetSubstituteAddress(const std::string& address) {
  CScopedLock hold(GetRowLock());
  m_substituteAddress = address;
}

GATE_REGISTER_ENTITY(CTBLNRS);
