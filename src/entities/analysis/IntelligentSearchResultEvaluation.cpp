#include "entities/analysis/IntelligentSearchResultEvaluation.h"

GATE_REGISTER_ENTITY(CTBLIntelligentSearchResultEvaluation);
