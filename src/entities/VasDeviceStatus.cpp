#include "entities/VasDeviceStatus.h"

GATE_REGISTER_ENTITY(CLTBLVasDeviceStatus);
