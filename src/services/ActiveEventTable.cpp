#include "services/ActiveEventTable.h"

void CActiveEventTable::SetActiveEvent(int deviceId, int eventId, int64_t now) {
  CScopedLock hold(lock_);
  active_[deviceId][eventId] = {now, 1};
  last_[deviceId] = eventId;
}

void CActiveEventTable::ExpireActiveEvents(int64_t now, int dwellSeconds) {
  CScopedLock hold(lock_);
  for (auto& device : active_) {
    for (auto& entry : device.second) {
      CActiveEvent& event = entry.second;
      if (now < event.time || now - event.time >= dwellSeconds) event.active = 0;
    }
  }
}

CActiveEventMap CActiveEventTable::GetActiveEvents() const {
  CScopedLock hold(lock_);
  return active_;
}

CLastEventMap CActiveEventTable::GetLastEvents() const {
  CScopedLock hold(lock_);
  return last_;
}
