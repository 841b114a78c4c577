#include "entities/operations/AffiliatedInstitution.h"

GATE_REGISTER_ENTITY(CTBLAffiliatedInstitution);
