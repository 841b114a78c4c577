#include "entities/analysis/FRPerson.h"

GATE_REGISTER_ENTITY(CTBLFRPerson);
