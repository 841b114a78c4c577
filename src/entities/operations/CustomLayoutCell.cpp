#include "entities/operations/CustomLayoutCell.h"

GATE_REGISTER_ENTITY(CTBLCustomLayoutCell);
