#include "entities/analysis/VasMetaAdditional.h"

GATE_REGISTER_ENTITY(CTBLVasMetaAdditional);
