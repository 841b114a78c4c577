#include "entities/operations/FailoverConnection.h"

#include "entities/Camera.h"
#include "entities/operations/FailoverHistory.h"
#include "entities/operations/OwnerDataStore.h"

std::shared_ptr<CTBLFailoverHistory> CTBLFailoverConnection::GetFailoverHistory() const {
  return FindOwnerCachedRow<CTBLFailoverHistory>(*this, CTBLFailoverHistory::kTableName, GetFailoverHistoryID());
}

std::shared_ptr<CTBLCamera> CTBLFailoverConnection::GetCamera() const {
  return FindOwnerCachedRow<CTBLCamera>(*this, CTBLCamera::kTableName, GetDeviceID());
}

GATE_REGISTER_ENTITY(CTBLFailoverConnection);
