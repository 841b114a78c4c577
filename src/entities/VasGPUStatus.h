// The live status of one GPU of an analysis server (LTBL_VasGPUStatus):
// identifier, bus, model, usage and memory. Keyed by a number of its own (the
// status publisher takes it from the ID source under the table name), owned
// by the server in `VasID`; memory-only (see LiveStatusRow.h).
#pragma once

#include "entities/LiveStatusRow.h"

// The accessors of the GPU's own "ID" column are GetGPUID/SetGPUID: GetID and
// SetID are the row's key operations.
// clang-format off
#define LTBL_VAS_GPU_STATUS_COLUMNS(C)                    \
  C(Int, "VasGPUStatusID", VasGPUStatusID, 0)             \
  C(Int, "VasID", VasID, 0)                               \
  C(Int, "ID", GPUID, 0, column::IrregularAccessor)       \
  C(String, "PciBusID", PciBusID, "")                     \
  C(String, "ModelName", ModelName, "")                   \
  C(Int, "UsagePercent", UsagePercent, 0)                 \
  C(Float, "TotalMemory", TotalMemory, 0.0f)              \
  C(Float, "UsedMemory", UsedMemory, 0.0f)
// clang-format on

class CLTBLVasGPUStatusBase : public CDBEntity {
  GATE_ENTITY_TABLE(CLTBLVasGPUStatusBase, "LTBL_VasGPUStatus", LTBL_VAS_GPU_STATUS_COLUMNS, Plain,
                    "VasGPUStatusID", kEntityMemoryOnly)
};

class CLTBLVasGPUStatus : public CLiveStatusRow<CLTBLVasGPUStatusBase, &CLTBLVasGPUStatusBase::GetVasID,
                                                &CLTBLVasGPUStatusBase::SetVasID> {};
