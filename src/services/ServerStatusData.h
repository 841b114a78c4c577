// The records of the posted server status document: one analysis server
// (CServerStatusData: its key, address, kind 1 and its GPUs) and one of its
// graphics processors (CServerStatusGPUData: its 1-based number, model and
// usage). Both are named "ServerStatus"; the document is a JSON array of
// server objects, each with a "GPUList" member only when it has GPUs.
// Plain values; no lock.
#pragma once

#include <string>
#include <vector>

#include "foundation/SerializationInfo.h"

class CServerStatusGPUData : public CSerializable {
 public:
  const char* GetTypeName() const override { return "ServerStatus"; }
  // "GPUNumber", "ModelName", "GPUUsage", numbers as "%d".
  void Serialize(CSerializationInfo& node) const override;
  // The three values by their lower-case names (absent: 0 or ""); the node's
  // name is not looked at.
  void Deserialize(const CSerializationInfo& node) override;

  int GetGPUNumber() const { return gpuNumber_; }
  void SetGPUNumber(int number) { gpuNumber_ = number; }
  const std::string& GetModelName() const { return modelName_; }
  void SetModelName(const std::string& name) { modelName_ = name; }
  int GetGPUUsage() const { return gpuUsage_; }
  void SetGPUUsage(int usage) { gpuUsage_ = usage; }

 private:
  int gpuNumber_ = 0;
  std::string modelName_;
  int gpuUsage_ = 0;
};

class CServerStatusData : public CSerializable {
 public:
  // An analysis server is always of server kind 1.
  static constexpr int kAnalysisServerKind = 1;

  const char* GetTypeName() const override { return "ServerStatus"; }
  // "Key", "Address", "ServerKind"; then, only when the list holds a GPU, a
  // child "GPUList" marked as an array with one node per GPU in list order.
  void Serialize(CSerializationInfo& node) const override;
  // The three values by their lower-case names; the GPU list is emptied and
  // refilled from the node's first child only when that child is named
  // "gpulist" (any letter case).
  void Deserialize(const CSerializationInfo& node) override;

  int GetKey() const { return key_; }
  void SetKey(int key) { key_ = key; }
  const std::string& GetAddress() const { return address_; }
  void SetAddress(const std::string& address) { address_ = address; }
  int GetServerKind() const { return serverKind_; }
  void SetServerKind(int kind) { serverKind_ = kind; }
  std::vector<CServerStatusGPUData>& GetGPUList() { return gpuList_; }
  const std::vector<CServerStatusGPUData>& GetGPUList() const { return gpuList_; }
  void SetGPUList(const std::vector<CServerStatusGPUData>& list) { gpuList_ = list; }

 private:
  int key_ = 0;
  std::string address_;
  int serverKind_ = 0;
  std::vector<CServerStatusGPUData> gpuList_;
};

// The JSON text of the document: an array of `servers` in order ("[]" when
// there is none), every value a JSON string, members separated by ", ".
std::string SerializeServerStatuses(const std::vector<CServerStatusData>& servers);
