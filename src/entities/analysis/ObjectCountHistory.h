// The history of object counts (TBL_ObjectCountHistories): the counts a line
// gained over one period. Not kept in the store's cache; no relation deletes
// these rows.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_OBJECT_COUNT_HISTORIES_COLUMNS(C)             \
  C(Int, "ObjectCountHistoryID", ObjectCountHistoryID, 0) \
  C(Int, "DeviceID", DeviceID, 0)                         \
  C(Int, "PeriodType", PeriodType, 0)                     \
  C(Int, "ObjectKind", ObjectKind, 0)                     \
  C(Int, "LineNumber", LineNumber, 0)                     \
  C(Int, "IncreasedInCount", IncreasedInCount, 0)         \
  C(Int, "IncreasedOutCount", IncreasedOutCount, 0)       \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")
// clang-format on

class CTBLObjectCountHistoryBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLObjectCountHistoryBase, "TBL_ObjectCountHistories", TBL_OBJECT_COUNT_HISTORIES_COLUMNS,
                    AutoIncrement, "ObjectCountHistoryID", kEntityExcludedFromCache)
};

class CTBLObjectCountHistory : public CTBLObjectCountHistoryBase {};
