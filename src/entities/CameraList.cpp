#include "entities/CameraList.h"

GATE_REGISTER_ENTITY(CTBLCameraList);
