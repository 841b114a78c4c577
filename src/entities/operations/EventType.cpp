#include "entities/operations/EventType.h"

GATE_REGISTER_ENTITY(CTBLEventType);
