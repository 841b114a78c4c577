#include "entities/analysis/VideoAnalysisZone.h"

GATE_REGISTER_ENTITY(CTBLVideoAnalysisZone);
