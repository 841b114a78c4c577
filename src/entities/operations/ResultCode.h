// The result code row (TBL_ResultCodes): a named result code of a category,
// deleted by marking; its display text is its name.
#pragma once

#include <string>

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_RESULT_CODES_COLUMNS(C)                   \
  C(Int, "ResultCodeID", ResultCodeID, 0)             \
  C(Int, "Category", Category, 0)                     \
  C(String, "Name", Name, "")                         \
  C(String, "Detail1", Detail1, "")                   \
  C(String, "Detail2", Detail2, "")                   \
  C(Bool, "IsDeleted", IsDeleted, 0)
// clang-format on

class CTBLResultCodeBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLResultCodeBase, "TBL_ResultCodes", TBL_RESULT_CODES_COLUMNS, AutoIncrement,
                    "ResultCodeID", kEntityNoFlags)
};

class CTBLResultCode : public CTBLResultCodeBase {
 public:
  std::string GetDisplayText() const override { return GetName(); }
};
