#include "entities/Record.h"

GATE_REGISTER_ENTITY(CTBLRecord);
