#include "entities/StorageStatus.h"

GATE_REGISTER_ENTITY(CLTBLStorageStatus);
