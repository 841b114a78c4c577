#include "entities/analysis/VasMetaColor.h"

GATE_REGISTER_ENTITY(CTBLVasMetaColor);
