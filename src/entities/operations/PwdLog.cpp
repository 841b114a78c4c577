#include "entities/operations/PwdLog.h"

#include "foundation/StringUtil.h"

std::string CTBLPwdLog::GetDisplayText() const {
  return StrFormat("UserLoginID: %s, PwdDeviceNo: %d, FunctionType: %d, Result: %d", GetUserLoginID().c_str(),
                   GetPwdDeviceNo(), GetFunctionType(), GetResult());
}

GATE_REGISTER_ENTITY(CTBLPwdLog);
