#include "entities/analysis/VasDevice.h"

GATE_REGISTER_ENTITY(CTBLVasDevice);
