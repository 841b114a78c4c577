#include "entities/operations/SmartPoliceChange.h"

GATE_REGISTER_ENTITY(CTBLSmartPoliceChange);
