// A named event result that search evaluations choose from
// (TBL_IntelligentSearchEventResult).
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_INTELLIGENT_SEARCH_EVENT_RESULT_COLUMNS(C)    \
  C(Int, "SearchEventResultID", SearchEventResultID, 0)   \
  C(String, "Name", Name, "")
// clang-format on

class CTBLIntelligentSearchEventResultBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLIntelligentSearchEventResultBase, "TBL_IntelligentSearchEventResult", TBL_INTELLIGENT_SEARCH_EVENT_RESULT_COLUMNS, AutoIncrement, "SearchEventResultID",
                    kEntityNoFlags)
};

class CTBLIntelligentSearchEventResult : public CTBLIntelligentSearchEventResultBase {};
