#include "entities/operations/SystemEventChange.h"

GATE_REGISTER_ENTITY(CTBLSystemEventChange);
