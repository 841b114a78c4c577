#include "entities/analysis/VasMetaObjectCount.h"

GATE_REGISTER_ENTITY(CTBLVasMetaObjectCount);
