#include "entities/operations/FailoverHistory.h"

#include "entities/operations/Failover.h"
#include "entities/operations/OwnerDataStore.h"

std::shared_ptr<CTBLFailover> CTBLFailoverHistory::GetFailover() const {
  IDataStore* store = GetOwnerDataStore(*this);
  int key = GetFailoverHistoryID();
  if (store == nullptr || key == 0) return nullptr;
  for (auto& [id, row] : store->GetCachedEntityList(CTBLFailover::kTableName)) {
    auto failover = std::dynamic_pointer_cast<CTBLFailover>(row);
    if (failover && failover->GetFailoverHistoryID() == key) return failover;
  }
  return nullptr;
}

GATE_REGISTER_ENTITY(CTBLFailoverHistory);
