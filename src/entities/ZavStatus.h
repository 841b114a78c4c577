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

  virtual int GetDiskTemperatureWarning() const { return ReadColumn(diskTemperatureWarning_); }
  virtual void SetDiskTemperatureWarning(int value) {
    SetIntProperty("DiskTemperatureWarning", &diskTemperatureWarning_, value);
  }
  virtual int GetDiskSmartWarning() const { return ReadColumn(diskSmartWarning_); }
  virtual void SetDiskSmartWarning(int value) { SetIntProperty("DiskSmartWarning", &diskSmartWarning_, value); }
  virtual int GetDiskBadWarning() const { return ReadColumn(diskBadWarning_); }
  virtual void SetDiskBadWarning(int value) { SetIntProperty("DiskBadWarning", &diskBadWarning_, value); }
  std::string GetOperatingSystem() const { return ReadColumn(operatingSystem_); }
  void SetOperatingSystem(const std::string& text) {
    CScopedLock hold(GetRowLock());
    operatingSystem_ = text;
  }

 private:
  int diskTemperatureWarning_ = 0;
  int diskSmartWarning_ = 0;
  int diskBadWarning_ = 0;
  std::string operatingSystem_;  // guarded by the row lock
};
