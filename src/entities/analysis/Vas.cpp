#include "entities/analysis/Vas.h"

#include "entities/VasStatus.h"
#include "entities/operations/OwnerDataStore.h"
#include "foundation/HostAddress.h"
#include "foundation/StringUtil.h"

CTBLVas::CTBLVas(const CTBLVas& other)
    : CTBLVasBase(other),
      m_loginId(other.GetLoginID()),
      m_loginPassword(other.GetLoginPassword()),
      m_substituteAddress(other.GetSubstituteAddress()) {}

std::string CTBLVas::GetDisplayText() const {
  return StrFormat("%s (%s)", GetName().c_str(), GetAddr().c_str());
}

void CTBLVas::CopyTo(CDBEntity* target) const {
  CTBLVasBase::CopyTo(target);
  auto* vas = dynamic_cast<CTBLVas*>(target);
  if (vas == nullptr || vas == this) return;
  vas->SetLoginID(GetLoginID());
  vas->SetLoginPassword(GetLoginPassword());
}

std::string CTBLVas::GetLoginID() const { return ReadColumn(m_loginId); }

void CTBLVas::SetLoginID(const std::string& loginId) {
  CScopedLock hold(GetRowLock());
  m_loginId = loginId;
}

std::string CTBLVas::GetLoginPassword() const { return ReadColumn(m_loginPassword); }

void CTBLVas::SetLoginPassword(const std::string& password) {
  CScopedLock hold(GetRowLock());
  m_loginPassword = password;
}

std::string CTBLVas::GetSubstituteAddress() const { return ReadColumn(m_substituteAddress); }

void CTBLVas::SetSubstituteAddress(const std::string& address) {
  CScopedLock hold(GetRowLock());
  m_substituteAddress = address;
}

std::string CTBLVas::GetAddress() const {
  std::string addr = GetAddr();
  std::string substitute = GetSubstituteAddress();
  if (IsLocalHostAddress(addr.c_str()) && !substitute.empty()) return substitute;
  return addr;
}

EntityMap CTBLVas::GetStatusRows() const { return GetOwnerRelatedRows(*this, "LTBL_VasStatus", "VasID"); }

std::shared_ptr<CLTBLVasStatus> CTBLVas::GetStatus() const { return FirstRowOf<CLTBLVasStatus>(GetStatusRows()); }

EntityMap CTBLVas::GetGPUStatusRows() const { return GetOwnerRelatedRows(*this, "LTBL_VasGPUStatus", "VasID"); }

EntityMap CTBLVas::GetSettings() const { return GetOwnerRelatedRows(*this, "TBL_VasSettings", "VasID"); }

GATE_REGISTER_ENTITY(CTBLVas);
