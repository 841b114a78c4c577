#include "entities/operations/ResultCode.h"

GATE_REGISTER_ENTITY(CTBLResultCode);
