// The RU Rave barcode row (TBL_RURaveBarcode): a barcode scanned for a
// product, keyed by an unsigned 64-bit number. Not cached.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_RURAVEBARCODE_COLUMNS(C)                 \
  C(UInt64, "BarcodeID", BarcodeID, 0)               \
  C(UInt64, "ProductID", ProductID, 0)               \
  C(String, "Barcode", Barcode, "")                  \
  C(DateTime, "DateTimeScaned", DateTimeScaned, "")
// clang-format on

class CTBLRURaveBarcodeBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLRURaveBarcodeBase, "TBL_RURaveBarcode", TBL_RURAVEBARCODE_COLUMNS, AutoIncrement64, "BarcodeID",
                    kEntityExcludedFromCache)
};

class CTBLRURaveBarcode : public CTBLRURaveBarcodeBase {};
