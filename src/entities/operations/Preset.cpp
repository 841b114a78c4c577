#include "entities/operations/Preset.h"

GATE_REGISTER_ENTITY(CTBLPreset);
