// The personal details of a face-recognition person (TBL_FRPersonDetail):
// company, department, job title, gender (1 for a new row), numbers and
// reserved fields, stored and returned unchanged. Deleted with its person.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_FR_PERSON_DETAIL_COLUMNS(C)               \
  C(Int, "PersonDetailID", PersonDetailID, 0)         \
  C(Int, "PersonID", PersonID, 0)                     \
  C(Int, "CompanyID", CompanyID, 0)                   \
  C(Int, "DepartmentID", DepartmentID, 0)             \
  C(Int, "JobTitleID", JobTitleID, 0)                 \
  C(Int, "Gender", Gender, 1)                         \
  C(String, "UnifiedNumber", UnifiedNumber, "")       \
  C(String, "Contact", Contact, "")                   \
  C(String, "Description", Description, "")           \
  C(Int, "Reserved1", Reserved1, 0)                   \
  C(Int, "Reserved2", Reserved2, 0)                   \
  C(String, "Reserved3", Reserved3, "")               \
  C(String, "Reserved4", Reserved4, "")
// clang-format on

class CTBLFRPersonDetailBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLFRPersonDetailBase, "TBL_FRPersonDetail", TBL_FR_PERSON_DETAIL_COLUMNS, AutoIncrement,
                    "PersonDetailID", kEntityNoFlags)
};

class CTBLFRPersonDetail : public CTBLFRPersonDetailBase {};
