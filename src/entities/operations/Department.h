// The department row (TBL_Department): a named department.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_DEPARTMENT_COLUMNS(C)          \
  C(Int, "DepartmentID", DepartmentID, 0)  \
  C(String, "Name", Name, "")
// clang-format on

class CTBLDepartmentBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLDepartmentBase, "TBL_Department", TBL_DEPARTMENT_COLUMNS, AutoIncrement, "DepartmentID", kEntityNoFlags)
};

class CTBLDepartment : public CTBLDepartmentBase {};
