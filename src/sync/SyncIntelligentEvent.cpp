#include "sync/SyncIntelligentEvent.h"

#include "entities/analysis/VasIntelligentEvent.h"

void CSyncIntelligentEvent::FromEntity(IDataStore*, const EntityPtr& row, const SyncUserFieldValues&) {
  const auto* event = dynamic_cast<const CTBLVasIntelligentEvent*>(row.get());
  if (event == nullptr) return;
  SetEntityKey(event->GetVasIntelligentEventID());
  SetName(event->GetName());
}
