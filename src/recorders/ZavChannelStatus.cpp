#include "recorders/ZavChannelStatus.h"

void CZavChannelStatus::Serialize(CSerializationInfo& node) const {
  node.SetName(GetTypeName());
  ZAV_WRITE_FIELDS(ZAV_CHANNEL_STATUS_FIELDS)
}

void CZavChannelStatus::Deserialize(const CSerializationInfo& node) {
  if (!ZavIsNamed(node, GetTypeName())) return;
  ZAV_READ_FIELDS(ZAV_CHANNEL_STATUS_FIELDS)
}
