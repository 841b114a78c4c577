#include "entities/Permission.h"

GATE_REGISTER_ENTITY(CTBLPermission);
