#include "entities/analysis/VasEventActionHistory.h"

GATE_REGISTER_ENTITY(CTBLVasEventActionHistory);
