// The mobile row (TBL_Mobiles): a user's registered mobile device with its
// app, notification registration and last position; it goes with its user.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_MOBILES_COLUMNS(C)                                 \
  C(Int, "MobileID", MobileID, 0)                              \
  C(Int, "UserID", UserID, 0)                                  \
  C(String, "AppGuid", AppGuid, "")                            \
  C(Int, "AppKind", AppKind, 0)                                \
  C(Int, "OSType", OSType, 0)                                  \
  C(String, "GCMRegID", GCMRegID, "")                          \
  C(DateTime, "DateTimeLastUpdated", DateTimeLastUpdated, "")  \
  C(Double, "Latitude", Latitude, 0)                           \
  C(Double, "Longitude", Longitude, 0)                         \
  C(Bool, "ListenNotification", ListenNotification, 0)         \
  C(Bool, "IsDeleted", IsDeleted, 0)
// clang-format on

class CTBLMobileBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLMobileBase, "TBL_Mobiles", TBL_MOBILES_COLUMNS, AutoIncrement, "MobileID", kEntityNoFlags)
};

class CTBLMobile : public CTBLMobileBase {};
