// A named reason for not using a search's results
// (TBL_IntelligentSearchUnuseReason).
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_INTELLIGENT_SEARCH_UNUSE_REASON_COLUMNS(C)                          \
  C(Int, "IntelligentSearchUnuseReasonID", IntelligentSearchUnuseReasonID, 0)   \
  C(String, "UnuseReason", UnuseReason, "")
// clang-format on

class CTBLIntelligentSearchUnuseReasonBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLIntelligentSearchUnuseReasonBase, "TBL_IntelligentSearchUnuseReason", TBL_INTELLIGENT_SEARCH_UNUSE_REASON_COLUMNS, AutoIncrement, "IntelligentSearchUnuseReasonID",
                    kEntityNoFlags)
};

class CTBLIntelligentSearchUnuseReason : public CTBLIntelligentSearchUnuseReasonBase {};
