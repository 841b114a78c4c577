#include "shell/DataSynchronizerItem.h"

#include "shell/UtcTimeText.h"

std::string CDataSynchronizerItem::GetEntityName() const {
  if (GetSourceData() == "TBL_Camera") return "Device";
  if (GetSourceData() == "TBL_VasIntelligentEvent") return "IntelligentEvent";
  return std::string();
}

void CDataSynchronizerItemStatus::SetLastExecutedTime(int64_t seconds) {
  SetLastDateTimeExecuted(FormatUtcTimeText(seconds));
}

void CDataSynchronizerItemStatus::SetLastSynchronizedTime(int64_t seconds) {
  SetLastDateTimeSynchronized(FormatUtcTimeText(seconds));
}

int64_t CDataSynchronizerItemStatus::GetLastExecutedTime() const {
  return UtcTimeTextToTimeOrZero(GetLastDateTimeExecuted());
}

std::string CDataSynchronizerItemStatus::GetLastSynchronizedLocalText() const {
  return UtcTimeTextToLocalText(GetLastDateTimeSynchronized());
}

std::string CDataSynchronizerItemStatus::GetLastExecutedLocalText() const {
  return UtcTimeTextToLocalText(GetLastDateTimeExecuted());
}

namespace {

std::string SyncDetails(const CDataSynchronizerItem& item, const CDataSynchronizerItemStatus& status,
                        const ILangTexts*) {
  std::string synchronized = status.GetLastSynchronizedLocalText();
  return synchronized.empty() ? item.GetSourceData() : item.GetSourceData() + " (" + synchronized + ")";
}

}  // namespace

const TGateServiceKind<CDataSynchronizerItem, CDataSynchronizerItemStatus> kDataSynchronizerKind = {
    {1, "DataSynchronizer", 13, true, true},
    &SyncDetails,
    &TargetUrlView<CDataSynchronizerItem>,
    &LastExecutedView<CDataSynchronizerItemStatus>,
};
