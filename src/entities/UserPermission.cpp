#include "entities/UserPermission.h"

int CTBLUserPermission::CheckPrivilege(const std::string& requirement) const {
  int value = ParseIntColumnText(GetPrivilegeValue().c_str());
  if (GetPrivilegeType() == 1) return value < ParseIntColumnText(requirement.c_str()) ? 1 : 0;
  return value;
}

GATE_REGISTER_ENTITY(CTBLUserPermission);
