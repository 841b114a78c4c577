// An ordered point of a video-analysis zone (TBL_VideoAnalysisPoints).
// Deleted with its zone.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VIDEO_ANALYSIS_POINTS_COLUMNS(C)                \
  C(Int, "VideoAnalysisPointID", VideoAnalysisPointID, 0)   \
  C(Int, "VideoAnalysisZoneID", VideoAnalysisZoneID, 0)     \
  C(Double, "PointX", PointX, 0)                            \
  C(Double, "PointY", PointY, 0)                            \
  C(Int, "PointOrder", PointOrder, 0)
// clang-format on

class CTBLVideoAnalysisPointBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVideoAnalysisPointBase, "TBL_VideoAnalysisPoints", TBL_VIDEO_ANALYSIS_POINTS_COLUMNS, AutoIncrement, "VideoAnalysisPointID",
                    kEntityNoFlags)
};

class CTBLVideoAnalysisPoint : public CTBLVideoAnalysisPointBase {};
