// A property kind that describes face-recognition persons (TBL_FRProperties):
// its type, display order and name.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_FR_PROPERTIES_COLUMNS(C)                  \
  C(Int, "PersonPropertyID", PersonPropertyID, 0)     \
  C(Int, "PropertyType", PropertyType, 0)             \
  C(Int, "DisplayOrder", DisplayOrder, 0)             \
  C(String, "Name", Name, "")
// clang-format on

class CTBLFRPropertiesBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLFRPropertiesBase, "TBL_FRProperties", TBL_FR_PROPERTIES_COLUMNS, AutoIncrement,
                    "PersonPropertyID", kEntityNoFlags)
};

class CTBLFRProperties : public CTBLFRPropertiesBase {};
