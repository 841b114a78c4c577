// The server status document: its exact JSON shape and the records' reading.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/JsonSerializer.h"
#include "services/ServerStatusData.h"

namespace {

CServerStatusData Server(int key, const std::string& address, std::vector<std::pair<std::string, int>> gpus) {
  CServerStatusData server;
  server.SetKey(key);
  server.SetAddress(address);
  server.SetServerKind(CServerStatusData::kAnalysisServerKind);
  int number = 0;
  for (const auto& [model, usage] : gpus) {
    CServerStatusGPUData gpu;
    gpu.SetGPUNumber(++number);
    gpu.SetModelName(model);
    gpu.SetGPUUsage(usage);
    server.GetGPUList().push_back(gpu);
  }
  return server;
}

TEST(ServerStatusDocumentTest, TheDocumentHasItsExactShape) {
  const struct {
    const char* name;
    std::vector<CServerStatusData> servers;
    const char* json;
  } cases[] = {
      {"no server", {}, "[]"},
      {"one GPU",
       {Server(1, "10.0.0.5", {{"RTX A4000", 35}})},
       R"([{"Key":"1", "Address":"10.0.0.5", "ServerKind":"1", "GPUList":[{"GPUNumber":"1", "ModelName":"RTX A4000", "GPUUsage":"35"}]}])"},
      {"no GPU row: no GPUList member",
       {Server(2, "10.0.0.6", {})},
       R"([{"Key":"2", "Address":"10.0.0.6", "ServerKind":"1"}])"},
      {"two servers, three GPUs",
       {Server(1, "a", {{"A", 1}, {"B", 2}, {"C", 3}}), Server(7, "q\"uote", {})},
       R"([{"Key":"1", "Address":"a", "ServerKind":"1", "GPUList":[{"GPUNumber":"1", "ModelName":"A", "GPUUsage":"1"}, )"
       R"({"GPUNumber":"2", "ModelName":"B", "GPUUsage":"2"}, {"GPUNumber":"3", "ModelName":"C", "GPUUsage":"3"}]}, )"
       R"({"Key":"7", "Address":"q\"uote", "ServerKind":"1"}])"},
  };
  for (const auto& c : cases) EXPECT_EQ(SerializeServerStatuses(c.servers), c.json) << c.name;
}

// `json` read into a record through the JSON reader (which lower-cases the names).
template <class Record>
Record Read(const std::string& json) {
  Record record;
  EXPECT_TRUE(CJsonSerializer::Deserialize(json, &record)) << json;
  return record;
}

TEST(ServerStatusDocumentTest, AServerReadsBackItsGPUsOnlyFromAFirstMemberNamedGPUList) {
  std::string json = SerializeServerStatuses({Server(3, "h", {{"T4", 9}})});
  auto read = Read<CServerStatusData>(json.substr(1, json.size() - 2));
  EXPECT_EQ(read.GetKey(), 3);
  EXPECT_EQ(read.GetAddress(), "h");
  EXPECT_EQ(read.GetServerKind(), 1);
  ASSERT_EQ(read.GetGPUList().size(), 1u);
  EXPECT_EQ(read.GetGPUList()[0].GetGPUNumber(), 1);
  EXPECT_EQ(read.GetGPUList()[0].GetModelName(), "T4");
  EXPECT_EQ(read.GetGPUList()[0].GetGPUUsage(), 9);

  read = Read<CServerStatusData>(
      R"({"Key":"4", "Other":[{"A":"1"}], "gpuList":[{"GPUNumber":"1", "ModelName":"ignored", "GPUUsage":"1"}]})");
  EXPECT_EQ(read.GetKey(), 4);
  EXPECT_TRUE(read.GetGPUList().empty()) << "a later GPUList member does not count, and the old list is gone";
  read = Read<CServerStatusData>(R"({"KEY":"5", "gpulist":[{"gpunumber":"2", "MODELNAME":"m", "GpuUsage":"3"}]})");
  ASSERT_EQ(read.GetGPUList().size(), 1u);
  EXPECT_EQ(read.GetGPUList()[0].GetGPUNumber(), 2);
  EXPECT_EQ(read.GetGPUList()[0].GetModelName(), "m");
  EXPECT_EQ(read.GetGPUList()[0].GetGPUUsage(), 3);

  CSerializationInfo bare;
  Server(5, "x", {}).Serialize(bare);
  EXPECT_EQ(bare.GetFirstChild(), nullptr);
  EXPECT_EQ(bare.GetValueCount(), 3);
}

}  // namespace
