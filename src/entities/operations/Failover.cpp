#include "entities/operations/Failover.h"

GATE_REGISTER_ENTITY(CTBLFailover);
