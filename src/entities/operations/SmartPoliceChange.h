// The smart-police change row (TBL_SmartPoliceChanges): one change of a
// smart-police event (`SmartPoliceEventID`). Not cached.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_SMARTPOLICECHANGES_COLUMNS(C)                \
  C(Int, "SmartPoliceChangeID", SmartPoliceChangeID, 0)  \
  C(Int, "SmartPoliceEventID", SmartPoliceEventID, 0)    \
  C(Int, "UserID", UserID, 0)                            \
  C(Int, "MobileID", MobileID, 0)                        \
  C(String, "Description", Description, "")              \
  C(Int, "Status", Status, 0)                            \
  C(DateTime, "DateTimeChanged", DateTimeChanged, "")    \
  C(Int, "ToUserID", ToUserID, 0)                        \
  C(Int, "ToMobileID", ToMobileID, 0)                    \
  C(Int, "ToDeviceID", ToDeviceID, 0)
// clang-format on

class CTBLSmartPoliceChangeBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLSmartPoliceChangeBase, "TBL_SmartPoliceChanges", TBL_SMARTPOLICECHANGES_COLUMNS, AutoIncrement, "SmartPoliceChangeID",
                    kEntityExcludedFromCache)
};

class CTBLSmartPoliceChange : public CTBLSmartPoliceChangeBase {};
