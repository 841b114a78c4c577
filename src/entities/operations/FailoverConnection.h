// The failover connection row (TBL_FailoverConnections): during a failover,
// one camera (`DeviceID`, the camera's `no`) recorded by another recording
// server (`ZavID`) on that server's channel `ZavChannel`. Goes with its
// history row.
#pragma once

#include <memory>
#include <string>

#include "entities/base/RowClass.h"

class CTBLCamera;
class CTBLFailoverHistory;

// clang-format off
#define TBL_FAILOVER_CONNECTIONS_COLUMNS(C)                 \
  C(Int, "FailoverConnectionID", FailoverConnectionID, 0)   \
  C(Int, "FailoverHistoryID", FailoverHistoryID, 0)         \
  C(Int, "DeviceID", DeviceID, 0)                           \
  C(Int, "ZavID", ZavID, 0)                                 \
  C(Int, "ZavChannel", ZavChannel, 0)                       \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")           \
  C(DateTime, "DateTimeDeleted", DateTimeDeleted, "")       \
  C(Bool, "IsDeleted", IsDeleted, 0)
// clang-format on

class CTBLFailoverConnectionBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLFailoverConnectionBase, "TBL_FailoverConnections", TBL_FAILOVER_CONNECTIONS_COLUMNS,
                    AutoIncrement, "FailoverConnectionID", kEntityNoFlags)
};

class CTBLFailoverConnection : public CTBLFailoverConnectionBase {
 public:
  // The cached history row of `FailoverHistoryID`; null without an owner
  // store, for 0, when it is not cached (a soft-deleted history never is) or
  // is of another class. Takes the store's locks.
  std::shared_ptr<CTBLFailoverHistory> GetFailoverHistory() const;
  // The cached camera of `DeviceID`; null without an owner store, for 0, or
  // when no such camera is cached. Takes the store's locks.
  std::shared_ptr<CTBLCamera> GetCamera() const;
};
