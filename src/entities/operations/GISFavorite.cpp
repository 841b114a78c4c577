#include "entities/operations/GISFavorite.h"

GATE_REGISTER_ENTITY(CTBLGISFavorite);
