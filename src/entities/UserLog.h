// A user's log entry (TBL_UserLog): event type, user, client, time, related
// object, three detail texts and a result code. Like every log table it is
// kept out of the stores' caches; it stays when its user is deleted.
#pragma once

#include <string>

#include "entities/base/LogDetails.h"
#include "entities/base/RowClass.h"

// clang-format off
#define TBL_USER_LOG_COLUMNS(C)                         \
  C(Int, "UserLogID", UserLogID, 0)                     \
  C(Int, "EventTypeID", EventTypeID, 0)                 \
  C(Int, "UserID", UserID, 0)                           \
  C(Int, "ClientID", ClientID, 0)                       \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")       \
  C(Int, "RelatedID", RelatedID, 0)                     \
  C(Int, "RelatedType", RelatedType, 0)                 \
  C(String, "Detail1", Detail1, "")                     \
  C(String, "Detail2", Detail2, "")                     \
  C(String, "Detail3", Detail3, "")                     \
  C(Int, "ResultCodeID", ResultCodeID, 0)
// clang-format on

class CTBLUserLogBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLUserLogBase, "TBL_UserLog", TBL_USER_LOG_COLUMNS, AutoIncrement, "UserLogID",
                    kEntityExcludedFromCache)
};

class CTBLUserLog : public CTBLUserLogBase, public ILogDetails {
 public:
  std::string GetDetail1() const override { return CTBLUserLogBase::GetDetail1(); }
  std::string GetDetail2() const override { return CTBLUserLogBase::GetDetail2(); }
  std::string GetDetail3() const override { return CTBLUserLogBase::GetDetail3(); }
  // "EventType: <EventTypeID>, UserID: <UserID>, ClientID: <ClientID>".
  std::string GetDisplayText() const override;
};
