// The site row (TBL_Sites): a named site with two contacts. Deleted by
// marking; its cameras stay without a site and its markers go with it.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_SITES_COLUMNS(C)           \
  C(Int, "SiteID", SiteID, 0)          \
  C(String, "Name", Name, "")          \
  C(String, "Contact1", Contact1, "")  \
  C(String, "Contact2", Contact2, "")  \
  C(Bool, "IsDeleted", IsDeleted, 0)
// clang-format on

class CTBLSiteBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLSiteBase, "TBL_Sites", TBL_SITES_COLUMNS, AutoIncrement, "SiteID", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_Camera", "SiteID", 0, kRelationModeSetZero},
                        {"TBL_Markers", "SiteID", 0, kRelationModeDelete})
};

class CTBLSite : public CTBLSiteBase {};
