#include "entities/operations/ListItems.h"

GATE_REGISTER_ENTITY(CTBLListItems);
