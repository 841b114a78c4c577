// The RU Rave process row (TBL_RURaveProcess): one process step of a product,
// keyed by an unsigned 64-bit number. Not cached.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_RURAVEPROCESS_COLUMNS(C)                   \
  C(UInt64, "ProcessID", ProcessID, 0)                 \
  C(UInt64, "ProductID", ProductID, 0)                 \
  C(Bool, "Status", Status, 0)                         \
  C(Int, "ProcessOrder", ProcessOrder, 0)              \
  C(DateTime, "DateTimeStarted", DateTimeStarted, "")  \
  C(DateTime, "DateTimeScaned", DateTimeScaned, "")
// clang-format on

class CTBLRURaveProcessBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLRURaveProcessBase, "TBL_RURaveProcess", TBL_RURAVEPROCESS_COLUMNS, AutoIncrement64, "ProcessID",
                    kEntityExcludedFromCache)
};

class CTBLRURaveProcess : public CTBLRURaveProcessBase {};
