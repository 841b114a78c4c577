// A thumbnail image (TBL_VasThumbnail) that metadata rows name by
// `VasThumbnailID`. 64-bit key; not cached.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VAS_THUMBNAIL_COLUMNS(C)                      \
  C(UInt64, "VasThumbnailID", VasThumbnailID, 0)          \
  C(DateTime, "DateTimeDetected", DateTimeDetected, "")   \
  C(Int, "Size", Size, 0)                                 \
  C(String, "Data", Data, "")
// clang-format on

class CTBLVasThumbnailBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasThumbnailBase, "TBL_VasThumbnail", TBL_VAS_THUMBNAIL_COLUMNS, AutoIncrement64, "VasThumbnailID",
                    kEntityExcludedFromCache)
};

class CTBLVasThumbnail : public CTBLVasThumbnailBase {};
