#include "services/ServerStatusData.h"

#include "foundation/JsonSerializer.h"

void CServerStatusGPUData::Serialize(CSerializationInfo& node) const {
  node.SetName(GetTypeName());
  node.AddInt("GPUNumber", gpuNumber_);
  node.AddValue("ModelName", modelName_);
  node.AddInt("GPUUsage", gpuUsage_);
}

void CServerStatusGPUData::Deserialize(const CSerializationInfo& node) {
  gpuNumber_ = node.GetInt("gpunumber");
  modelName_ = node.GetValue("modelname");
  gpuUsage_ = node.GetInt("gpuusage");
}

void CServerStatusData::Serialize(CSerializationInfo& node) const {
  node.SetName(GetTypeName());
  node.AddInt("Key", key_);
  node.AddValue("Address", address_);
  node.AddInt("ServerKind", serverKind_);
  SerializeNamedList(node, "GPUList", gpuList_);
}

void CServerStatusData::Deserialize(const CSerializationInfo& node) {
  key_ = node.GetInt("key");
  address_ = node.GetValue("address");
  serverKind_ = node.GetInt("serverkind");
  gpuList_.clear();
  if (const CSerializationInfo* list = FindListChild(node, "gpulist")) DeserializeItems(*list, &gpuList_);
}

std::string SerializeServerStatuses(const std::vector<CServerStatusData>& servers) {
  // The serializer writes nothing for an array without elements.
  if (servers.empty()) return "[]";
  CSerializationInfo root;
  root.SetArray(true);
  SerializeItems(root, servers);
  std::string json;
  CJsonSerializer::Serialize(root, &json);
  return json;
}
