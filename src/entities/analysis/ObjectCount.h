// The object counts of a camera's counting line (TBL_ObjectCounts): in and
// out counts, line counts and recorded counts per object kind. Deleted with
// its camera.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_OBJECT_COUNTS_COLUMNS(C)                      \
  C(Int, "ObjectCountID", ObjectCountID, 0)               \
  C(Int, "DeviceID", DeviceID, 0)                         \
  C(Int, "ObjectKind", ObjectKind, 0)                     \
  C(Int, "LineNumber", LineNumber, 0)                     \
  C(Int, "LineInCount", LineInCount, 0)                   \
  C(Int, "LineOutCount", LineOutCount, 0)                 \
  C(Int, "InCount", InCount, 0)                           \
  C(Int, "OutCount", OutCount, 0)                         \
  C(Int, "RecordedInCount", RecordedInCount, 0)           \
  C(Int, "RecordedOutCount", RecordedOutCount, 0)         \
  C(DateTime, "DateTimeRecorded", DateTimeRecorded, "")   \
  C(DateTime, "DateTimeUpdated", DateTimeUpdated, "")
// clang-format on

class CTBLObjectCountBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLObjectCountBase, "TBL_ObjectCounts", TBL_OBJECT_COUNTS_COLUMNS, AutoIncrement,
                    "ObjectCountID", kEntityNoFlags)
};

class CTBLObjectCount : public CTBLObjectCountBase {};
