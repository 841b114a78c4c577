// One video-analysis set-up of a camera (TBL_VideoAnalysisSettings). Deleted
// with its camera; deleting it deletes its zones, then its colours.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VIDEO_ANALYSIS_SETTINGS_COLUMNS(C)                  \
  C(Int, "VideoAnalysisSettingID", VideoAnalysisSettingID, 0)   \
  C(Int, "DeviceID", DeviceID, 0)                               \
  C(Int, "VideoAnalysisMethod", VideoAnalysisMethod, 0)         \
  C(Int, "SettingVideoWidth", SettingVideoWidth, 0)             \
  C(Int, "SettingVideoHeight", SettingVideoHeight, 0)           \
  C(Int, "EventDWellTime", EventDWellTime, 0)                   \
  C(Bool, "Enabled", Enabled, 1)                                \
  C(Int, "Threshold", Threshold, 0)                             \
  C(Int, "PTZControlLatency", PTZControlLatency, 0)
// clang-format on

class CTBLVideoAnalysisSettingBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVideoAnalysisSettingBase, "TBL_VideoAnalysisSettings", TBL_VIDEO_ANALYSIS_SETTINGS_COLUMNS, AutoIncrement, "VideoAnalysisSettingID",
                    kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_VideoAnalysisZones", "VideoAnalysisSettingID", 0, kRelationModeDelete},
                        {"TBL_VideoAnalysisColors", "VideoAnalysisSettingID", 0, kRelationModeDelete})
};

class CTBLVideoAnalysisSetting : public CTBLVideoAnalysisSettingBase {};
