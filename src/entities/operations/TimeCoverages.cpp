#include "entities/operations/TimeCoverages.h"

GATE_REGISTER_ENTITY(CTBLTimeCoverages);
