#include "entities/operations/GISCameraHistory.h"

GATE_REGISTER_ENTITY(CTBLGISCameraHistory);
