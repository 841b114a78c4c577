// The password log row (TBL_PwdLog): one password operation on a camera, with
// the camera's details, the old and new passwords (plain text here), who did
// it and the result. Not cached.
#pragma once

#include <string>

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_PWD_LOG_COLUMNS(C)                                    \
  C(Int, "No", No, 0)                                             \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")                 \
  C(String, "CameraName", CameraName, "")                         \
  C(String, "CameraVendor", CameraVendor, "")                     \
  C(String, "CameraModel", CameraModel, "")                       \
  C(String, "CameraAddress", CameraAddress, "")                   \
  C(Int, "CameraPort", CameraPort, 0)                             \
  C(String, "CameraLoginID", CameraLoginID, "")                   \
  C(String, "CameraLoginOldPassword", CameraLoginOldPassword, "") \
  C(String, "CameraLoginNewPassword", CameraLoginNewPassword, "") \
  C(String, "UserLoginID", UserLoginID, "")                       \
  C(Int, "FunctionType", FunctionType, 0)                         \
  C(String, "CreationRuleName", CreationRuleName, "")             \
  C(Int, "Result", Result, 0)                                     \
  C(Int, "PwdDeviceNo", PwdDeviceNo, 0)                           \
  C(String, "Detail1", Detail1, "")                               \
  C(String, "Detail2", Detail2, "")
// clang-format on

class CTBLPwdLogBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLPwdLogBase, "TBL_PwdLog", TBL_PWD_LOG_COLUMNS, AutoIncrement, "No",
                    kEntityExcludedFromCache)
};

class CTBLPwdLog : public CTBLPwdLogBase {
 public:
  // "UserLoginID: <id>, PwdDeviceNo: <n>, FunctionType: <n>, Result: <n>".
  std::string GetDisplayText() const override;
};
