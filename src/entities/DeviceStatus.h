// The live status of one camera (LTBL_DeviceStatus): its five video streams
// (high, low, mobile, auxiliary, transcoded: connection, codec, resolution,
// data rate, frame rate, error code each), audio and metadata rates, first
// and last recordings, ping, recording and event flags. One row per camera,
// keyed by the camera's `no`; memory-only (see LiveStatusRow.h).
#pragma once

#include "entities/LiveStatusRow.h"

// clang-format off
#define LTBL_DEVICE_STATUS_COLUMNS(C) \
  C(Int, "DeviceID", DeviceID, 0)                                        \
  C(Int, "StreamCount", StreamCount, 0)                                  \
  C(Bool, "HighStreamConnection", HighStreamConnection, 0)               \
  C(String, "HighStreamCodec", HighStreamCodec, "")                      \
  C(String, "HighStreamResolution", HighStreamResolution, "")            \
  C(UInt32, "HighStreamBps", HighStreamBps, 0)                           \
  C(Int, "HighStreamFps", HighStreamFps, 0)                              \
  C(Int, "HighStreamErrorCode", HighStreamErrorCode, 0)                  \
  C(Bool, "LowStreamConnection", LowStreamConnection, 0)                 \
  C(String, "LowStreamCodec", LowStreamCodec, "")                        \
  C(String, "LowStreamResolution", LowStreamResolution, "")              \
  C(UInt32, "LowStreamBps", LowStreamBps, 0)                             \
  C(Int, "LowStreamFps", LowStreamFps, 0)                                \
  C(Int, "LowStreamErrorCode", LowStreamErrorCode, 0)                    \
  C(Bool, "MobileStreamConnection", MobileStreamConnection, 0)           \
  C(String, "MobileStreamCodec", MobileStreamCodec, "")                  \
  C(String, "MobileStreamResolution", MobileStreamResolution, "")        \
  C(UInt32, "MobileStreamBps", MobileStreamBps, 0)                       \
  C(Int, "MobileStreamFps", MobileStreamFps, 0)                          \
  C(Int, "MobileStreamErrorCode", MobileStreamErrorCode, 0)              \
  C(Bool, "AuxStreamConnection", AuxStreamConnection, 0)                 \
  C(String, "AuxStreamCodec", AuxStreamCodec, "")                        \
  C(String, "AuxStreamResolution", AuxStreamResolution, "")              \
  C(UInt32, "AuxStreamBps", AuxStreamBps, 0)                             \
  C(Int, "AuxStreamFps", AuxStreamFps, 0)                                \
  C(Int, "AuxStreamErrorCode", AuxStreamErrorCode, 0)                    \
  C(Bool, "TranscodeStreamConnection", TranscodeStreamConnection, 0)     \
  C(String, "TranscodeStreamCodec", TranscodeStreamCodec, "")            \
  C(String, "TranscodeStreamResolution", TranscodeStreamResolution, "")  \
  C(UInt32, "TranscodeStreamBps", TranscodeStreamBps, 0)                 \
  C(Int, "TranscodeStreamFps", TranscodeStreamFps, 0)                    \
  C(Int, "TranscodeStreamErrorCode", TranscodeStreamErrorCode, 0)        \
  C(String, "AudioCodec", AudioCodec, "")                                \
  C(UInt32, "AudioBps", AudioBps, 0)                                     \
  C(UInt32, "MetaBps", MetaBps, 0)                                       \
  C(String, "FirstRecordDate", FirstRecordDate, "")                      \
  C(String, "FirstRecordTime", FirstRecordTime, "")                      \
  C(String, "LastRecordDate", LastRecordDate, "")                        \
  C(String, "LastRecordTime", LastRecordTime, "")                        \
  C(Int, "Ping", Ping, 0)                                                \
  C(Bool, "ScheduleRecord", ScheduleRecord, 0)                           \
  C(Bool, "PanicRecord", PanicRecord, 0)                                 \
  C(Bool, "AlarmRaised", AlarmRaised, 0)                                 \
  C(Bool, "MotionRaised", MotionRaised, 0)                               \
  C(Bool, "ColorRaised", ColorRaised, 0)                                 \
  C(Bool, "TextInRaised", TextInRaised, 0)                               \
  C(Bool, "TourStatus", TourStatus, 0)                                   \
  C(Bool, "AnalysisRaised", AnalysisRaised, 0)                           \
  C(Bool, "HighVideoLossRaised", HighVideoLossRaised, 0)                 \
  C(Bool, "LowVideoLossRaised", LowVideoLossRaised, 0)                   \
  C(UInt32, "OtherRaisedEvents", OtherRaisedEvents, 0)                   \
  C(Bool, "TamperingRaised", TamperingRaised, 0)                         \
  C(Bool, "DefocusDetectionRaised", DefocusDetectionRaised, 0)           \
  C(Bool, "ShockDetectionRaised", ShockDetectionRaised, 0)               \
  C(Bool, "ObjectDetectionRaised", ObjectDetectionRaised, 0)             \
  C(Bool, "MaskDetectionRaised", MaskDetectionRaised, 0)                 \
  C(Bool, "IntrusionRaised", IntrusionRaised, 0)                         \
  C(Bool, "EnteringRaised", EnteringRaised, 0)                           \
  C(Bool, "ExitingRaised", ExitingRaised, 0)                             \
  C(Bool, "AppearingRaised", AppearingRaised, 0)                         \
  C(Bool, "DisappearingRaised", DisappearingRaised, 0)                   \
  C(Bool, "LoiteringRaised", LoiteringRaised, 0)                         \
  C(Bool, "AudioDetectionRaised", AudioDetectionRaised, 0)               \
  C(Bool, "ScreamRaised", ScreamRaised, 0)                               \
  C(Bool, "GunshotRaised", GunshotRaised, 0)                             \
  C(Bool, "ExplosionRaised", ExplosionRaised, 0)                         \
  C(Bool, "GlassBreakRaised", GlassBreakRaised, 0)                       \
  C(Bool, "TemperatureChangeRaised", TemperatureChangeRaised, 0)         \
  C(Bool, "FlameRaised", FlameRaised, 0)                                 \
  C(Bool, "SmokeRaised", SmokeRaised, 0)                                 \
  C(Bool, "VibrationRaised", VibrationRaised, 0)                         \
  C(String, "Version", Version, "")                                      \
  C(UInt32, "BinaryType", BinaryType, 0)                                
// clang-format on

class CLTBLDeviceStatusBase : public CDBEntity {
  GATE_ENTITY_TABLE(CLTBLDeviceStatusBase, "LTBL_DeviceStatus", LTBL_DEVICE_STATUS_COLUMNS, Plain, "DeviceID",
                    kEntityMemoryOnly)
};

class CLTBLDeviceStatus
    : public CLiveStatusRow<CLTBLDeviceStatusBase, &CLTBLDeviceStatusBase::GetDeviceID,
                            &CLTBLDeviceStatusBase::SetDeviceID> {
 public:
  // 1 when the high or the low stream is not connected, else 0 (the mobile,
  // auxiliary and transcoded streams do not count). Takes no lock.
  int HasStreamFailure() const;
};
