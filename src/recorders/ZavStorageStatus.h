// CZavStorageStatus ("StorageItem"): one storage device of a recording
// server: name, model, sizes, state texts, temperature, bad sectors, whether
// the server records to it now, and its recorded time range. A plain value.
#pragma once

#include "recorders/ZavRecordFields.h"

#define ZAV_STORAGE_STATUS_FIELDS(F) \
  F(ZavText, Name)                   \
  F(ZavText, Model)                  \
  F(ZavInt64, TotalSize)             \
  F(ZavInt64, UsedSize)              \
  F(ZavInt64, FreeSize)              \
  F(ZavText, Type)                   \
  F(ZavText, Use)                    \
  F(ZavText, Status)                 \
  F(ZavInt, ID)                      \
  F(ZavText, Enable)                 \
  F(ZavText, Memo)                   \
  F(ZavText, AverageMbps)            \
  F(ZavText, TemperatureStatus)      \
  F(ZavFloat, TemperatureCelsius)    \
  F(ZavText, DiskSmartStatus)        \
  F(ZavText, BadSectorStatus)        \
  F(ZavInt, BadSectorPercent)        \
  F(ZavFlag, CurrentRecording)       \
  F(ZavText, StartDate)              \
  F(ZavText, StartTime)              \
  F(ZavText, EndDate)                \
  F(ZavText, EndTime)

class CZavStorageStatus : public CSerializable {
 public:
  const char* GetTypeName() const override { return "StorageItem"; }
  // Names the node "StorageItem" and adds the 22 values.
  void Serialize(CSerializationInfo& node) const override;
  // A node of another name leaves the record as it was; else every field is
  // set, absent values to 0, 0.0 or "".
  void Deserialize(const CSerializationInfo& node) override;

  ZAV_DECLARE_FIELDS(ZAV_STORAGE_STATUS_FIELDS)
};
