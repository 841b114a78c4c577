// A permission granted to one user (TBL_UserPermissions), with the user's
// privilege value and, for a permission about one object, the camera
// (permission 3000), camera group (4000) or map it concerns. Deleted with its
// user, camera, camera group or map.
#pragma once

#include <string>

#include "entities/base/RowClass.h"

// The permission numbers this system reads.
constexpr int kPermissionCamera = 3000;       // one camera, in DeviceID
constexpr int kPermissionCameraGroup = 4000;  // one camera group, in DeviceGroupID

// clang-format off
#define TBL_USER_PERMISSIONS_COLUMNS(C)                   \
  C(Int, "UserPermissionID", UserPermissionID, 0)         \
  C(Int, "UserID", UserID, 0)                             \
  C(Int, "PermissionID", PermissionID, 0)                 \
  C(Int, "PrivilegeType", PrivilegeType, 4)               \
  C(String, "PrivilegeValue", PrivilegeValue, "")         \
  C(Int, "DeviceID", DeviceID, 0)                         \
  C(Int, "DeviceGroupID", DeviceGroupID, 0)               \
  C(Int, "MapID", MapID, 0)
// clang-format on

class CTBLUserPermissionBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLUserPermissionBase, "TBL_UserPermissions", TBL_USER_PERMISSIONS_COLUMNS, AutoIncrement,
                    "UserPermissionID", kEntityNoFlags)
};

class CTBLUserPermission : public CTBLUserPermissionBase {
 public:
  // Non-zero when the row grants against `requirement` (callers pass ""):
  // for `PrivilegeType` 1, 1 when the number of `PrivilegeValue` is below the
  // number of `requirement`, else 0; for any other type, the number of
  // `PrivilegeValue` itself. A text's number is its leading decimal integer
  // (blanks and a sign allowed), 0 for an empty or non-numeric text.
  int CheckPrivilege(const std::string& requirement) const;
};
