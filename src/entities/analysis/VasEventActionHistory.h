// What was done about a detected event (TBL_VasEventActionHistory): alarm,
// automatic and manual broadcasts, whether the event was right and whether it
// was processed. Loaded and stored by table name only.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VAS_EVENT_ACTION_HISTORY_COLUMNS(C)                     \
  C(Int, "VasEventActionHistoryID", VasEventActionHistoryID, 0)     \
  C(UInt64, "VasMetaID", VasMetaID, 0)                              \
  C(Int, "VasDeviceID", VasDeviceID, 0)                             \
  C(Int, "UserID", UserID, 0)                                       \
  C(Int, "AlarmKind", AlarmKind, 0)                                 \
  C(Int, "ClassID", ClassID, 0)                                     \
  C(Int, "VasIntelligentEventID", VasIntelligentEventID, 0)         \
  C(Int, "AlarmResult", AlarmResult, 0)                             \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")                   \
  C(DateTime, "DateTimeDetected", DateTimeDetected, "")             \
  C(Int, "AutoBroadcastCount", AutoBroadcastCount, 0)               \
  C(Int, "AutoBroadcastResult", AutoBroadcastResult, 0)             \
  C(Int, "ManualBroadcasted", ManualBroadcasted, 0)                 \
  C(Int, "ManualBroadcastResult", ManualBroadcastResult, 0)         \
  C(Bool, "IsRightEvent", IsRightEvent, 1)                          \
  C(String, "Description", Description, "")                         \
  C(Int, "DeviceID", DeviceID, 0)                                   \
  C(UInt64, "VasThumbnailID", VasThumbnailID, 0)                    \
  C(Int, "SyncPoint", SyncPoint, 0)                                 \
  C(Int, "VasROIID", VasROIID, 0)                                   \
  C(Int, "VasLineCrossID", VasLineCrossID, 0)                       \
  C(Bool, "IsAlarm", IsAlarm, 1)                                    \
  C(Bool, "IsProcessed", IsProcessed, 1)
// clang-format on

class CTBLVasEventActionHistoryBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasEventActionHistoryBase, "TBL_VasEventActionHistory",
                    TBL_VAS_EVENT_ACTION_HISTORY_COLUMNS, AutoIncrement, "VasEventActionHistoryID", kEntityNoFlags)
};

class CTBLVasEventActionHistory : public CTBLVasEventActionHistoryBase {};
