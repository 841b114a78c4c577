// A line-crossing object count of a metadata record (TBL_VasMetaObjectCount).
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VAS_META_OBJECT_COUNT_COLUMNS(C)                \
  C(Int, "VasMetaObjectCountID", VasMetaObjectCountID, 0)   \
  C(UInt64, "VasMetaID", VasMetaID, 0)                      \
  C(Int, "VasDeviceID", VasDeviceID, 0)                     \
  C(Int, "VasLineCrossID", VasLineCrossID, 0)               \
  C(Int, "VasLineCrossNumber", VasLineCrossNumber, 0)       \
  C(Int, "ClassID", ClassID, 0)                             \
  C(DateTime, "DateTimeDetected", DateTimeDetected, "")     \
  C(Int, "ForwardTotalCount", ForwardTotalCount, 0)         \
  C(Int, "BackwardTotalCount", BackwardTotalCount, 0)       \
  C(Int, "ForwardIncCount", ForwardIncCount, 0)             \
  C(Int, "BackwardIncCount", BackwardIncCount, 0)
// clang-format on

class CTBLVasMetaObjectCountBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasMetaObjectCountBase, "TBL_VasMetaObjectCount", TBL_VAS_META_OBJECT_COUNT_COLUMNS, AutoIncrement, "VasMetaObjectCountID",
                    kEntityNoFlags)
};

class CTBLVasMetaObjectCount : public CTBLVasMetaObjectCountBase {};
