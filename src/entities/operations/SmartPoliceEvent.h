// The smart-police event row (TBL_SmartPoliceEvents): an event reported from a
// device, with its last state. Not cached; its changes stay when it is
// deleted.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_SMARTPOLICEEVENTS_COLUMNS(C)                   \
  C(Int, "SmartPoliceEventID", SmartPoliceEventID, 0)      \
  C(Int, "UserID", UserID, 0)                              \
  C(Int, "ClientID", ClientID, 0)                          \
  C(Int, "DeviceID", DeviceID, 0)                          \
  C(String, "Message", Message, "")                        \
  C(DateTime, "DateTimeReported", DateTimeReported, "")    \
  C(Int, "LastStatus", LastStatus, 0)                      \
  C(Int, "LastMobileID", LastMobileID, 0)                  \
  C(DateTime, "DateTimeCompleted", DateTimeCompleted, "")  \
  C(Int, "LastUserID", LastUserID, 0)
// clang-format on

class CTBLSmartPoliceEventBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLSmartPoliceEventBase, "TBL_SmartPoliceEvents", TBL_SMARTPOLICEEVENTS_COLUMNS, AutoIncrement, "SmartPoliceEventID",
                    kEntityExcludedFromCache)
};

class CTBLSmartPoliceEvent : public CTBLSmartPoliceEventBase {};
