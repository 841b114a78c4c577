#include "entities/operations/Worker.h"

GATE_REGISTER_ENTITY(CTBLWorker);
