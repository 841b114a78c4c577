// VasAdapterBase: what every analysis-server adapter copies from the
// server's TBL_Vas row when it is built: the name, the login the client
// store attached to the row (not its `User`/`Password` columns), the port
// (CTBLVas::GetPort), the control port and the use-secure flag.
#pragma once

#include <stdint.h>

#include <string>

#include "analysis/IVasService.h"

class VasAdapterBase : public IVasService {
 public:
  explicit VasAdapterBase(const CTBLVas& row);

  const std::string& GetName() const { return name_; }
  const std::string& GetLoginID() const { return loginId_; }
  const std::string& GetLoginPassword() const { return loginPassword_; }
  uint16_t GetPort() const { return port_; }
  uint16_t GetControlPort() const { return controlPort_; }
  int GetUseSecure() const { return useSecure_; }

 protected:
  std::string name_;
  std::string loginId_;
  std::string loginPassword_;
  uint16_t port_ = 0;
  uint16_t controlPort_ = 0;
  int useSecure_ = 0;
};
