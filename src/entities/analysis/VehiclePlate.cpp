#include "entities/analysis/VehiclePlate.h"

GATE_REGISTER_ENTITY(CTBLVehiclePlate);
