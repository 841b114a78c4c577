#include "entities/analysis/VasMetaObjectEvent.h"

GATE_REGISTER_ENTITY(CTBLVasMetaObjectEvent);
