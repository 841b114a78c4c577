#include "entities/analysis/Vas.h"

#include "entities/Camera.h"
#include "entities/TreeNodeText.h"
#include "entities/VasStatus.h"
#include "entities/analysis/VasDevice.h"
#include "entities/operations/OwnerDataStore.h"
#include "foundation/HostAddress.h"
#include "foundation/StringUtil.h"

std::vector<float> GetDefaultCrowdDensityLevels() { return {0.0f, 1.0f, 2.0f, 4.0f, 6.0f}; }

CTBLVas::CTBLVas(const CTBLVas& other)
    : CTBLVasBase(other),
      IEntityTreeNode(other),
      loginId_(other.GetLoginID()),
      loginPassword_(other.GetLoginPassword()),
      substituteAddress_(other.GetSubstituteAddress()),
      fault_(other.fault_) {}

std::string CTBLVas::GetDisplayText() const {
  return StrFormat("%s (%s)", GetName().c_str(), GetAddr().c_str());
}

void CTBLVas::CopyTo(CDBEntity* target) const {
  CTBLVasBase::CopyTo(target);
  auto* vas = dynamic_cast<CTBLVas*>(target);
  if (vas == nullptr || vas == this) return;
  vas->SetLoginID(GetLoginID());
  vas->SetLoginPassword(GetLoginPassword());
  vas->fault_.AssignFlag(GetFaultFlag());
  vas->channelsStale_.store(true, std::memory_order_release);
}

void* CTBLVas::GetInterface(const std::string& name) {
  if (name == "IEntityTreeNode") return static_cast<IEntityTreeNode*>(this);
  return nullptr;
}

std::string CTBLVas::GetLoginID() const { return ReadColumn(loginId_); }

void CTBLVas::SetLoginID(const std::string& loginId) {
  CScopedLock hold(GetRowLock());
  loginId_ = loginId;
}

std::string CTBLVas::GetLoginPassword() const { return ReadColumn(loginPassword_); }

void CTBLVas::SetLoginPassword(const std::string& password) {
  CScopedLock hold(GetRowLock());
  loginPassword_ = password;
}

std::string CTBLVas::GetSubstituteAddress() const { return ReadColumn(substituteAddress_); }

void CTBLVas::SetSubstituteAddress(const std::string& address) {
  CScopedLock hold(GetRowLock());
  substituteAddress_ = address;
}

std::string CTBLVas::GetAddress() const {
  std::string addr = GetAddr();
  std::string substitute = GetSubstituteAddress();
  if (IsLocalHostAddress(addr.c_str()) && !substitute.empty()) return substitute;
  return addr;
}

int CTBLVas::GetPort() const { return GetUseSecure() != 0 ? GetSecureWebPort() : GetWebPort(); }

int CTBLVas::GetVasKind() const {
  int type = GetType();
  return type >= kVasKindOwn && type <= kVasKindSktEdge ? type : kVasKindUnknown;
}

int CTBLVas::GetHttpAuthMode() const {
  switch (GetAuthType()) {
    case 1:
      return 3;
    case 2:
      return 1;
    case 3:
      return 2;
    default:
      return 0;
  }
}

std::string CTBLVas::GetDisplayName() const {
  static const char* const kPrefixes[] = {"Unknown VAS",   "TorvaneVAS",    "OGQ Inference Server",
                                          "ZAV AI Server", "SKT AI Server", "SKT AI Edge"};
  return StrFormat("%s[%s_%s:%d]", kPrefixes[GetVasKind()], GetName().c_str(), GetAddress().c_str(), GetPort());
}

EntityMap CTBLVas::GetVasDevices() const { return GetOwnerRelatedRows(*this, CTBLVasDevice::kTableName, "VasID"); }

std::shared_ptr<CTBLVasDevice> CTBLVas::FindVasDeviceByChannel(int channel) {
  CScopedLock hold(channelLock_);
  if (channelsStale_.exchange(false, std::memory_order_acq_rel)) channels_.clear();
  if (channels_.empty()) {
    const bool byCameraChannel = GetType() == kVasKindZavAi;
    for (auto& [id, row] : GetVasDevices()) {
      auto device = std::dynamic_pointer_cast<CTBLVasDevice>(row);
      if (!device) continue;
      int key = device->GetChannelNo();
      if (byCameraChannel) {
        std::shared_ptr<CTBLCamera> camera = device->GetCamera();
        if (!camera) continue;
        key = camera->GetZavChannel();
      }
      channels_[key] = device;  // in key order: the higher VasDeviceID stays
    }
  }
  auto found = channels_.find(channel);
  return found == channels_.end() ? nullptr : found->second;
}

std::string CTBLVas::GetChannelListText() const {
  std::string text;
  for (auto& [id, row] : GetVasDevices()) {
    auto device = std::dynamic_pointer_cast<CTBLVasDevice>(row);
    if (!device) continue;
    text += StrFormat(text.empty() ? "%d" : ",%d", device->GetChannelNo());
  }
  return text;
}

EntityMap CTBLVas::GetStatusRows() const { return GetOwnerRelatedRows(*this, "LTBL_VasStatus", "VasID"); }

std::shared_ptr<CLTBLVasStatus> CTBLVas::GetStatus() const { return FirstRowOf<CLTBLVasStatus>(GetStatusRows()); }

EntityMap CTBLVas::GetGPUStatusRows() const { return GetOwnerRelatedRows(*this, "LTBL_VasGPUStatus", "VasID"); }

EntityMap CTBLVas::GetSettings() const { return GetOwnerRelatedRows(*this, "TBL_VasSettings", "VasID"); }

bool CTBLVas::MatchesFilter(int flags, const std::string& filter) {
  if (LowerTextContains(GetName(), filter)) return true;
  return (flags & kNodeFilterAddress) != 0 && LowerTextContains(GetAddr(), filter);
}

int CTBLVas::GetNodeStatus() { return fault_.IsShown() ? kNodeStatusFaulty : kNodeStatusNormal; }

GATE_REGISTER_ENTITY(CTBLVas);
