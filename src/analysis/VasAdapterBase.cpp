#include "analysis/VasAdapterBase.h"

#include "entities/analysis/Vas.h"

VasAdapterBase::VasAdapterBase(const CTBLVas& row)
    : name_(row.GetName()),
      loginId_(row.GetLoginID()),
      loginPassword_(row.GetLoginPassword()),
      port_(static_cast<uint16_t>(row.GetPort())),
      controlPort_(static_cast<uint16_t>(row.GetControlPort())),
      useSecure_(row.GetUseSecure()) {}
