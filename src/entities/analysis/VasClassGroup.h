// The class group row of an analysis device (TBL_VasClassGroup): an object
// class list with its schedule task. Deleted with its device.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VAS_CLASS_GROUP_COLUMNS(C)                    \
  C(Int, "VasClassGroupID", VasClassGroupID, 0)           \
  C(Int, "VasDeviceID", VasDeviceID, 0)                   \
  C(String, "ClassList", ClassList, "")                   \
  C(Int, "ScheduleTaskID", ScheduleTaskID, 0)
// clang-format on

class CTBLVasClassGroupBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasClassGroupBase, "TBL_VasClassGroup", TBL_VAS_CLASS_GROUP_COLUMNS, AutoIncrement,
                    "VasClassGroupID", kEntityNoFlags)
};

class CTBLVasClassGroup : public CTBLVasClassGroupBase {};
