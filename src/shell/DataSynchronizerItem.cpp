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
