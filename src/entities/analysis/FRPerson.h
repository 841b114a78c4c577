// A person the analysis servers are to recognise (TBL_FRPerson): a name and
// the face-feature text that the own-kind servers take as the person's face
// data. Deleting a person deletes its detail rows, then its images.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_FR_PERSON_COLUMNS(C)                  \
  C(Int, "PersonID", PersonID, 0)                 \
  C(String, "Name", Name, "")                     \
  C(String, "FeatureMap", FeatureMap, "")
// clang-format on

class CTBLFRPersonBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLFRPersonBase, "TBL_FRPerson", TBL_FR_PERSON_COLUMNS, AutoIncrement, "PersonID",
                    kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_FRPersonDetail", "PersonID", 0, kRelationModeDelete},
                        {"TBL_FRImage", "PersonID", 0, kRelationModeDelete})
};

class CTBLFRPerson : public CTBLFRPersonBase {};
