// A metadata record of an analysis device (TBL_VasMeta): detection time,
// trigger flags and object-class lists. 64-bit key; not cached. Deleting it
// leaves its object row and its event action histories as they are.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VAS_META_COLUMNS(C)                                      \
  C(UInt64, "VasMetaID", VasMetaID, 0)                               \
  C(Int, "VasDeviceID", VasDeviceID, 0)                              \
  C(Int, "VasIntelligentEventID", VasIntelligentEventID, 0)          \
  C(UInt64, "VasThumbnailID", VasThumbnailID, 0)                     \
  C(DateTime, "DateTimeDetected", DateTimeDetected, "")              \
  C(Int, "SyncPoint", SyncPoint, 0)                                  \
  C(Bool, "DetectionTrigger", DetectionTrigger, 0)                   \
  C(Bool, "DetectionTriggerFiltered", DetectionTriggerFiltered, 0)   \
  C(Int, "BaseWidth", BaseWidth, 0)                                  \
  C(Int, "BaseHeight", BaseHeight, 0)                                \
  C(String, "ClassList", ClassList, "")                              \
  C(String, "ClassListEvent", ClassListEvent, "")                    \
  C(String, "ClassListEventFiltered", ClassListEventFiltered, "")    \
  C(Bool, "IsProcessed", IsProcessed, 0)                             \
  C(Bool, "IsContinuousEvent", IsContinuousEvent, 0)                 \
  C(Bool, "IsAlarm", IsAlarm, 0)
// clang-format on

class CTBLVasMetaBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasMetaBase, "TBL_VasMeta", TBL_VAS_META_COLUMNS, AutoIncrement64, "VasMetaID",
                    kEntityExcludedFromCache)
  GATE_ENTITY_RELATIONS({"TBL_VasMetaObject", "VasMetaID", 0, kRelationModeNone},
                        {"TBL_VasEventActionHistory", "VasMetaID", 0, kRelationModeNone})
};

class CTBLVasMeta : public CTBLVasMetaBase {};
