#include "entities/analysis/VasStatistics.h"

GATE_REGISTER_ENTITY(CTBLVasStatistics);
GATE_REGISTER_ENTITY(CTBLVasWeeklyStatistics);
GATE_REGISTER_ENTITY(CTBLVasMonthlyStatistics);
