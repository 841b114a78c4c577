// CActiveEventTable: which intelligent events of which analysis devices are
// active now, and each device's most recently matched event, for the event
// server's status page. A match marks its (device, event) entry active at
// the current second; the expiry sweep (once a second) clears the flag of
// every entry not matched for at least the dwell time, or stamped in the
// future (a clock set back). Entries are never removed.
//
// Lock: lock_ guards both maps; each call holds it only for its own update,
// sweep or copy. Any thread.
#pragma once

#include <stdint.h>

#include <map>

#include "foundation/Lock.h"

struct CActiveEvent {
  int64_t time = 0;  // seconds since 1970 of the last match
  int active = 0;    // 1 while active
  bool operator==(const CActiveEvent&) const = default;
};

// VasDeviceID -> (VasIntelligentEventID -> entry).
using CActiveEventMap = std::map<int, std::map<int, CActiveEvent>>;
// VasDeviceID -> VasIntelligentEventID last matched.
using CLastEventMap = std::map<int, int>;

class CActiveEventTable {
 public:
  // Marks (device, event) active at `now` and makes it the device's last event.
  void SetActiveEvent(int deviceId, int eventId, int64_t now);
  // Clears the flag of every entry with now < time or now - time >= dwellSeconds.
  void ExpireActiveEvents(int64_t now, int dwellSeconds);
  CActiveEventMap GetActiveEvents() const;
  CLastEventMap GetLastEvents() const;

 private:
  mutable CLock lock_;  // guards active_ and last_
  CActiveEventMap active_ GUARDED_BY(lock_);
  CLastEventMap last_ GUARDED_BY(lock_);
};
