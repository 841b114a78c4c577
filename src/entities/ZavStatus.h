// The live status of one recording server (LTBL_ZavStatus): version,
// processor and memory use, network traffic, camera and stream failure
// counts, the rates of its stream kinds, recording failures and buffer use,
// and the channels that lost video. One row per server, keyed by the
// server's `no`; memory-only (see LiveStatusRow.h).
#pragma once

#include <string>

#include "entities/LiveStatusRow.h"

// clang-format off
#define LTBL_ZAV_STATUS_COLUMNS(C)                                        \
  C(Int, "ZavID", ZavID, 0, column::LegacyName("nrsid"))                 \
  C(String, "Version", Version, "")                                       \
  C(Int, "CpuUsage", CpuUsage, 0)                                         \
  C(Float, "TotalMemory", TotalMemory, 0.0f)                              \
  C(Float, "UsedMemory", UsedMemory, 0.0f)                                \
  C(Bool, "Service", Service, 0)                                          \
  C(UInt32, "TotalTraffic", TotalTraffic, 0)                              \
  C(UInt32, "InboundTraffic", InboundTraffic, 0)                          \
  C(UInt32, "OutboundTraffic", OutboundTraffic, 0)                        \
  C(Float, "CaptureBufferUsingrate", CaptureBufferUsingrate, 0.0f)        \
  C(Int, "LicenseCount", LicenseCount, 0)                                 \
  C(Int, "CameraCount", CameraCount, 0)                                   \
  C(Int, "FailureCameraCount", FailureCameraCount, 0)                     \
  C(Int, "HighStreamFailureCount", HighStreamFailureCount, 0)             \
  C(Int, "LowStreamFailureCount", LowStreamFailureCount, 0)               \
  C(UInt32, "TotalBps", TotalBps, 0)                                      \
  C(UInt32, "HighStreamBps", HighStreamBps, 0)                            \
  C(Int, "HighStreamFps", HighStreamFps, 0)                               \
  C(UInt32, "LowStreamBps", LowStreamBps, 0)                              \
  C(Int, "LowStreamFps", LowStreamFps, 0)                                 \
  C(UInt32, "MobileStreamBps", MobileStreamBps, 0)                        \
  C(Int, "MobileStreamFps", MobileStreamFps, 0)                           \
  C(UInt32, "AuxStreamBps", AuxStreamBps, 0)                              \
  C(Int, "AuxStreamFps", AuxStreamFps, 0)                                 \
  C(UInt32, "AudioBps", AudioBps, 0)                                      \
  C(UInt32, "MetaBps", MetaBps, 0)                                        \
  C(Int, "RecordFailureCount", RecordFailureCount, 0)                     \
  C(UInt32, "RecordPeriod", RecordPeriod, 0)                              \
  C(Float, "RecordBufferUsingrate", RecordBufferUsingrate, 0.0f)          \
  C(UInt32, "FaultClearingWaitTime", FaultClearingWaitTime, 0)            \
  C(String, "VideoLossHighChannels", VideoLossHighChannels, "")           \
  C(String, "VideoLossLowChannels", VideoLossLowChannels, "")
// clang-format on

class CLTBLZavStatusBase : public CDBEntity {
  GATE_ENTITY_TABLE(CLTBLZavStatusBase, "LTBL_ZavStatus", LTBL_ZAV_STATUS_COLUMNS, Plain, "ZavID",
                    kEntityMemoryOnly)
};

// Besides the columns, three disk warnings and the server's operating-system
// text, none of them columns: not listed, loaded, serialised or copied by
// CopyTo (the copy constructor keeps them). The warnings' setters record and
// notify under their own names; the operating-system text is assigned under
// the row lock, with no change record and no notification.
class CLTBLZavStatus
    : public CLiveStatusRow<CLTBLZavStatusBase, &CLTBLZavStatusBase::GetZavID, &CLTBLZavStatusBase::SetZavID> {
 public:
  CLTBLZavStatus() = default;
  CLTBLZavStatus(const CLTBLZavStatus& other);

  virtual int GetDiskTemperatureWarning() const { return ReadColumn(m_diskTemperatureWarning); }
  virtual void SetDiskTemperatureWarning(int value) {
    SetIntProperty("DiskTemperatureWarning", &m_diskTemperatureWarning, value);
  }
  virtual int GetDiskSmartWarning() const { return ReadColumn(m_diskSmartWarning); }
  virtual void SetDiskSmartWarning(int value) { SetIntProperty("DiskSmartWarning", &m_diskSmartWarning, value); }
  virtual int GetDiskBadWarning() const { return ReadColumn(m_diskBadWarning); }
  virtual void SetDiskBadWarning(int value) { SetIntProperty("DiskBadWarning", &m_diskBadWarning, value); }
  std::string GetOperatingSystem() const { return ReadColumn(m_operatingSystem); }
  void SetOperatingSystem(const std::string& text) {
    CScopedLock hold(GetRowLock());
    m_operatingSystem = text;
  }

 private:
  int m_diskTemperatureWarning = 0;
  int m_diskSmartWarning = 0;
  int m_diskBadWarning = 0;
  std::string m_operatingSystem;  // guarded by the row lock
};
