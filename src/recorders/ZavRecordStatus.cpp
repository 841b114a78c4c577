#include "recorders/ZavRecordStatus.h"

void CZavRecordStatus::Serialize(CSerializationInfo& node) const {
  node.SetName(GetTypeName());
  ZavGroupWriter groups(node);
  ZAV_WRITE_GROUP_FIELDS(ZAV_RECORD_STATUS_FIELDS)
}

void CZavRecordStatus::Deserialize(const CSerializationInfo& node) {
  if (!ZavIsNamed(node, GetTypeName())) return;
  for (const CSerializationInfo* group = node.GetFirstChild(); group; group = group->GetNextSibling()) {
    const CSerializationInfo& child = *group;
    ZAV_READ_GROUP_FIELDS(ZAV_RECORD_STATUS_FIELDS)
  }
}
