// CZavStorageStatuses ("Records"): a recording server's storage document:
// below "Records" one group (the server sends "Storage") with the period, the
// fault-clearing wait time, the device count as the server states it and one
// "StorageItem" per device. Built fresh for every part; no lock.
#pragma once

#include <vector>

#include "recorders/ZavRecordFields.h"
#include "recorders/ZavStorageStatus.h"

#define ZAV_STORAGE_STATUSES_FIELDS(F) \
  F(ZavInt, Period)                    \
  F(ZavInt, FaultClearingWaitTime)     \
  F(ZavInt, StorageCount)

class CZavStorageStatuses : public CSerializable {
 public:
  const char* GetTypeName() const override { return "Records"; }
  // "Records" with one child "Storage" holding the three values and, when
  // there are devices, one child per device.
  void Serialize(CSerializationInfo& node) const override;
  // A node of another name, or one without a first child node, leaves the
  // record as it was. Else the first child (whatever its name) gives the three
  // values and, when StorageCount is 1 or more, up to that many devices are
  // appended in document order (a child of another name as a default device).
  void Deserialize(const CSerializationInfo& node) override;

  std::vector<CZavStorageStatus> GetStorages() const { return Storages_; }
  void SetStorages(const std::vector<CZavStorageStatus>& storages) { Storages_ = storages; }

  ZAV_DECLARE_FIELDS(ZAV_STORAGE_STATUSES_FIELDS)

 private:
  std::vector<CZavStorageStatus> Storages_;
};
