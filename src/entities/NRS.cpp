#include "entities/NRS.h"

#include "foundation/HostAddress.h"
#include "foundation/StringUtil.h"

CTBLNRS::CTBLNRS(const CTBLNRS& other)
    : CTBLNRSBase(other),
      IEntityTreeNode(other),
      treeStoreNo_(other.GetTreeNodeStoreNo()),
      fault_(other.fault_),
      loginId_(other.GetLoginID()),
      loginPassword_(other.GetLoginPassword()),
      substituteAddress_(other.GetSubstituteAddress()),
      serverSettings_(other.serverSettings_) {}

std::string CTBLNRS::GetDisplayText() const {
  return StrFormat("%s (%s)", GetName().c_str(), GetAddr().c_str());
}

int CTBLNRS::GetStoreNo() const {
  int treeStoreNo = GetTreeNodeStoreNo();
  return treeStoreNo != 0 ? treeStoreNo : CTBLNRSBase::GetStoreNo();
}

void CTBLNRS::SetStoreNo(int storeNo) {
  CTBLNRSBase::SetStoreNo(storeNo);
  treeStoreNo_.store(storeNo, std::memory_order_relaxed);
}

void CTBLNRS::CopyTo(CDBEntity* target) const {
  auto* server = dynamic_cast<CTBLNRS*>(target);
  if (server != nullptr && server != this) server->treeStoreNo_.store(GetTreeNodeStoreNo());
  CTBLNRSBase::CopyTo(target);
  if (server == nullptr || server == this) return;
  server->SetLoginID(GetLoginID());
  server->SetLoginPassword(GetLoginPassword());
  server->SetSubstituteAddress(GetSubstituteAddress());
  server->fault_ = fault_;
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

std::string CTBLNRS::GetLoginID() const { return ReadColumn(loginId_); }

std::string CTBLNRS::GetLoginPassword() const { return ReadColumn(loginPassword_); }

std::string CTBLNRS::GetSubstituteAddress() const { return ReadColumn(substituteAddress_); }

void CTBLNRS::SetLoginID(const std::string& id) {
  CScopedLock hold(GetRowLock());
  loginId_ = id;
}

void CTBLNRS::SetLoginPassword(const std::string& password) {
  CScopedLock hold(GetRowLock());
  loginPassword_ = password;
}

void CTBLNRS::SetSubstituteAddress(const std::string& address) {
  CScopedLock hold(GetRowLock());
  substituteAddress_ = address;
}

GATE_REGISTER_ENTITY(CTBLNRS);
