// The RU Rave product row (TBL_RURaveProduct): a scanned product with its
// process and barcode counts, keyed by an unsigned 64-bit number. Not cached;
// its processes and barcodes stay when it is deleted.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_RURAVEPRODUCT_COLUMNS(C)                 \
  C(UInt64, "ProductID", ProductID, 0)               \
  C(Int, "ProcessCount", ProcessCount, 0)            \
  C(Int, "BarcodeCount", BarcodeCount, 0)            \
  C(DateTime, "DateTimeScaned", DateTimeScaned, "")
// clang-format on

class CTBLRURaveProductBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLRURaveProductBase, "TBL_RURaveProduct", TBL_RURAVEPRODUCT_COLUMNS, AutoIncrement64, "ProductID",
                    kEntityExcludedFromCache)
};

class CTBLRURaveProduct : public CTBLRURaveProductBase {};
