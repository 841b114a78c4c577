// An image of a face-recognition person as text (TBL_FRImage). Deleted with
// its person.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_FR_IMAGE_COLUMNS(C)                   \
  C(Int, "ImageID", ImageID, 0)                   \
  C(Int, "PersonID", PersonID, 0)                 \
  C(String, "ImageData", ImageData, "")
// clang-format on

class CTBLFRImageBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLFRImageBase, "TBL_FRImage", TBL_FR_IMAGE_COLUMNS, AutoIncrement, "ImageID", kEntityNoFlags)
};

class CTBLFRImage : public CTBLFRImageBase {};
