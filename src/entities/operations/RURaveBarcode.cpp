#include "entities/operations/RURaveBarcode.h"

GATE_REGISTER_ENTITY(CTBLRURaveBarcode);
