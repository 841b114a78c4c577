#include "entities/ZavStatus.h"

#include "entities/LegacyColumnName.h"

void CLTBLZavStatusBase::LoadFrom(CKeyValueData& row) {
  CScopedLock hold(GetRowLock());
  LoadWithLegacyName(*this, row, "zavid", "nrsid");
}

CLTBLZavStatus::CLTBLZavStatus(const CLTBLZavStatus& other)
    : CLiveStatusRow(other),
      m_diskTemperatureWarning(other.GetDiskTemperatureWarning()),
      m_diskSmartWarning(other.GetDiskSmartWarning()),
      m_diskBadWarning(other.GetDiskBadWarning()) {}

GATE_REGISTER_ENTITY(CLTBLZavStatus);
