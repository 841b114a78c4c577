// The camera event log row (TBL_Event_Log): a time text, a camera name, an
// event type and a memo. The table has no key: a row carries a hidden row id
// from the ID source (1, 2, ... per process), is written with all four
// columns, deleted by its column values and never updated. Not cached.
#pragma once

#include <string>

#include "entities/base/RowClass.h"
#include "platform/Clock.h"

// The current local time as "yyyy-mm-dd hh:mm:ss", read from the event-log
// clock (the system clock unless a test set one).
std::string EventLogTimeText();

// clang-format off
#define TBL_EVENT_LOG_COLUMNS(C)                                   \
  C(String, "date", Date, EventLogTimeText())                      \
  C(String, "camera_name", CameraName, "")                         \
  C(Int, "event_type", EventType, 0)                               \
  C(String, "memo", Memo, "")
// clang-format on

// A new row holds its creation time in `date` (no change recorded); a copy
// (CopyTo, Clone) takes the columns and keeps its own row id.
class CTBLEventLog : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLEventLog, "TBL_Event_Log", TBL_EVENT_LOG_COLUMNS, None, "",
                    kEntityExcludedFromCache | kEntityKeepHiddenRowIdOnCopy)

  // The clock that stamps new rows; null puts back the system clock. For
  // tests: the clock must outlive its use.
  static void SetClock(const platform::Clock* clock);
};
