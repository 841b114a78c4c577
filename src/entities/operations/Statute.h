// The statute row (TBL_Statute): a named statute.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_STATUTE_COLUMNS(C)       \
  C(Int, "StatuteID", StatuteID, 0)  \
  C(String, "Name", Name, "")
// clang-format on

class CTBLStatuteBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLStatuteBase, "TBL_Statute", TBL_STATUTE_COLUMNS, AutoIncrement, "StatuteID", kEntityNoFlags)
};

class CTBLStatute : public CTBLStatuteBase {};
