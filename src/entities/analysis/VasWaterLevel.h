// The water-level settings of a region (TBL_VasWaterLevel): trigger level,
// holding time, the skew of the region's outline, the meter range and four
// levels. Deleted with its region.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VAS_WATER_LEVEL_COLUMNS(C)                    \
  C(Int, "VasWaterLevelID", VasWaterLevelID, 0)           \
  C(Int, "VasROIID", VasROIID, 0)                         \
  C(Int, "EventTriggerLevel", EventTriggerLevel, 0)       \
  C(Int, "HoldingTime", HoldingTime, 0)                   \
  C(Int, "SkewAngleX", SkewAngleX, 0)                     \
  C(Int, "SkewAngleY", SkewAngleY, 0)                     \
  C(Int, "HighLevelMeter", HighLevelMeter, 0)             \
  C(Int, "LowLevelMeter", LowLevelMeter, 100)             \
  C(Int, "WaterLevel1", WaterLevel1, 20)                  \
  C(Int, "WaterLevel2", WaterLevel2, 40)                  \
  C(Int, "WaterLevel3", WaterLevel3, 60)                  \
  C(Int, "WaterLevel4", WaterLevel4, 80)
// clang-format on

class CTBLVasWaterLevelBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasWaterLevelBase, "TBL_VasWaterLevel", TBL_VAS_WATER_LEVEL_COLUMNS, AutoIncrement,
                    "VasWaterLevelID", kEntityNoFlags)
};

class CTBLVasWaterLevel : public CTBLVasWaterLevelBase {};
