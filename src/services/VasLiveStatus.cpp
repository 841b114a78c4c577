#include "services/VasLiveStatus.h"

#include <map>
#include <vector>

#include "analysis/VasStatusStream.h"
#include "database/IDataStore.h"
#include "entities/VasDeviceStatus.h"
#include "entities/VasGPUStatus.h"
#include "entities/VasStatus.h"
#include "entities/analysis/Vas.h"
#include "entities/analysis/VasDevice.h"
#include "foundation/IDCreater.h"
#include "services/ServiceLog.h"

namespace {

constexpr const char* kGPUStatusTable = "LTBL_VasGPUStatus";

void WriteVasServerRow(CLTBLVasStatus& row, const CVasTotalStatus& total) {
  row.SetVersion(total.GetVersion());
  row.SetDNN(total.GetDNN());
  row.SetCPU(total.GetCPU());
  row.SetTotalMemory(total.GetTotalMemory());
  row.SetUsedMemory(total.GetUsedMemory());
  row.SetTotalTraffic(total.GetTotalTraffic());
  row.SetInboundTraffic(total.GetInboundTraffic());
  row.SetOutboundTraffic(total.GetOutboundTraffic());
  row.SetTotalLicenseCount(total.GetTotalLicenseCount());
  row.SetTotalCameraCount(total.GetTotalCameraCount());
  row.SetTotalDisconnectedCameraCount(total.GetTotalDisconnectedCameraCount());
  row.SetTotalReceivedBps(total.GetTotalReceivedBps());
  row.SetTotalReceivedFps(total.GetTotalReceivedFps());
  row.SetTotalDecodedBps(total.GetTotalDecodedBps());
  row.SetTotalDecodedFps(total.GetTotalDecodedFps());
  row.SetTotalProcessedFps(total.GetTotalProcessedFps());
  row.SetTotalUnprocessedFps(total.GetTotalUnprocessedFps());
}

void WriteGPURow(CLTBLVasGPUStatus& row, int vasId, const CVasGPUStatus& gpu, int64_t now) {
  row.SetVasID(vasId);
  row.SetGPUID(gpu.GetID());
  row.SetPciBusID(gpu.GetPciBusID());
  row.SetModelName(gpu.GetModelName());
  row.SetUsagePercent(gpu.GetUsagePercent());
  row.SetTotalMemory(gpu.GetTotalMemory());
  row.SetUsedMemory(gpu.GetUsedMemory());
  row.SetStatusTime(now);
}

void WriteChannelRow(CLTBLVasDeviceStatus& row, const CVasChannelStatus& channel, int64_t now) {
  row.SetStreamConnection(channel.GetStreamConnection());
  row.SetStreamVideoCodec(channel.GetStreamVideoCodec());
  row.SetStreamVideoResolution(channel.GetStreamVideoResolution());
  row.SetStreamVideoReceivedBps(channel.GetStreamVideoReceivedBps());
  row.SetStreamVideoReceivedFps(channel.GetStreamVideoReceivedFps());
  row.SetStreamVideoDecodedBps(channel.GetStreamVideoDecodedBps());
  row.SetStreamVideoDecodedFps(channel.GetStreamVideoDecodedFps());
  row.SetStreamVideoProcessedFps(channel.GetStreamVideoProcessedFps());
  row.SetStreamVideoUnprocessedFps(channel.GetStreamVideoUnprocessedFps());
  row.SetStatusTime(now);
}

// Updates the server's GPU rows and adds the missing ones in one transaction.
void ApplyGPUs(IDataStore& store, CTBLVas& server, const CVasTotalStatus& total, int64_t now) {
  std::map<int, std::shared_ptr<CLTBLVasGPUStatus>> rows;
  for (const auto& entry : server.GetGPUStatusRows()) {
    if (auto row = std::dynamic_pointer_cast<CLTBLVasGPUStatus>(entry.second)) rows[row->GetGPUID()] = row;
  }
  int transaction = 0;
  std::vector<int> added;
  for (const auto& [id, gpu] : total.GetGPUs()) {
    auto found = rows.find(gpu.GetID());
    if (found != rows.end()) {
      WriteGPURow(*found->second, server.GetVasID(), gpu, now);
      continue;
    }
    auto row = std::make_unique<CLTBLVasGPUStatus>();
    WriteGPURow(*row, server.GetVasID(), gpu, now);
    if (transaction == 0) transaction = store.NewTransactionId();
    row->SetVasGPUStatusID(CIDCreater::GetInstance()->NextID(CVasLiveStatus::kGPUStatusIdKey));
    if (store.AddEntity(row.get(), transaction)) added.push_back(row->GetVasGPUStatusID());
  }
  if (transaction == 0) return;
  store.CommitTransaction(transaction);
  // The cache keeps copies, and a copy's status time is not a column.
  for (int key : added) {
    if (auto cached = std::dynamic_pointer_cast<CLTBLVasGPUStatus>(store.FindCachedEntity(kGPUStatusTable, key))) {
      cached->SetStatusTime(now);
    }
  }
}

void ApplyChannels(IDataStore& store, CTBLVas& server, const CVasStatusStream& stream, int64_t now) {
  std::map<int, std::shared_ptr<CLTBLVasDeviceStatus>> rows;
  for (const auto& entry : store.GetCachedEntityList("LTBL_VasDeviceStatus")) {
    if (auto row = std::dynamic_pointer_cast<CLTBLVasDeviceStatus>(entry.second)) rows[row->GetVasDeviceID()] = row;
  }
  for (const auto& [number, channel] : stream.GetChannelStatus()) {
    std::shared_ptr<CTBLVasDevice> device = server.FindVasDeviceByChannel(number);
    if (!device) continue;
    auto found = rows.find(device->GetID());
    if (found != rows.end()) WriteChannelRow(*found->second, channel, now);
  }
}

}  // namespace

void CVasLiveStatus::OnMessage(IDataStore& store, const std::shared_ptr<CTBLVas>& server, int64_t now,
                               const IMessagePublisher::_message_t& message, const CServiceLog& log) {
  if (!server) return;
  if (message.message == "MSG_CONNECTED") {
    SERVICE_LOG(log, "OnVasSystemStatusHandler", "OnVasSystemStatusHandler::MSG_CONNECTED [%s]\r\n",
                server->GetDisplayName().c_str());
    server->SetFaultFlag(0);
  } else if (message.message == "MSG_CONNECT_FAILED") {
    SERVICE_LOG(log, "OnVasSystemStatusHandler", "OnVasSystemStatusHandler::MSG_CONNECT_FAILED []\r\n");
    server->SetFaultFlag(1);
  } else if (message.message == "MSG_STATUS_RECEIVED") {
    const auto* stream = reinterpret_cast<const CVasStatusStream*>(message.value2);
    if (!stream) return;
    std::shared_ptr<CLTBLVasStatus> serverRow = server->GetStatus();
    if (serverRow) WriteVasServerRow(*serverRow, stream->GetTotalStatus());
    ApplyGPUs(store, *server, stream->GetTotalStatus(), now);
    ApplyChannels(store, *server, *stream, now);
    if (serverRow) serverRow->SetStatusTime(now);
  }
}
