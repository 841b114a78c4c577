#include "entities/analysis/VasROIPoints.h"

GATE_REGISTER_ENTITY(CTBLVasROIPoints);
