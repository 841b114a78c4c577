#include "entities/UserMacAddress.h"

GATE_REGISTER_ENTITY(CTBLUserMacAddress);
