#include "entities/analysis/VasCrowdDensity.h"

float CTBLVasCrowdDensity::GetDensityLevel(int index) const {
  int tenths = 0;
  switch (index) {
    case 0:
      tenths = GetDensityLevel1();
      break;
    case 1:
      tenths = GetDensityLevel2();
      break;
    case 2:
      tenths = GetDensityLevel3();
      break;
    case 3:
      tenths = GetDensityLevel4();
      break;
    default:
      return 0.0f;
  }
  return static_cast<float>(tenths) / 10.0f;
}

GATE_REGISTER_ENTITY(CTBLVasCrowdDensity);
