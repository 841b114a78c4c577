// CZavTotalStatus ("TotalStatus"): the totals of a recording server's status
// document: version, processor and memory use, traffic, licence and camera
// counts, bit and frame rates per stream kind. A plain value; no lock.
#pragma once

#include "recorders/ZavRecordFields.h"

#define ZAV_TOTAL_STATUS_FIELDS(F)                     \
  F(ZavText, Version)                                  \
  F(ZavInt, CPU)                                       \
  F(ZavFloat, TotalMemory)                             \
  F(ZavFloat, UsedMemory)                              \
  F(ZavInt, Service)                                   \
  F(ZavInt, TotalTraffic)                              \
  F(ZavInt, InboundTraffic)                            \
  F(ZavInt, OutboundTraffic)                           \
  F(ZavInt, TotalLicenseCount)                         \
  F(ZavInt, TotalCameraCount)                          \
  F(ZavInt, TotalDisconnectedCameraCount)              \
  F(ZavInt, TotalHighStreamDisconnectedCameraCount)    \
  F(ZavInt, TotalLowStreamDisconnectedCameraCount)     \
  F(ZavInt, TotalBps)                                  \
  F(ZavInt, TotalHighStreamVideoBps)                   \
  F(ZavInt, TotalHighStreamVideoFps)                   \
  F(ZavInt, TotalLowStreamVideoBps)                    \
  F(ZavInt, TotalLowStreamVideoFps)                    \
  F(ZavInt, TotalMobileStreamVideoBps)                 \
  F(ZavInt, TotalMobileStreamVideoFps)                 \
  F(ZavInt, TotalAuxStreamVideoBps)                    \
  F(ZavInt, TotalAuxStreamVideoFps)                    \
  F(ZavInt, TotalAudioBps)                             \
  F(ZavInt, TotalMetaBps)

class CZavTotalStatus : public CSerializable {
 public:
  const char* GetTypeName() const override { return "TotalStatus"; }
  // Names the node "TotalStatus" and adds the 24 values.
  void Serialize(CSerializationInfo& node) const override;
  // A node of another name leaves the record as it was; else every field is
  // set, absent values to 0, 0.0 or "".
  void Deserialize(const CSerializationInfo& node) override;
  void CopyFrom(const CZavTotalStatus& other) { *this = other; }

  ZAV_DECLARE_FIELDS(ZAV_TOTAL_STATUS_FIELDS)
};
