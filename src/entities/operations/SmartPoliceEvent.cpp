#include "entities/operations/SmartPoliceEvent.h"

GATE_REGISTER_ENTITY(CTBLSmartPoliceEvent);
