#include "entities/operations/AssetHistory.h"

GATE_REGISTER_ENTITY(CTBLAssetHistory);
