#include "entities/analysis/ZonePoint.h"

GATE_REGISTER_ENTITY(CTBLZonePoint);
