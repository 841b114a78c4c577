#include "entities/analysis/VasROIClassGroup.h"

GATE_REGISTER_ENTITY(CTBLVasROIClassGroup);
