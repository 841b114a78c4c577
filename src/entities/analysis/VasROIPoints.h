// A point of a region's polygon (TBL_VasROIPoints), in the region's
// `BaseWidth` by `BaseHeight` frame. The polygon's order is the order of the
// key, whatever `PointOrder` says. Deleted with its region.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VAS_ROI_POINTS_COLUMNS(C)                     \
  C(Int, "VasROIPointID", VasROIPointID, 0)               \
  C(Int, "VasROIID", VasROIID, 0)                         \
  C(Int, "ROIPointX", ROIPointX, 0)                       \
  C(Int, "ROIPointY", ROIPointY, 0)                       \
  C(Int, "PointOrder", PointOrder, 0)
// clang-format on

class CTBLVasROIPointsBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasROIPointsBase, "TBL_VasROIPoints", TBL_VAS_ROI_POINTS_COLUMNS, AutoIncrement,
                    "VasROIPointID", kEntityNoFlags)
};

class CTBLVasROIPoints : public CTBLVasROIPointsBase {};
