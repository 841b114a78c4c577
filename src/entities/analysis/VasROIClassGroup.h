// An object-class list attached to a region (TBL_VasROIClassGroup). No
// relation names this table: the rows stay when their region is deleted.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VAS_ROI_CLASS_GROUP_COLUMNS(C)                \
  C(Int, "VasROIClassGroupID", VasROIClassGroupID, 0)     \
  C(Int, "VasROIID", VasROIID, 0)                         \
  C(String, "ClassList", ClassList, "")
// clang-format on

class CTBLVasROIClassGroupBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasROIClassGroupBase, "TBL_VasROIClassGroup", TBL_VAS_ROI_CLASS_GROUP_COLUMNS,
                    AutoIncrement, "VasROIClassGroupID", kEntityNoFlags)
};

class CTBLVasROIClassGroup : public CTBLVasROIClassGroupBase {};
