// The camera link row (TBL_Camera_Group_Camera_List): puts one camera into one
// group at a position. The pair (group, camera) is the row's two-column key;
// in memory each link object carries a hidden row id from the ID source
// under the table name, which copies and clones take over.
#pragma once

#include <memory>

#include "entities/base/RowClass.h"

class CTBLCamera;
class CTBLCameraGroup;

// clang-format off
#define TBL_CAMERA_LIST_COLUMNS(C)                      \
  C(Int, "camera_group_no", CameraGroupNo, -1)          \
  C(Int, "camera_no", CameraNo, -1)                     \
  C(Int, "_order_", Order, -1)
// clang-format on

class CTBLCameraList : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLCameraList, "TBL_Camera_Group_Camera_List", TBL_CAMERA_LIST_COLUMNS, Composite, "",
                    kEntityNoFlags)

  // The cached camera of `camera_no`; null for 0, without an owner store or
  // when it is not cached.
  std::shared_ptr<CTBLCamera> GetCamera() const;
  // The cached group of `camera_group_no`; null for 0, without an owner store
  // or when it is not cached.
  std::shared_ptr<CTBLCameraGroup> GetCameraGroup() const;
};
