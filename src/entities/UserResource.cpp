#include "entities/UserResource.h"

GATE_REGISTER_ENTITY(CTBLUserResource);
