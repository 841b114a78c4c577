// The event type row (TBL_EventTypes): one event type with its category and
// whether it is logged and alarmed. The key is written as the caller sets it.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_EVENT_TYPES_COLUMNS(C)                    \
  C(Int, "EventTypeID", EventTypeID, 0)               \
  C(Int, "EventCategoryID", EventCategoryID, 0)       \
  C(String, "Name", Name, "")                         \
  C(Bool, "Log", Log, 1)                              \
  C(Bool, "Alarm", Alarm, 1)
// clang-format on

class CTBLEventTypeBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLEventTypeBase, "TBL_EventTypes", TBL_EVENT_TYPES_COLUMNS, Plain, "EventTypeID",
                    kEntityNoFlags)
};

class CTBLEventType : public CTBLEventTypeBase {};
