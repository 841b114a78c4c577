// The system event change row (TBL_SystemEventChanges): one change of a
// system event (`SystemEventID`); it goes with its event. Not cached.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_SYSTEM_EVENT_CHANGES_COLUMNS(C)               \
  C(Int, "SystemEventChangeID", SystemEventChangeID, 0)   \
  C(Int, "SystemEventID", SystemEventID, 0)               \
  C(Int, "UserID", UserID, 0)                             \
  C(Int, "ClientID", ClientID, 0)                         \
  C(String, "Description", Description, "")              \
  C(Int, "Status", Status, 0)                             \
  C(DateTime, "DateTimeChanged", DateTimeChanged, "")     \
  C(Int, "ToUserID", ToUserID, 0)                         \
  C(Int, "ResultCodeID", ResultCodeID, 0)
// clang-format on

class CTBLSystemEventChangeBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLSystemEventChangeBase, "TBL_SystemEventChanges", TBL_SYSTEM_EVENT_CHANGES_COLUMNS,
                    AutoIncrement, "SystemEventChangeID", kEntityExcludedFromCache)
};

class CTBLSystemEventChange : public CTBLSystemEventChangeBase {};
