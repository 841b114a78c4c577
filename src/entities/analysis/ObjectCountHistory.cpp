#include "entities/analysis/ObjectCountHistory.h"

GATE_REGISTER_ENTITY(CTBLObjectCountHistory);
