#include "entities/NasStorage.h"

#include "entities/LegacyColumnName.h"

void CTBLNasStorageBase::LoadFrom(CKeyValueData& row) {
  CScopedLock hold(GetRowLock());
  LoadWithLegacyName(*this, row, "zavid", "nrsid");
}

GATE_REGISTER_ENTITY(CTBLNasStorage);
