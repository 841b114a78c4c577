#include "services/ServerStatusDocument.h"

#include <memory>

#include "database/IDataStore.h"
#include "entities/VasGPUStatus.h"
#include "entities/analysis/Vas.h"

std::vector<CServerStatusData> CollectServerStatuses(IDataStore& store) {
  std::vector<CServerStatusData> servers;
  for (const auto& entry : store.GetCachedEntityList("TBL_Vas")) {
    auto server = std::dynamic_pointer_cast<CTBLVas>(entry.second);
    if (!server) continue;
    CServerStatusData data;
    data.SetKey(server->GetVasID());
    data.SetAddress(server->GetAddr());
    data.SetServerKind(CServerStatusData::kAnalysisServerKind);
    int number = 0;
    for (const auto& gpuEntry : server->GetGPUStatusRows()) {
      auto row = std::dynamic_pointer_cast<CLTBLVasGPUStatus>(gpuEntry.second);
      if (!row) continue;
      CServerStatusGPUData gpu;
      gpu.SetGPUNumber(++number);
      gpu.SetModelName(row->GetModelName());
      gpu.SetGPUUsage(row->GetUsagePercent());
      data.GetGPUList().push_back(gpu);
    }
    servers.push_back(std::move(data));
  }
  return servers;
}
