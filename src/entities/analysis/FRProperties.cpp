#include "entities/analysis/FRProperties.h"

GATE_REGISTER_ENTITY(CTBLFRProperties);
