// The application row (TBL_Applications): an application package stored as a
// resource (`ResourceID`), with its kind, platform and version; it goes with
// its resource.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_APPLICATIONS_COLUMNS(C)              \
  C(Int, "ApplicationID", ApplicationID, 0)      \
  C(Int, "ResourceID", ResourceID, 0)            \
  C(Int, "ApplicationKind", ApplicationKind, 0)  \
  C(Int, "PlatformType", PlatformType, 0)        \
  C(String, "Version", Version, "")
// clang-format on

class CTBLApplicationBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLApplicationBase, "TBL_Applications", TBL_APPLICATIONS_COLUMNS, AutoIncrement, "ApplicationID", kEntityNoFlags)
};

class CTBLApplication : public CTBLApplicationBase {};
