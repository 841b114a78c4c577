#include "entities/operations/RURaveProduct.h"

GATE_REGISTER_ENTITY(CTBLRURaveProduct);
