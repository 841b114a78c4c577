#include "entities/analysis/VasWaterLevel.h"

GATE_REGISTER_ENTITY(CTBLVasWaterLevel);
