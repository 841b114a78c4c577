#include "entities/analysis/VideoAnalysisPoint.h"

GATE_REGISTER_ENTITY(CTBLVideoAnalysisPoint);
