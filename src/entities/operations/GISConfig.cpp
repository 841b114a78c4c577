#include "entities/operations/GISConfig.h"

GATE_REGISTER_ENTITY(CTBLGISConfig);
