#include "entities/analysis/FRImage.h"

GATE_REGISTER_ENTITY(CTBLFRImage);
