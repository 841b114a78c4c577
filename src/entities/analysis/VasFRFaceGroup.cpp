#include "entities/analysis/VasFRFaceGroup.h"

GATE_REGISTER_ENTITY(CTBLVasFRFaceGroup);
