// CSyncIntelligentEvent ("IntelligentEvent"): an analysis-event definition
// as the outside system sees it: Key, Name and Method.
#pragma once

#include "sync/SyncEntity.h"
#include "sync/SyncFields.h"

#define GATE_SYNC_INTELLIGENT_EVENT_FIELDS(F) \
  F(Int, EntityKey, "Key", "key", 0)              \
  F(Text, Name, "Name", "name", "")

class CSyncIntelligentEvent : public CSyncEntity {
 public:
  // From a TBL_VasIntelligentEvent row: its ID and Name; other rows change nothing.
  void FromEntity(IDataStore* store, const EntityPtr& row, const SyncUserFieldValues& values) override;
  int GetKey() const override { return mEntityKey; }

  GATE_SYNC_ENTITY_FIELDS(CSyncIntelligentEvent, "IntelligentEvent", GATE_SYNC_INTELLIGENT_EVENT_FIELDS)
};
