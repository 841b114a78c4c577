// The containers in which rows travel between the stores, the entity service
// and the adapter.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

class CDBEntity;

using EntityPtr = std::shared_ptr<CDBEntity>;
// Rows by their 32-bit id (CDBEntity::GetID).
using EntityMap = std::map<int, EntityPtr>;
// Rows by their 64-bit key (CDBEntity::GetID64).
using EntityMap64 = std::map<uint64_t, EntityPtr>;
// Receives one row (a copy the callback owns) and the caller's context;
// returns non-zero for the next row, 0 to stop.
using EntityCallback = int (*)(EntityPtr entity, void* context);
