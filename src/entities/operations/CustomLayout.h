// The custom layout row (TBL_CustomLayouts): a user's named grid of columns
// and rows; its cells go with it.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_CUSTOM_LAYOUTS_COLUMNS(C)                 \
  C(Int, "CustomLayoutID", CustomLayoutID, 0)         \
  C(Int, "UserID", UserID, 0)                         \
  C(Int, "ResourceID", ResourceID, 0)                 \
  C(String, "Name", Name, "")                         \
  C(Int, "Kind", Kind, 0)                             \
  C(Int, "DefaultStream", DefaultStream, 1)           \
  C(Int, "Cols", Cols, 0)                             \
  C(Int, "Rows", Rows, 0)
// clang-format on

class CTBLCustomLayoutBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLCustomLayoutBase, "TBL_CustomLayouts", TBL_CUSTOM_LAYOUTS_COLUMNS, AutoIncrement,
                    "CustomLayoutID", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_CustomLayoutCells", "CustomLayoutID", 0, kRelationModeDelete})
};

class CTBLCustomLayout : public CTBLCustomLayoutBase {};
