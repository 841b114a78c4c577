#include "entities/operations/Statute.h"

GATE_REGISTER_ENTITY(CTBLStatute);
