#include "recorders/ZavStorageStatus.h"

void CZavStorageStatus::Serialize(CSerializationInfo& node) const {
  node.SetName(GetTypeName());
  ZAV_WRITE_FIELDS(ZAV_STORAGE_STATUS_FIELDS)
}

void CZavStorageStatus::Deserialize(const CSerializationInfo& node) {
  if (!ZavIsNamed(node, GetTypeName())) return;
  ZAV_READ_FIELDS(ZAV_STORAGE_STATUS_FIELDS)
}
