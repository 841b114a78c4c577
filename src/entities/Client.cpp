#include "entities/Client.h"

#include "entities/User.h"
#include "entities/operations/OwnerDataStore.h"
#include "foundation/DateTimeUtil.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"

std::shared_ptr<CTBLUser> CTBLClient::GetUser() const {
  return FindOwnerCachedRow<CTBLUser>(*this, CTBLUser::kTableName, GetUserID());
}

int64_t CTBLClient::GetAccessTime() const {
  std::string text = GetAccessTimeText();
  SystemTime time;
  if (!ParseDateTimeText(text, &time) || time.year <= 1899) return 0;
  bool inRange = time.year >= 1970 && time.year <= 3000 && time.month >= 1 && time.month <= 12 &&
                 time.day >= 1 && time.day <= 31 && time.hour >= 0 && time.hour <= 23 && time.minute >= 0 &&
                 time.minute <= 59 && time.second >= 0 && time.second <= 59;
  int64_t seconds = inRange ? SystemTimeToTime(time) : -1;
  if (seconds < 0) {
    GATE_LOG(1, "ERROR - Invalid access time '%s' of client %d.\r\n", text.c_str(), GetClientID());
    return 0;
  }
  return seconds;
}

std::string CTBLClient::GetDisplayText() const {
  std::string addr = GetAddr();
  std::shared_ptr<CTBLUser> user = GetUser();
  if (!user) return addr;
  return StrFormat("%s (%s)", addr.c_str(), user->GetDisplayText().c_str());
}

GATE_REGISTER_ENTITY(CTBLClient);
