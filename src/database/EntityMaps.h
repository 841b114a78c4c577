// The containers in which rows travel between the stores, the entity service
// and the adapter (EntityMap and EntityMap64 come with the row base).
#pragma once

#include <cstring>
#include <memory>

#include "entities/base/DBEntity.h"

using EntityPtr = std::shared_ptr<CDBEntity>;
// Receives one row (a copy the callback owns) and the caller's context;
// returns non-zero for the next row, 0 to stop.
using EntityCallback = int (*)(EntityPtr entity, void* context);

// True when `a` and `b` are the same row of the same table: equal full keys
// (all 64 bits) for a row with a key column, equal key values for a
// two-column key, else the same hidden row id.
inline bool IsSameRow(const CDBEntity& a, const CDBEntity& b) {
  if (std::strcmp(a.GetTableName(), b.GetTableName()) != 0) return false;
  if (a.HasKeyColumn()) return a.GetID64() == b.GetID64();
  if (a.HasCompositeKey()) {
    return a.GetCompositeKeyPart1().GetValue() == b.GetCompositeKeyPart1().GetValue() &&
           a.GetCompositeKeyPart2().GetValue() == b.GetCompositeKeyPart2().GetValue();
  }
  return a.GetID() == b.GetID();
}
