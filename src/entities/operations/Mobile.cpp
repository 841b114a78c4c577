#include "entities/operations/Mobile.h"

GATE_REGISTER_ENTITY(CTBLMobile);
