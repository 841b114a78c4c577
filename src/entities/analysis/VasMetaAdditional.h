// An additional typed value of a metadata record (TBL_VasMetaAdditional).
// 64-bit key; cached by its whole key (GetID64).
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VAS_META_ADDITIONAL_COLUMNS(C)                   \
  C(UInt64, "VasMetaAdditionalID", VasMetaAdditionalID, 0)   \
  C(UInt64, "VasMetaID", VasMetaID, 0)                       \
  C(UInt64, "VasThumbnailID", VasThumbnailID, 0)             \
  C(Int, "VasDeviceID", VasDeviceID, 0)                      \
  C(DateTime, "DateTimeDetected", DateTimeDetected, "")      \
  C(Int, "AdditionalType", AdditionalType, 0)                \
  C(String, "AdditionalString", AdditionalString, "")        \
  C(Int, "AdditionalInteger", AdditionalInteger, 0)          \
  C(String, "AdditionalDetail1", AdditionalDetail1, "")      \
  C(String, "AdditionalDetail2", AdditionalDetail2, "")      \
  C(String, "AdditionalDetail3", AdditionalDetail3, "")
// clang-format on

class CTBLVasMetaAdditionalBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasMetaAdditionalBase, "TBL_VasMetaAdditional", TBL_VAS_META_ADDITIONAL_COLUMNS, AutoIncrement64, "VasMetaAdditionalID",
                    kEntityNoFlags)
};

class CTBLVasMetaAdditional : public CTBLVasMetaAdditionalBase {};
