// CVasTotalStatus ("TotalStatus"): the totals of an analysis server's status
// document: version, DNN, processor, memory and traffic, licence and camera
// counts, frame and bit rates, and its GPUs (a map ordered by GPU id, only
// ids above 0). A plain value; no lock.
#pragma once

#include <stdint.h>

#include <map>

#include "analysis/VasGPUStatus.h"
#include "foundation/RecordFields.h"

#define VAS_TOTAL_STATUS_FIELDS(F)            \
  F(RecordText, Version)                      \
  F(RecordText, DNN)                          \
  F(RecordInt, CPU)                           \
  F(RecordFloat, TotalMemory)                 \
  F(RecordFloat, UsedMemory)                  \
  F(RecordInt, TotalTraffic)                  \
  F(RecordInt, InboundTraffic)                \
  F(RecordInt, OutboundTraffic)               \
  F(RecordInt, TotalLicenseCount)             \
  F(RecordInt, TotalCameraCount)              \
  F(RecordInt, TotalDisconnectedCameraCount)  \
  F(RecordInt, TotalReceivedBps)              \
  F(RecordInt, TotalReceivedFps)              \
  F(RecordInt, TotalDecodedBps)               \
  F(RecordInt, TotalDecodedFps)               \
  F(RecordDouble, TotalProcessedFps)          \
  F(RecordDouble, TotalUnprocessedFps)

class CVasTotalStatus : public CSerializable {
 public:
  using GPUMap = std::map<int32_t, CVasGPUStatus>;

  const char* GetTypeName() const override { return "TotalStatus"; }
  // Names the node "TotalStatus", adds the values in list order (not the
  // GPU count), then one "GPUItem" child per GPU in id order.
  void Serialize(CSerializationInfo& node) const override;
  // A node of another name leaves the record as it was; else every value is
  // set (absent ones to 0 or ""), "gpucount" read in any case, and every
  // "GPUItem" child with an id above 0 stored under its id (a later one
  // replaces an earlier); GPUs the document omits stay.
  void Deserialize(const CSerializationInfo& node) override;

  RECORD_DECLARE_FIELDS(VAS_TOTAL_STATUS_FIELDS)

 public:
  int32_t GetGPUCount() const { return gpuCount_; }
  void SetGPUCount(int32_t count) { gpuCount_ = count; }
  GPUMap& GetGPUs() { return gpus_; }
  const GPUMap& GetGPUs() const { return gpus_; }
  void SetGPUs(const GPUMap& gpus) { gpus_ = gpus; }

 private:
  int32_t gpuCount_ = 0;
  GPUMap gpus_;
};
