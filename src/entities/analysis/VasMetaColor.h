// A colour record of a metadata record (TBL_VasMetaColor).
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VAS_META_COLOR_COLUMNS(C)                     \
  C(Int, "VasMetaColorID", VasMetaColorID, 0)             \
  C(UInt64, "VasMetaID", VasMetaID, 0)                    \
  C(UInt64, "VasThumbnailID", VasThumbnailID, 0)          \
  C(Int, "VasDeviceID", VasDeviceID, 0)                   \
  C(DateTime, "DateTimeDetected", DateTimeDetected, "")   \
  C(Int, "ClassID", ClassID, 0)                           \
  C(Int, "Confidence", Confidence, 0)                     \
  C(Int, "ColorID1", ColorID1, 0)                         \
  C(Int, "ColorID2", ColorID2, 0)                         \
  C(String, "BoundingBox", BoundingBox, "")
// clang-format on

class CTBLVasMetaColorBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasMetaColorBase, "TBL_VasMetaColor", TBL_VAS_META_COLOR_COLUMNS, AutoIncrement, "VasMetaColorID",
                    kEntityNoFlags)
};

class CTBLVasMetaColor : public CTBLVasMetaColorBase {};
