#include "entities/analysis/VasMetaObject.h"

GATE_REGISTER_ENTITY(CTBLVasMetaObject);
