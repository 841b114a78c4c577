// The recorded reason of an intelligent search (TBL_IntelligentSearchReason):
// who searched, under which document and statute, which cameras and period.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_INTELLIGENT_SEARCH_REASON_COLUMNS(C)                  \
  C(Int, "IntelligentSearchID", IntelligentSearchID, 0)           \
  C(Int, "DepartmentID", DepartmentID, 0)                         \
  C(Int, "StatuteID", StatuteID, 0)                               \
  C(Int, "AffiliatedInstitutionID", AffiliatedInstitutionID, 0)   \
  C(String, "OfficialDocNum", OfficialDocNum, "")                 \
  C(String, "SearcherName", SearcherName, "")                     \
  C(String, "EventType", EventType, "")                           \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")                 \
  C(Bool, "Captured", Captured, 0)                                \
  C(DateTime, "SearchStartTime", SearchStartTime, "")             \
  C(DateTime, "SearchEndTime", SearchEndTime, "")                 \
  C(String, "CameraList", CameraList, "")                         \
  C(Int, "UserID", UserID, 0)
// clang-format on

class CTBLIntelligentSearchReasonBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLIntelligentSearchReasonBase, "TBL_IntelligentSearchReason", TBL_INTELLIGENT_SEARCH_REASON_COLUMNS, AutoIncrement, "IntelligentSearchID",
                    kEntityNoFlags)
};

class CTBLIntelligentSearchReason : public CTBLIntelligentSearchReasonBase {};
