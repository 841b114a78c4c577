#include "entities/analysis/VideoAnalysisSetting.h"

GATE_REGISTER_ENTITY(CTBLVideoAnalysisSetting);
