#include "entities/operations/CustomLayout.h"

GATE_REGISTER_ENTITY(CTBLCustomLayout);
