#include "entities/analysis/IntelligentSearchEventResult.h"

GATE_REGISTER_ENTITY(CTBLIntelligentSearchEventResult);
