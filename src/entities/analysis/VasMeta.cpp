#include "entities/analysis/VasMeta.h"

GATE_REGISTER_ENTITY(CTBLVasMeta);
