#include "entities/analysis/IntelligentSearchUnuseReason.h"

GATE_REGISTER_ENTITY(CTBLIntelligentSearchUnuseReason);
