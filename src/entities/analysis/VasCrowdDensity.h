// The crowd-density settings of a region (TBL_VasCrowdDensity): area, trigger
// level, holding time, guidance text and four density levels in tenths, used
// when `DensityLevelType` is 1 (otherwise the default levels of
// GetDefaultCrowdDensityLevels, Vas.h). Deleted with its region.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VAS_CROWD_DENSITY_COLUMNS(C)                  \
  C(Int, "VasCrowdDensityID", VasCrowdDensityID, 0)       \
  C(Int, "VasROIID", VasROIID, 0)                         \
  C(Int, "Area", Area, 0)                                 \
  C(Int, "EventTriggerLevel", EventTriggerLevel, 0)       \
  C(Int, "HoldingTime", HoldingTime, 0)                   \
  C(String, "GuidanceText", GuidanceText, "")             \
  C(Int, "DensityLevelType", DensityLevelType, 0)         \
  C(Int, "DensityLevel1", DensityLevel1, 0)               \
  C(Int, "DensityLevel2", DensityLevel2, 0)               \
  C(Int, "DensityLevel3", DensityLevel3, 0)               \
  C(Int, "DensityLevel4", DensityLevel4, 0)
// clang-format on

class CTBLVasCrowdDensityBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasCrowdDensityBase, "TBL_VasCrowdDensity", TBL_VAS_CROWD_DENSITY_COLUMNS, AutoIncrement,
                    "VasCrowdDensityID", kEntityNoFlags)
};

class CTBLVasCrowdDensity : public CTBLVasCrowdDensityBase {
 public:
  // `DensityLevel1` to `DensityLevel4` for index 0 to 3, divided by 10 (15
  // gives 1.5); 0 for any other index.
  float GetDensityLevel(int index) const;
};
