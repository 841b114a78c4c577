// The object data of one metadata record (TBL_VasMetaObject), keyed by that
// record's key, which the caller sets before the insert. Not cached.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VAS_META_OBJECT_COLUMNS(C)                               \
  C(UInt64, "VasMetaID", VasMetaID, 0)                               \
  C(DateTime, "DateTimeDetected", DateTimeDetected, "")              \
  C(Bool, "DetectionTrigger", DetectionTrigger, 0)                   \
  C(Bool, "DetectionTriggerFiltered", DetectionTriggerFiltered, 0)   \
  C(Int, "ObjectCount", ObjectCount, 0)                              \
  C(String, "Rects", Rects, "")                                      \
  C(Int, "ClassID", ClassID, 0)                                      \
  C(String, "Top1Info", Top1Info, "")                                \
  C(String, "Top2Info", Top2Info, "")                                \
  C(String, "Top3Info", Top3Info, "")                                \
  C(Int, "ColorID", ColorID, 0)
// clang-format on

class CTBLVasMetaObjectBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasMetaObjectBase, "TBL_VasMetaObject", TBL_VAS_META_OBJECT_COLUMNS, Plain64, "VasMetaID",
                    kEntityExcludedFromCache)
};

class CTBLVasMetaObject : public CTBLVasMetaObjectBase {};
