// The failover history row (TBL_FailoverHistories): one failover event, from
// the failed recording server to its target, with the user and client that
// started it, when it was added and removed, and a comment. Its connections
// go with it.
#pragma once

#include <memory>
#include <string>

#include "entities/base/RowClass.h"

class CTBLFailover;

// clang-format off
#define TBL_FAILOVER_HISTORIES_COLUMNS(C)                   \
  C(Int, "FailoverHistoryID", FailoverHistoryID, 0)         \
  C(Int, "ZavID", ZavID, 0)                                 \
  C(Int, "TargetZavID", TargetZavID, 0)                     \
  C(Int, "UserID", UserID, 0)                               \
  C(Int, "ClientID", ClientID, 0)                           \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")           \
  C(DateTime, "DateTimeDeleted", DateTimeDeleted, "")       \
  C(String, "Comment", Comment, "")                         \
  C(Bool, "IsDeleted", IsDeleted, 0)
// clang-format on

class CTBLFailoverHistoryBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLFailoverHistoryBase, "TBL_FailoverHistories", TBL_FAILOVER_HISTORIES_COLUMNS,
                    AutoIncrement, "FailoverHistoryID", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_FailoverConnections", "FailoverHistoryID", 0, kRelationModeDelete})
};

class CTBLFailoverHistory : public CTBLFailoverHistoryBase {
 public:
  // The failover in force for this history: the cached TBL_Failovers row
  // with the lowest key whose `FailoverHistoryID` is this row's key; null
  // without an owner store, for key 0 or when none matches. Scans the cached
  // table under the store's locks.
  std::shared_ptr<CTBLFailover> GetFailover() const;
};
