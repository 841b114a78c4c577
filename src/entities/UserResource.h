// A link of a user to a resource (TBL_UserResources). Deleted with its user;
// a deleted resource sets its `ResourceID` to 0.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_USER_RESOURCES_COLUMNS(C)                     \
  C(Int, "UserResourceID", UserResourceID, 0)             \
  C(Int, "UserID", UserID, 0)                             \
  C(Int, "ResourceID", ResourceID, 0)                     \
  C(Int, "Kind", Kind, 0)                                 \
  C(DateTime, "DateTimeUpdated", DateTimeUpdated, "")
// clang-format on

class CTBLUserResourceBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLUserResourceBase, "TBL_UserResources", TBL_USER_RESOURCES_COLUMNS, AutoIncrement,
                    "UserResourceID", kEntityNoFlags)
};

class CTBLUserResource : public CTBLUserResourceBase {};
