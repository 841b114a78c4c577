#include "entities/ZavStatus.h"

CLTBLZavStatus::CLTBLZavStatus(const CLTBLZavStatus& other)
    : CLiveStatusRow(other),
      diskTemperatureWarning_(other.GetDiskTemperatureWarning()),
      diskSmartWarning_(other.GetDiskSmartWarning()),
      diskBadWarning_(other.GetDiskBadWarning()),
      operatingSystem_(other.GetOperatingSystem()) {}

GATE_REGISTER_ENTITY(CLTBLZavStatus);
