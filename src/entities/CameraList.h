// The camera link row (TBL_Camera_Group_Camera_List): puts one camera into one
// group at a position. The pair (group, camera) is the row's two-column key;
// in memory each link object carries a hidden row id from the ID source
// under the table name, which copies and clones take over.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_CAMERA_LIST_COLUMNS(C)                      \
  C(Int, "camera_group_no", CameraGroupNo, -1)          \
  C(Int, "camera_no", CameraNo, -1)                     \
  C(Int, "_order_", Order, -1)
// clang-format on

// Still to come with the group navigation: the link's camera and group.
class CTBLCameraList : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLCameraList, "TBL_Camera_Group_Camera_List", TBL_CAMERA_LIST_COLUMNS, Composite, "",
                    kEntityNoFlags)
};
