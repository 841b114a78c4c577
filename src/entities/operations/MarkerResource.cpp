#include "entities/operations/MarkerResource.h"

GATE_REGISTER_ENTITY(CTBLMarkerResource);
