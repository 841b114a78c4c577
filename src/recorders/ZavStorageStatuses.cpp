#include "recorders/ZavStorageStatuses.h"

void CZavStorageStatuses::Serialize(CSerializationInfo& record) const {
  record.SetName(GetTypeName());
  CSerializationInfo& node = *record.GetOrAddChild();
  node.SetName("Storage");
  ZAV_WRITE_FIELDS(ZAV_STORAGE_STATUSES_FIELDS)
  SerializeItems(node, Storages_);
}

void CZavStorageStatuses::Deserialize(const CSerializationInfo& record) {
  if (!ZavIsNamed(record, GetTypeName()) || !record.GetFirstChild()) return;
  const CSerializationInfo& node = *record.GetFirstChild();
  ZAV_READ_FIELDS(ZAV_STORAGE_STATUSES_FIELDS)
  int32_t left = StorageCount_;
  for (const CSerializationInfo* item = node.GetFirstChild(); item && left > 0; item = item->GetNextSibling(), --left) {
    CZavStorageStatus storage;
    storage.Deserialize(*item);
    Storages_.push_back(storage);
  }
}
