#include "entities/operations/WorkScheduleMessage.h"

GATE_REGISTER_ENTITY(CTBLWorkScheduleMessage);
