// The network filter row (TBL_NetworkFilters): a user's allowed or refused
// address range for an app kind, at its place in the filter order; its
// schedules go with it, and it goes with its user.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_NETWORKFILTERS_COLUMNS(C)            \
  C(Int, "NetworkFilterID", NetworkFilterID, 0)  \
  C(String, "Name", Name, "")                    \
  C(Int, "UserID", UserID, 0)                    \
  C(Int, "AppKind", AppKind, 0)                  \
  C(String, "StartAddress", StartAddress, "")    \
  C(String, "EndAddress", EndAddress, "")        \
  C(Bool, "Allow", Allow, 0)                     \
  C(Int, "FilterOrder", FilterOrder, 0)
// clang-format on

class CTBLNetworkFilterBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLNetworkFilterBase, "TBL_NetworkFilters", TBL_NETWORKFILTERS_COLUMNS, AutoIncrement, "NetworkFilterID", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_Schedules", "NetworkFilterID", 0, kRelationModeDelete})
};

class CTBLNetworkFilter : public CTBLNetworkFilterBase {};
