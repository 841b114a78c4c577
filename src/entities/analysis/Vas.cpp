#include "entities/analysis/Vas.h"

#include "database/IDataStore.h"
#include "entities/VasStatus.h"
#include "foundation/StringUtil.h"

namespace {

// "127.0.0.1", or "localhost" in any letter case.
bool IsLocalHostAddress(const std::string& address) {
  return address == "127.0.0.1" || StrEqualNoCase(address, "localhost");
}

}  // namespace

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
  if (IsLocalHostAddress(addr) && !substitute.empty()) return substitute;
  return addr;
}

EntityMap CTBLVas::GetOwnRows(const char* table) const {
  auto* store = dynamic_cast<IDataStore*>(GetDataStore());
  if (store == nullptr) return EntityMap();
  return store->GetRelatedEntityList(GetTableName(), GetID(), table, "VasID");
}

EntityMap CTBLVas::GetStatusRows() const { return GetOwnRows("LTBL_VasStatus"); }

std::shared_ptr<CLTBLVasStatus> CTBLVas::GetStatus() const {
  EntityMap rows = GetStatusRows();
  if (rows.empty()) return nullptr;
  return std::dynamic_pointer_cast<CLTBLVasStatus>(rows.begin()->second);
}

EntityMap CTBLVas::GetGPUStatusRows() const { return GetOwnRows("LTBL_VasGPUStatus"); }

EntityMap CTBLVas::GetSettings() const { return GetOwnRows("TBL_VasSettings"); }

GATE_REGISTER_ENTITY(CTBLVas);
