// A zone of a video-analysis set-up (TBL_VideoAnalysisZones). Deleted with
// its set-up; deleting it deletes its points.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VIDEO_ANALYSIS_ZONES_COLUMNS(C)                     \
  C(Int, "VideoAnalysisZoneID", VideoAnalysisZoneID, 0)         \
  C(Int, "VideoAnalysisSettingID", VideoAnalysisSettingID, 0)   \
  C(Int, "Sensitivity", Sensitivity, 0)
// clang-format on

class CTBLVideoAnalysisZoneBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVideoAnalysisZoneBase, "TBL_VideoAnalysisZones", TBL_VIDEO_ANALYSIS_ZONES_COLUMNS, AutoIncrement, "VideoAnalysisZoneID",
                    kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_VideoAnalysisPoints", "VideoAnalysisZoneID", 0, kRelationModeDelete})
};

class CTBLVideoAnalysisZone : public CTBLVideoAnalysisZoneBase {};
