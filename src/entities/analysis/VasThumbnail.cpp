#include "entities/analysis/VasThumbnail.h"

GATE_REGISTER_ENTITY(CTBLVasThumbnail);
