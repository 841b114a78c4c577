// The live status of one analysis device, one analysed camera channel of an
// analysis server (LTBL_VasDeviceStatus): the state and rates of its video
// stream. One row per device, keyed by the device's `VasDeviceID`;
// memory-only (see LiveStatusRow.h).
#pragma once

#include "entities/LiveStatusRow.h"

// clang-format off
#define LTBL_VAS_DEVICE_STATUS_COLUMNS(C)                                 \
  C(Int, "VasDeviceID", VasDeviceID, 0)                                   \
  C(Bool, "StreamConnection", StreamConnection, 0)                        \
  C(String, "StreamVideoCodec", StreamVideoCodec, "")                     \
  C(String, "StreamVideoResolution", StreamVideoResolution, "")           \
  C(UInt32, "StreamVideoReceivedBps", StreamVideoReceivedBps, 0)          \
  C(Int, "StreamVideoReceivedFps", StreamVideoReceivedFps, 0)             \
  C(UInt32, "StreamVideoDecodedBps", StreamVideoDecodedBps, 0)            \
  C(Int, "StreamVideoDecodedFps", StreamVideoDecodedFps, 0)               \
  C(Double, "StreamVideoProcessedFps", StreamVideoProcessedFps, 0.0)      \
  C(Double, "StreamVideoUnprocessedFps", StreamVideoUnprocessedFps, 0.0)
// clang-format on

class CLTBLVasDeviceStatusBase : public CDBEntity {
  GATE_ENTITY_TABLE(CLTBLVasDeviceStatusBase, "LTBL_VasDeviceStatus", LTBL_VAS_DEVICE_STATUS_COLUMNS, Plain,
                    "VasDeviceID", kEntityMemoryOnly)
};

class CLTBLVasDeviceStatus
    : public CLiveStatusRow<CLTBLVasDeviceStatusBase, &CLTBLVasDeviceStatusBase::GetVasDeviceID,
                            &CLTBLVasDeviceStatusBase::SetVasDeviceID> {};
