#include "entities/analysis/IntelligentSearchReason.h"

GATE_REGISTER_ENTITY(CTBLIntelligentSearchReason);
