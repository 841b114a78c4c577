#include "entities/analysis/VideoAnalysisColor.h"

GATE_REGISTER_ENTITY(CTBLVideoAnalysisColor);
