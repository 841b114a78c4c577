// The affiliated institution row (TBL_AffiliatedInstitution): a named institution.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_AFFILIATEDINSTITUTION_COLUMNS(C)                     \
  C(Int, "AffiliatedInstitutionID", AffiliatedInstitutionID, 0)  \
  C(String, "Name", Name, "")
// clang-format on

class CTBLAffiliatedInstitutionBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLAffiliatedInstitutionBase, "TBL_AffiliatedInstitution", TBL_AFFILIATEDINSTITUTION_COLUMNS, AutoIncrement, "AffiliatedInstitutionID", kEntityNoFlags)
};

class CTBLAffiliatedInstitution : public CTBLAffiliatedInstitutionBase {};
