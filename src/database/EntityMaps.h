// The containers in which rows travel between the stores, the entity service
// and the adapter (EntityMap and EntityMap64 come with the row base).
#pragma once

#include <memory>

#include "entities/base/DBEntity.h"

using EntityPtr = std::shared_ptr<CDBEntity>;
// Receives one row (a copy the callback owns) and the caller's context;
// returns non-zero for the next row, 0 to stop.
using EntityCallback = int (*)(EntityPtr entity, void* context);
