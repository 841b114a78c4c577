#include "entities/analysis/VasDatabase.h"

GATE_REGISTER_ENTITY(CTBLVasDatabase);
