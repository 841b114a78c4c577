// The GIS camera note row (TBL_GIS_Camera_Histroy, the table's own spelling):
// a dated note about a camera (`camera_no`); it goes with its camera. The two
// dates are plain texts.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_GIS_CAMERA_HISTROY_COLUMNS(C)             \
  C(Int, "no", No, 0)                                 \
  C(Int, "camera_no", CameraNo, 0)                    \
  C(String, "date", Date, "")                         \
  C(String, "title", Title, "")                       \
  C(String, "memo", Memo, "")                         \
  C(String, "mod_date", ModDate, "")
// clang-format on

class CTBLGISCameraHistoryBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLGISCameraHistoryBase, "TBL_GIS_Camera_Histroy", TBL_GIS_CAMERA_HISTROY_COLUMNS,
                    AutoIncrement, "no", kEntityNoFlags)
};

class CTBLGISCameraHistory : public CTBLGISCameraHistoryBase {};
