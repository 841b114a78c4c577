#include "entities/NasStorage.h"

GATE_REGISTER_ENTITY(CTBLNasStorage);
