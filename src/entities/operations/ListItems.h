// The list item row (TBL_ListItems): one value of a generic list (category),
// at its place in the list's order.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_LISTITEMS_COLUMNS(C)         \
  C(Int, "ListItemID", ListItemID, 0)    \
  C(Int, "CategoryID", CategoryID, 0)    \
  C(Int, "ItemOrder", ItemOrder, 0)      \
  C(String, "ItemValue", ItemValue, "")
// clang-format on

class CTBLListItemsBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLListItemsBase, "TBL_ListItems", TBL_LISTITEMS_COLUMNS, AutoIncrement, "ListItemID", kEntityNoFlags)
};

class CTBLListItems : public CTBLListItemsBase {};
