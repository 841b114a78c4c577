#include "entities/analysis/VasClassGroup.h"

GATE_REGISTER_ENTITY(CTBLVasClassGroup);
