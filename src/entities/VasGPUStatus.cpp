#include "entities/VasGPUStatus.h"

GATE_REGISTER_ENTITY(CLTBLVasGPUStatus);
