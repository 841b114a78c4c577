// The failover row (TBL_Failovers): a failover in force, naming the recording
// server that failed, the server that took over and the history row of the
// event. Deleted with either recording server.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_FAILOVERS_COLUMNS(C)                        \
  C(Int, "FailoverID", FailoverID, 0)                   \
  C(Int, "ZavID", ZavID, 0)                             \
  C(Int, "TargetZavID", TargetZavID, 0)                 \
  C(Int, "FailoverHistoryID", FailoverHistoryID, 0)
// clang-format on

class CTBLFailoverBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLFailoverBase, "TBL_Failovers", TBL_FAILOVERS_COLUMNS, AutoIncrement, "FailoverID",
                    kEntityNoFlags)
};

class CTBLFailover : public CTBLFailoverBase {};
