#include "entities/operations/NetworkFilter.h"

GATE_REGISTER_ENTITY(CTBLNetworkFilter);
