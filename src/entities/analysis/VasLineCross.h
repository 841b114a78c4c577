// The line-crossing row (TBL_VasLineCross): one counting or crossing line on
// the camera image of an analysis device, with its number in the device, the
// intelligent event a crossing raises, its schedule task, its counting
// settings and its place in a group of lines. Deleted with its device;
// deleting its intelligent event or schedule task leaves it unchanged.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VAS_LINE_CROSS_COLUMNS(C)                               \
  C(Int, "VasLineCrossID", VasLineCrossID, 0)                       \
  C(Int, "VasDeviceID", VasDeviceID, 0)                             \
  C(Int, "Number", Number, 0)                                       \
  C(String, "Name", Name, "")                                       \
  C(Int, "VasIntelligentEventID", VasIntelligentEventID, 0)         \
  C(Int, "ScheduleTaskID", ScheduleTaskID, 0)                       \
  C(Int, "Type", Type, 0)                                           \
  C(Int, "Priority", Priority, 0)                                   \
  C(Bool, "IsAlarm", IsAlarm, 1)                                    \
  C(Int, "DwellTime", DwellTime, 0)                                 \
  C(Int, "StartX", StartX, 0)                                       \
  C(Int, "StartY", StartY, 0)                                       \
  C(Int, "EndX", EndX, 0)                                           \
  C(Int, "EndY", EndY, 0)                                           \
  C(Bool, "Enable", Enable, 1)                                      \
  C(DateTime, "DateTimeReset", DateTimeReset, "")                   \
  C(Int, "BaseWidth", BaseWidth, 0)                                 \
  C(Int, "BaseHeight", BaseHeight, 0)                               \
  C(Bool, "UseEvent", UseEvent, 1)                                  \
  C(Bool, "UseObjectCounting", UseObjectCounting, 0)                \
  C(Bool, "IsLineGrouping", IsLineGrouping, 0)                      \
  C(Bool, "IsStartLineInGroup", IsStartLineInGroup, 0)              \
  C(Int, "GroupNumber", GroupNumber, 0)                             \
  C(Int, "OrderInGroup", OrderInGroup, 0)                           \
  C(Int, "AutoCountingResetMode", AutoCountingResetMode, 0)
// clang-format on

class CTBLVasLineCrossBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasLineCrossBase, "TBL_VasLineCross", TBL_VAS_LINE_CROSS_COLUMNS, AutoIncrement,
                    "VasLineCrossID", kEntityNoFlags)
};

// The group operations read the owner store's cache on every call and keep
// nothing; they take the store's locks.
class CTBLVasLineCross : public CTBLVasLineCrossBase {
 public:
  // The lines of this line's group: the cached lines with `IsLineGrouping`
  // set and this line's `VasDeviceID` and `GroupNumber`, ordered by
  // `OrderInGroup` (of two at one place, the higher key). Empty when this
  // line's `IsLineGrouping` is 0 or the row is free.
  std::vector<std::shared_ptr<CTBLVasLineCross>> GetLineGroup() const;
  // The `Number` of each line of GetLineGroup, in its order.
  std::vector<int> GetGroupLineNumbers() const;
  // Those numbers as "%d" joined by `separator`, or by "," when it is empty;
  // "" for an empty group.
  std::string GetGroupLineNumbersText(const std::string& separator) const;
};
