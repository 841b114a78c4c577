#include "entities/analysis/VehiclePlateImage.h"

GATE_REGISTER_ENTITY(CTBLVehiclePlateImage);
