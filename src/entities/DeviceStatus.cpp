#include "entities/DeviceStatus.h"

int CLTBLDeviceStatus::HasStreamFailure() const {
  return (GetHighStreamConnection() == 0 || GetLowStreamConnection() == 0) ? 1 : 0;
}

GATE_REGISTER_ENTITY(CLTBLDeviceStatus);
