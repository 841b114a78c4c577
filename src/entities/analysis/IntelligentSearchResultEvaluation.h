// The evaluation of a search's results (TBL_IntelligentSearchResultEvaluation).
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_INTELLIGENT_SEARCH_RESULT_EVALUATION_COLUMNS(C)                     \
  C(Int, "SearchResultEvaluationID", SearchResultEvaluationID, 0)               \
  C(Bool, "Utilization", Utilization, 0)                                        \
  C(Bool, "Destruction", Destruction, 0)                                        \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")                               \
  C(Int, "SearchEventResultID", SearchEventResultID, 0)                         \
  C(Int, "IntelligentSearchUnuseReasonID", IntelligentSearchUnuseReasonID, 0)   \
  C(Int, "IntelligentSearchID", IntelligentSearchID, 0)
// clang-format on

class CTBLIntelligentSearchResultEvaluationBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLIntelligentSearchResultEvaluationBase, "TBL_IntelligentSearchResultEvaluation", TBL_INTELLIGENT_SEARCH_RESULT_EVALUATION_COLUMNS, AutoIncrement, "SearchResultEvaluationID",
                    kEntityNoFlags)
};

class CTBLIntelligentSearchResultEvaluation : public CTBLIntelligentSearchResultEvaluationBase {};
