#include "entities/VasStatus.h"

GATE_REGISTER_ENTITY(CLTBLVasStatus);
