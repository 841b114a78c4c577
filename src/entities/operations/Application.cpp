#include "entities/operations/Application.h"

GATE_REGISTER_ENTITY(CTBLApplication);
