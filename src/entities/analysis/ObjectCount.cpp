#include "entities/analysis/ObjectCount.h"

GATE_REGISTER_ENTITY(CTBLObjectCount);
