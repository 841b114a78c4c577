#include "entities/operations/SystemEvent.h"

#include "foundation/Lock.h"

void CTBLSystemEvent::LoadFrom(CKeyValueData& row) {
  CTBLSystemEventBase::LoadFrom(row);
  if (!row.Find("description")) return;
  const std::string* value = row.GetValue();
  CScopedLock hold(GetRowLock());
  description_ = value ? *value : std::string();
}

std::string CTBLSystemEvent::GetDescription() const {
  CScopedLock hold(GetRowLock());
  return description_;
}

GATE_REGISTER_ENTITY(CTBLSystemEvent);
