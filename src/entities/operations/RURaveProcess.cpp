#include "entities/operations/RURaveProcess.h"

GATE_REGISTER_ENTITY(CTBLRURaveProcess);
