#include "entities/analysis/ZoneSetting.h"

GATE_REGISTER_ENTITY(CTBLZoneSetting);
