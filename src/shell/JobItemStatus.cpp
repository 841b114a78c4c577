#include "shell/JobItemStatus.h"

#include "shell/UtcTimeText.h"

void CJobItemStatus::SetLastExecutedTime(int64_t seconds) { SetLastDateTimeExecuted(FormatUtcTimeText(seconds)); }

std::string CJobItemStatus::GetLastExecutedLocalText() const {
  return UtcTimeTextToLocalText(GetLastDateTimeExecuted());
}

int64_t CServerStatusPublisherItemStatus::GetLastExecutedTime() const {
  return UtcTimeTextToTimeOrZero(GetLastDateTimeExecuted());
}
