// The system event row (TBL_SystemEvents): one event of the system with its
// last state and three detail texts; its changes go with it. Not cached by
// the store. Besides the columns it keeps a description that a query may
// deliver beside the table's own columns.
#pragma once

#include <string>

#include "entities/base/LogDetails.h"
#include "entities/base/RowClass.h"

// clang-format off
#define TBL_SYSTEM_EVENTS_COLUMNS(C)                  \
  C(Int, "SystemEventID", SystemEventID, 0)           \
  C(Int, "EventTypeID", EventTypeID, 0)               \
  C(Int, "RelatedID", RelatedID, 0)                   \
  C(Int, "RelatedType", RelatedType, 0)               \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")     \
  C(Int, "RecordID", RecordID, 0)                     \
  C(String, "Detail1", Detail1, "")                   \
  C(String, "Detail2", Detail2, "")                   \
  C(String, "Detail3", Detail3, "")                   \
  C(Bool, "IsAlarm", IsAlarm, 0)                      \
  C(Int, "LastStatus", LastStatus, 0)                 \
  C(Int, "ResultCodeID", ResultCodeID, 0)             \
  C(Int, "LastUserID", LastUserID, 0)                 \
  C(Int, "LastClientID", LastClientID, 0)             \
  C(DateTime, "DateTimeUpdated", DateTimeUpdated, "")
// clang-format on

class CTBLSystemEventBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLSystemEventBase, "TBL_SystemEvents", TBL_SYSTEM_EVENTS_COLUMNS, AutoIncrement,
                    "SystemEventID", kEntityExcludedFromCache)
  GATE_ENTITY_RELATIONS({"TBL_SystemEventChanges", "SystemEventID", 0, kRelationModeDelete})
};

// The description is no column: never written, serialised, copied (CopyTo,
// Clone or the copy constructor) nor recorded as a change. Read under the
// row lock.
class CTBLSystemEvent : public CTBLSystemEventBase, public ILogDetails {
 public:
  CTBLSystemEvent() = default;
  CTBLSystemEvent(const CTBLSystemEvent& other) : CTBLSystemEventBase(other) {}

  // The columns; then, when `row` carries a `description` column, its text
  // ("" for NULL or empty); without one the description stays.
  void LoadFrom(CKeyValueData& row) override;
  std::string GetDescription() const;

  // ILogDetails: copies of `Detail1`, `Detail2` and `Detail3` (the column getters).
  std::string GetDetail1() const override { return CTBLSystemEventBase::GetDetail1(); }
  std::string GetDetail2() const override { return CTBLSystemEventBase::GetDetail2(); }
  std::string GetDetail3() const override { return CTBLSystemEventBase::GetDetail3(); }

 private:

  std::string description_;  // guarded by the row lock
};
