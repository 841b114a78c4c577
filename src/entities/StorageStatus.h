// The live status of one storage unit of a recording server
// (LTBL_StorageStatus): name, model, sizes, kinds, status, temperature,
// S.M.A.R.T. and bad-sector states and the period it holds recordings for.
// Keyed by a number of its own (set by whoever creates the row), owned by the
// recording server in `ZavID`; memory-only (see LiveStatusRow.h).
#pragma once

#include "entities/LiveStatusRow.h"

// `Enabled`'s setter only assigns: it records no change and tells nobody.
// clang-format off
#define LTBL_STORAGE_STATUS_COLUMNS(C)                              \
  C(Int, "StorageStatusID", StorageStatusID, 0)                     \
  C(Int, "ZavID", ZavID, 0)                                         \
  C(String, "Name", Name, "")                                       \
  C(String, "Model", Model, "")                                     \
  C(UInt64, "TotalSize", TotalSize, 0)                              \
  C(UInt64, "UsedSize", UsedSize, 0)                                \
  C(UInt64, "FreeSize", FreeSize, 0)                                \
  C(Int, "MediaKind", MediaKind, 0)                                 \
  C(Int, "UsageKind", UsageKind, 0)                                 \
  C(String, "Status", Status, "")                                   \
  C(Int, "ManageID", ManageID, 0)                                   \
  C(Bool, "Enabled", Enabled, 0, column::NoChangeRecord)            \
  C(String, "Memo", Memo, "")                                       \
  C(String, "AverageMbps", AverageMbps, "")                         \
  C(Int, "TemperatureStatus", TemperatureStatus, 0)                 \
  C(Float, "Temperature", Temperature, 0.0f)                        \
  C(Int, "SMARTStatus", SMARTStatus, 0)                             \
  C(Int, "BadSectorStatus", BadSectorStatus, 0)                     \
  C(Int, "BadSector", BadSector, 0)                                 \
  C(Bool, "Recording", Recording, 0)                                \
  C(DateTime, "RecordStartTime", RecordStartTime, "")               \
  C(DateTime, "RecordEndTime", RecordEndTime, "")
// clang-format on

class CLTBLStorageStatusBase : public CDBEntity {
  GATE_ENTITY_TABLE(CLTBLStorageStatusBase, "LTBL_StorageStatus", LTBL_STORAGE_STATUS_COLUMNS, Plain,
                    "StorageStatusID", kEntityMemoryOnly)
};

class CLTBLStorageStatus : public CLiveStatusRow<CLTBLStorageStatusBase, &CLTBLStorageStatusBase::GetZavID,
                                                 &CLTBLStorageStatusBase::SetZavID> {};
