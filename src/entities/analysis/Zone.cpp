#include "entities/analysis/Zone.h"

GATE_REGISTER_ENTITY(CTBLZone);
