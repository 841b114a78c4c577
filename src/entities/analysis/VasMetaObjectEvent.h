// An object event of a metadata record (TBL_VasMetaObjectEvent). Not cached.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VAS_META_OBJECT_EVENT_COLUMNS(C)                \
  C(Int, "VasMetaObjectEventID", VasMetaObjectEventID, 0)   \
  C(UInt64, "VasMetaID", VasMetaID, 0)                      \
  C(UInt64, "VasThumbnailID", VasThumbnailID, 0)            \
  C(DateTime, "DateTimeDetected", DateTimeDetected, "")     \
  C(Int, "VasDeviceID", VasDeviceID, 0)                     \
  C(Int, "DeviceID", DeviceID, 0)                           \
  C(Int, "ClassID", ClassID, 0)                             \
  C(Int, "Confidence", Confidence, 0)                       \
  C(String, "BoundingBox", BoundingBox, "")
// clang-format on

class CTBLVasMetaObjectEventBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasMetaObjectEventBase, "TBL_VasMetaObjectEvent", TBL_VAS_META_OBJECT_EVENT_COLUMNS, AutoIncrement, "VasMetaObjectEventID",
                    kEntityExcludedFromCache)
};

class CTBLVasMetaObjectEvent : public CTBLVasMetaObjectEventBase {};
