#include "entities/operations/EventLog.h"

#include <atomic>

#include "foundation/StringUtil.h"

namespace {

std::atomic<const platform::Clock*> g_eventLogClock{nullptr};

}  // namespace

std::string EventLogTimeText() {
  const platform::Clock* clock = g_eventLogClock.load();
  if (clock == nullptr) clock = platform::SystemClock().get();
  platform::LocalDateTime now = clock->LocalNow();
  return StrFormat("%04d-%02d-%02d %02d:%02d:%02d", now.year, now.month, now.day, now.hour, now.minute,
                   now.second);
}

void CTBLEventLog::SetClock(const platform::Clock* clock) { g_eventLogClock.store(clock); }

GATE_REGISTER_ENTITY(CTBLEventLog);
