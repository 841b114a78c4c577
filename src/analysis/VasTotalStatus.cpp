#include "analysis/VasTotalStatus.h"

void CVasTotalStatus::Serialize(CSerializationInfo& node) const {
  node.SetName(GetTypeName());
  RECORD_WRITE_FIELDS(VAS_TOTAL_STATUS_FIELDS)
  CSerializationInfo* item = nullptr;
  for (const auto& entry : gpus_) {
    item = item ? item->AppendSibling() : node.GetOrAddChild();
    entry.second.Serialize(*item);
  }
}

void CVasTotalStatus::Deserialize(const CSerializationInfo& node) {
  if (!RecordIsNamed(node, GetTypeName())) return;
  RECORD_READ_FIELDS(VAS_TOTAL_STATUS_FIELDS)
  gpuCount_ = node.GetInt("gpucount");
  for (const CSerializationInfo* child = node.GetFirstChild(); child; child = child->GetNextSibling()) {
    if (!RecordIsNamed(*child, "GPUItem")) continue;
    CVasGPUStatus gpu;
    gpu.Deserialize(*child);
    if (gpu.GetID() > 0) gpus_[gpu.GetID()] = gpu;
  }
}
