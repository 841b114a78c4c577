// A colour entry of a video-analysis set-up (TBL_VideoAnalysisColors).
// Deleted with its set-up.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VIDEO_ANALYSIS_COLORS_COLUMNS(C)                    \
  C(Int, "VideoAnalysisColorID", VideoAnalysisColorID, 0)       \
  C(Int, "VideoAnalysisSettingID", VideoAnalysisSettingID, 0)   \
  C(Int, "Category", Category, 0)                               \
  C(Bool, "Enabled", Enabled, 1)                                \
  C(String, "Color1", Color1, "")                               \
  C(String, "Color2", Color2, "")                               \
  C(Bool, "Contained", Contained, 1)
// clang-format on

class CTBLVideoAnalysisColorBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVideoAnalysisColorBase, "TBL_VideoAnalysisColors", TBL_VIDEO_ANALYSIS_COLORS_COLUMNS, AutoIncrement, "VideoAnalysisColorID",
                    kEntityNoFlags)
};

class CTBLVideoAnalysisColor : public CTBLVideoAnalysisColorBase {};
