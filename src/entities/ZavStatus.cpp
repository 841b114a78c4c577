#include "entities/ZavStatus.h"

CLTBLZavStatus::CLTBLZavStatus(const CLTBLZavStatus& other)
    : CLiveStatusRow(other),
      m_diskTemperatureWarning(other.GetDiskTemperatureWarning()),
      m_diskSmartWarning(other.GetDiskSmartWarning()),
      m_diskBadWarning(other.GetDiskBadWarning()),
      m_operatingSystem(other.GetOperatingSystem()) {}

GATE_REGISTER_ENTITY(CLTBLZavStatus);
