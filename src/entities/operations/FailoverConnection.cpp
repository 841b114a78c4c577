#include "entities/operations/FailoverConnection.h"

#include "entities/operations/FailoverHistory.h"
#include "entities/operations/OwnerDataStore.h"

std::shared_ptr<CTBLFailoverHistory> CTBLFailoverConnection::GetFailoverHistory() const {
  return FindOwnerCachedRow<CTBLFailoverHistory>(*this, CTBLFailoverHistory::kTableName, GetFailoverHistoryID());
}

GATE_REGISTER_ENTITY(CTBLFailoverConnection);
