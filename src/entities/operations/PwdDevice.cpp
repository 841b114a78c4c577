#include "entities/operations/PwdDevice.h"

GATE_REGISTER_ENTITY(CTBLPwdDevice);
