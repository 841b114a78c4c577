#include "entities/operations/Association.h"

GATE_REGISTER_ENTITY(CTBLAssociation);
