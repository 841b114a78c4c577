#include "entities/operations/Department.h"

GATE_REGISTER_ENTITY(CTBLDepartment);
