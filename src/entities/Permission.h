// A permission that exists in the installation (TBL_Permissions), under a
// fixed number that the writer supplies (plain key): category, name,
// privilege type and value, enabled flag.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_PERMISSIONS_COLUMNS(C)                    \
  C(Int, "PermissionID", PermissionID, 0)             \
  C(Int, "CategoryID", CategoryID, 0)                 \
  C(String, "Name", Name, "")                         \
  C(Int, "PrivilegeType", PrivilegeType, 4)           \
  C(String, "PrivilegeValue", PrivilegeValue, "")     \
  C(Bool, "Enabled", Enabled, 1)
// clang-format on

class CTBLPermissionBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLPermissionBase, "TBL_Permissions", TBL_PERMISSIONS_COLUMNS, Plain, "PermissionID",
                    kEntityNoFlags)
};

class CTBLPermission : public CTBLPermissionBase {};
