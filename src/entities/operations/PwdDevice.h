// The password device row (TBL_PwdDevice): one camera (`DeviceNo`) whose
// password is managed, with its rule and change interval. Deleted by marking;
// it goes with its camera. The requested password is plain text here.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_PWD_DEVICE_COLUMNS(C)                         \
  C(Int, "No", No, 0)                                     \
  C(Int, "DeviceNo", DeviceNo, 0)                         \
  C(Bool, "Enable", Enable, 0)                            \
  C(Int, "CreationRuleNo", CreationRuleNo, 0)             \
  C(Int, "AutoChangeInterval", AutoChangeInterval, 0)     \
  C(Date, "LastChangeDate", LastChangeDate, "")           \
  C(String, "LastViewDateTime", LastViewDateTime, "")     \
  C(Int, "Status", Status, 0)                             \
  C(String, "RequestedPassword", RequestedPassword, "")   \
  C(Bool, "IsDeleted", IsDeleted, 0)                      \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")
// clang-format on

class CTBLPwdDeviceBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLPwdDeviceBase, "TBL_PwdDevice", TBL_PWD_DEVICE_COLUMNS, AutoIncrement, "No",
                    kEntityNoFlags)
};

class CTBLPwdDevice : public CTBLPwdDeviceBase {};
