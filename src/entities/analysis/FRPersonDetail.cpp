#include "entities/analysis/FRPersonDetail.h"

GATE_REGISTER_ENTITY(CTBLFRPersonDetail);
