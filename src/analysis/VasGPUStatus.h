// CVasGPUStatus ("GPUItem"): one GPU of an analysis server's status
// document: its id, PCI bus id, model, usage and memory. A plain value kept
// in the total status's GPU map.
#pragma once

#include "foundation/RecordFields.h"

#define VAS_GPU_STATUS_FIELDS(F) \
  F(RecordInt, ID)                 \
  F(RecordText, PciBusID)          \
  F(RecordText, ModelName)         \
  F(RecordInt, UsagePercent)       \
  F(RecordFloat, TotalMemory)      \
  F(RecordFloat, UsedMemory)

class CVasGPUStatus : public CSerializable {
 public:
  const char* GetTypeName() const override { return "GPUItem"; }
  RECORD_FLAT_SERIALIZATION(VAS_GPU_STATUS_FIELDS)

  RECORD_DECLARE_FIELDS(VAS_GPU_STATUS_FIELDS)
};
