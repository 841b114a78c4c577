// The analysis-device row (TBL_VasDevice): which camera (`DeviceID`) an
// analysis server (`VasID`) analyses on which of its channels, and how.
// CTBLVasDeviceBase holds the 14 columns; CTBLVasDevice is the class
// registered for the table. Deleted with its camera; its server's delete sets
// `VasID` to 0.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VAS_DEVICE_COLUMNS(C)                             \
  C(Int, "VasDeviceID", VasDeviceID, 0)                       \
  C(Int, "VasID", VasID, 0)                                   \
  C(Int, "DeviceID", DeviceID, 0)                             \
  C(Int, "ChannelNo", ChannelNo, 0)                           \
  C(Bool, "Enable", Enable, 0)                                \
  C(Int, "Protocol", Protocol, 1)                             \
  C(Int, "StreamType", StreamType, 1)                         \
  C(Bool, "IsDeleted", IsDeleted, 0)                          \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")             \
  C(Bool, "UseLPR", UseLPR, 0)                                \
  C(Bool, "UseFR", UseFR, 0)                                  \
  C(Int, "AnalysisModel", AnalysisModel, 1)                   \
  C(Int, "AnalysisFps", AnalysisFps, 5)                       \
  C(Int, "AnalysisNetworkSize", AnalysisNetworkSize, 0)
// clang-format on

// Deleting a device deletes its class groups, regions, line crosses and
// live-status row.
class CTBLVasDeviceBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasDeviceBase, "TBL_VasDevice", TBL_VAS_DEVICE_COLUMNS, AutoIncrement, "VasDeviceID",
                    kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_VasClassGroup", "VasDeviceID", 0, kRelationModeDelete},
                        {"TBL_VasROI", "VasDeviceID", 0, kRelationModeDelete},
                        {"TBL_VasLineCross", "VasDeviceID", 0, kRelationModeDelete},
                        {"LTBL_VasDeviceStatus", "VasDeviceID", 0, kRelationModeDelete})
};

// Still to come with the analysis subsystem: the device's server, camera,
// regions and line crosses, and the region and line schedule tables.
class CTBLVasDevice : public CTBLVasDeviceBase {};
