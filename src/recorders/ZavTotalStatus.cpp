#include "recorders/ZavTotalStatus.h"

void CZavTotalStatus::Serialize(CSerializationInfo& node) const {
  node.SetName(GetTypeName());
  ZAV_WRITE_FIELDS(ZAV_TOTAL_STATUS_FIELDS)
}

void CZavTotalStatus::Deserialize(const CSerializationInfo& node) {
  if (!ZavIsNamed(node, GetTypeName())) return;
  ZAV_READ_FIELDS(ZAV_TOTAL_STATUS_FIELDS)
}
