#include "entities/UserLog.h"

#include "foundation/StringUtil.h"

std::string CTBLUserLog::GetDisplayText() const {
  return StrFormat("EventType: %d, UserID: %d, ClientID: %d", GetEventTypeID(), GetUserID(), GetClientID());
}

GATE_REGISTER_ENTITY(CTBLUserLog);
