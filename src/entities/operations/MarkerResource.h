// The marker resource row (TBL_MarkerResources): a named set of four
// resources, one per marker state (normal, alarm, disabled, failure).
// Deleting a set leaves its facility groups without one.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_MARKER_RESOURCES_COLUMNS(C)                   \
  C(Int, "MarkerResourceID", MarkerResourceID, 0)         \
  C(String, "Name", Name, "")                             \
  C(Int, "NormalResourceID", NormalResourceID, 0)         \
  C(Int, "AlarmResourceID", AlarmResourceID, 0)           \
  C(Int, "DisableResourceID", DisableResourceID, 0)       \
  C(Int, "FailureResourceID", FailureResourceID, 0)
// clang-format on

class CTBLMarkerResourceBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLMarkerResourceBase, "TBL_MarkerResources", TBL_MARKER_RESOURCES_COLUMNS, AutoIncrement,
                    "MarkerResourceID", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_Facility_Group", "MarkerResourceID", 0, kRelationModeSetZero})
};

class CTBLMarkerResource : public CTBLMarkerResourceBase {};
