#include "entities/operations/Site.h"

GATE_REGISTER_ENTITY(CTBLSite);
