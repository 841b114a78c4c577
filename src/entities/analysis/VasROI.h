// The region of interest row (TBL_VasROI): one polygon on the camera image of
// an analysis device, with its number in the device, its kind (1 raises the
// intelligent event of `VasIntelligentEventID`, 2 is ignored, 3 crowd
// density, 4 water level), its schedule task and its analysis settings.
// Deleted with its device; deleting it deletes its points, crowd-density and
// water-level rows (its class-group rows stay). Deleting its intelligent event
// or its schedule task sets that column to 0.
#pragma once

#include <memory>

#include "entities/base/RowClass.h"

class CTBLVasCrowdDensity;
class CTBLVasWaterLevel;

// clang-format off
#define TBL_VAS_ROI_COLUMNS(C)                                          \
  C(Int, "VasROIID", VasROIID, 0)                                       \
  C(Int, "VasDeviceID", VasDeviceID, 0)                                 \
  C(Bool, "Enable", Enable, 0)                                          \
  C(Int, "ROINumber", ROINumber, 0)                                     \
  C(String, "Name", Name, "")                                           \
  C(Int, "Type", Type, 1)                                               \
  C(Int, "BaseWidth", BaseWidth, 0)                                     \
  C(Int, "BaseHeight", BaseHeight, 0)                                   \
  C(Int, "ObjectCropCriteria", ObjectCropCriteria, 0)                   \
  C(Int, "ObjectCropPercent", ObjectCropPercent, 100)                   \
  C(Int, "ObjectOverlapPercent", ObjectOverlapPercent, 30)              \
  C(Int, "VasIntelligentEventID", VasIntelligentEventID, 0)             \
  C(Int, "ScheduleTaskID", ScheduleTaskID, 0)                           \
  C(Int, "Priority", Priority, 1)                                       \
  C(Bool, "IsAlarm", IsAlarm, 1)                                        \
  C(Int, "GroupNumber", GroupNumber, 0)                                 \
  C(Int, "DwellTime", DwellTime, 3)                                     \
  C(Int, "AnalysisAtPTZPreset", AnalysisAtPTZPreset, 0)                 \
  C(Int, "PTZPresetLatency", PTZPresetLatency, 1000)                    \
  C(Int, "DisplayInsteadOf", DisplayInsteadOf, 0)                       \
  C(Int, "Sensitivity", Sensitivity, 5)                                 \
  C(String, "Detail1", Detail1, "")                                     \
  C(Int, "ObjectDwellTime", ObjectDwellTime, 3)                         \
  C(Int, "NewEventInterval", NewEventInterval, 600)                     \
  C(Int, "MovingObjectDistancePercent", MovingObjectDistancePercent, 1)
// clang-format on

class CTBLVasROIBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasROIBase, "TBL_VasROI", TBL_VAS_ROI_COLUMNS, AutoIncrement, "VasROIID", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_VasROIPoints", "VasROIID", 0, kRelationModeDelete},
                        {"TBL_VasCrowdDensity", "VasROIID", 0, kRelationModeDelete},
                        {"TBL_VasWaterLevel", "VasROIID", 0, kRelationModeDelete})
};

// The region's dependent rows in the owner store's cache; empty or null for a
// free row. Each takes the store's locks and never writes.
class CTBLVasROI : public CTBLVasROIBase {
 public:
  // The TBL_VasROIPoints rows of the region, by key (the polygon's order).
  EntityMap GetPoints() const;
  // The TBL_VasCrowdDensity row of the region with the lowest key; null when
  // none, or when that row is of another class.
  std::shared_ptr<CTBLVasCrowdDensity> GetCrowdDensity() const;
  // The same for TBL_VasWaterLevel.
  std::shared_ptr<CTBLVasWaterLevel> GetWaterLevel() const;
};
