// The custom layout cell row (TBL_CustomLayoutCells): one cell of a layout,
// covering a rectangle of grid positions, with its stream number.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_CUSTOM_LAYOUT_CELLS_COLUMNS(C)            \
  C(Int, "CustomLayoutCellID", CustomLayoutCellID, 0) \
  C(Int, "CustomLayoutID", CustomLayoutID, 0)         \
  C(Int, "Left", Left, 0)                             \
  C(Int, "Top", Top, 0)                               \
  C(Int, "Right", Right, 0)                           \
  C(Int, "Bottom", Bottom, 0)                         \
  C(Int, "Stream", Stream, 0)
// clang-format on

class CTBLCustomLayoutCellBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLCustomLayoutCellBase, "TBL_CustomLayoutCells", TBL_CUSTOM_LAYOUT_CELLS_COLUMNS,
                    AutoIncrement, "CustomLayoutCellID", kEntityNoFlags)
};

class CTBLCustomLayoutCell : public CTBLCustomLayoutCellBase {};
