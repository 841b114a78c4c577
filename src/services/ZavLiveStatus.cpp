#include "services/ZavLiveStatus.h"

#include <algorithm>
#include <map>
#include <vector>

#include "database/IDataStore.h"
#include "entities/Camera.h"
#include "entities/DeviceStatus.h"
#include "entities/NRS.h"
#include "entities/ZavStatus.h"
#include "recorders/ZavEventStream.h"
#include "recorders/ZavSysteminformation.h"
#include "services/ServiceLog.h"

namespace {

void WriteZavServerRow(CLTBLZavStatus& row, const CZavEventStream& stream, const CZavSysteminformation* info) {
  const CZavTotalStatus& total = stream.GetTotalStatus();
  const CZavRecordStatus& record = stream.GetRecordStatus();
  row.SetVersion(total.GetVersion());
  row.SetCpuUsage(total.GetCPU());
  row.SetTotalMemory(total.GetTotalMemory());
  row.SetUsedMemory(total.GetUsedMemory());
  row.SetService(total.GetService());
  row.SetTotalTraffic(total.GetTotalTraffic());
  row.SetInboundTraffic(total.GetInboundTraffic());
  row.SetOutboundTraffic(total.GetOutboundTraffic());
  row.SetLicenseCount(total.GetTotalLicenseCount());
  row.SetCameraCount(total.GetTotalCameraCount());
  row.SetFailureCameraCount(total.GetTotalDisconnectedCameraCount());
  row.SetHighStreamFailureCount(total.GetTotalHighStreamDisconnectedCameraCount());
  row.SetLowStreamFailureCount(total.GetTotalLowStreamDisconnectedCameraCount());
  row.SetTotalBps(total.GetTotalBps());
  row.SetHighStreamBps(total.GetTotalHighStreamVideoBps());
  row.SetHighStreamFps(total.GetTotalHighStreamVideoFps());
  row.SetLowStreamBps(total.GetTotalLowStreamVideoBps());
  row.SetLowStreamFps(total.GetTotalLowStreamVideoFps());
  row.SetMobileStreamBps(total.GetTotalMobileStreamVideoBps());
  row.SetMobileStreamFps(total.GetTotalMobileStreamVideoFps());
  row.SetAuxStreamBps(total.GetTotalAuxStreamVideoBps());
  row.SetAuxStreamFps(total.GetTotalAuxStreamVideoFps());
  row.SetAudioBps(total.GetTotalAudioBps());
  row.SetMetaBps(total.GetTotalMetaBps());
  row.SetRecordFailureCount(record.GetError());
  row.SetRecordBufferUsingrate(record.GetBufferUsingRate());
  row.SetVideoLossHighChannels(stream.GetVideoLossHighStreamChannels());
  row.SetVideoLossLowChannels(stream.GetVideoLossLowStreamChannels());
  if (info) row.SetOperatingSystem(info->GetOS());
}

// The six columns of one stream kind of a camera's status row.
#define ZAV_WRITE_STREAM(Row, Channel, Kind)                                        \
  do {                                                                              \
    (Row).Set##Kind##StreamConnection((Channel).Get##Kind##StreamConnection());     \
    (Row).Set##Kind##StreamCodec((Channel).Get##Kind##StreamVideoCodec());          \
    (Row).Set##Kind##StreamResolution((Channel).Get##Kind##StreamVideoResolution()); \
    (Row).Set##Kind##StreamBps((Channel).Get##Kind##StreamVideoBps());              \
    (Row).Set##Kind##StreamFps((Channel).Get##Kind##StreamVideoFps());              \
    (Row).Set##Kind##StreamErrorCode(ParseStreamErrorText((Channel).Get##Kind##StreamFailureInformation())); \
  } while (0)

void WriteCameraRow(CLTBLDeviceStatus& row, const CZavChannelStatus& channel) {
  row.SetStreamCount(channel.GetStreamCount());
  ZAV_WRITE_STREAM(row, channel, High);
  ZAV_WRITE_STREAM(row, channel, Low);
  ZAV_WRITE_STREAM(row, channel, Mobile);
  ZAV_WRITE_STREAM(row, channel, Aux);
  ZAV_WRITE_STREAM(row, channel, Transcode);
  row.SetAudioCodec(channel.GetAudioCodec());
  row.SetAudioBps(channel.GetAudioBps());
  row.SetMetaBps(channel.GetMetaBps());
  row.SetFirstRecordDate(channel.GetFirstRecordDate());
  row.SetFirstRecordTime(channel.GetFirstRecordTime());
  row.SetLastRecordDate(channel.GetLastRecordDate());
  row.SetLastRecordTime(channel.GetLastRecordTime());
  row.SetPing(channel.GetPing());
}

#undef ZAV_WRITE_STREAM

bool Contains(const std::vector<int32_t>& list, int value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

void ApplyStatus(IDataStore& store, CTBLNRS& server, int64_t now, const CZavEventStream& stream,
                 const CZavSysteminformation* info) {
  std::shared_ptr<CLTBLZavStatus> serverRow = server.GetStatus();
  if (serverRow) WriteZavServerRow(*serverRow, stream, info);

  std::map<int, std::shared_ptr<CLTBLDeviceStatus>> cameraRows;
  for (const auto& entry : store.GetCachedEntityList("LTBL_DeviceStatus")) {
    if (auto row = std::dynamic_pointer_cast<CLTBLDeviceStatus>(entry.second)) cameraRows[row->GetDeviceID()] = row;
  }

  for (const auto& [number, channel] : stream.GetChannelStatuses()) {
    std::shared_ptr<CTBLCamera> camera = server.FindCameraByChannel(number);
    if (!camera) continue;
    auto found = cameraRows.find(camera->GetID());
    if (found == cameraRows.end()) continue;
    CLTBLDeviceStatus& row = *found->second;
    WriteCameraRow(row, channel);
    row.SetStatusTime(now);
    camera->SetStreamFailure(row.HasStreamFailure());
  }

  const std::vector<int32_t> recording = stream.GetRecordStatus().GetRecordChannelList();
  const std::vector<int32_t> panic = stream.GetRecordStatus().GetPanicRecordChannelList();
  for (const auto& entry : server.GetAllCameras()) {
    auto camera = std::dynamic_pointer_cast<CTBLCamera>(entry.second);
    if (!camera) continue;
    auto found = cameraRows.find(camera->GetID());
    if (found == cameraRows.end()) continue;
    found->second->SetPanicRecord(Contains(panic, camera->GetZavChannel()) ? 1 : 0);
    found->second->SetScheduleRecord(Contains(recording, camera->GetZavChannel()) ? 1 : 0);
  }

  if (serverRow) serverRow->SetStatusTime(now);
}

}  // namespace

void CZavLiveStatus::OnMessage(IDataStore& store, const std::shared_ptr<CTBLNRS>& server, int64_t now,
                               const IMessagePublisher::_message_t& message, const CServiceLog& log) {
  if (!server) return;
  SERVICE_LOG(log, "OnZavSystemStatusHandler", "INFO - %s Message Raised.\r\n", message.message.c_str());
  if (message.message == "MSG_CONNECTED") {
    server->SetFaultFlag(0);
  } else if (message.message == "MSG_CONNECT_FAILED") {
    server->SetFaultFlag(1);
  } else if (message.message == "MSG_STATUS_RECEIVED") {
    const auto* stream = reinterpret_cast<const CZavEventStream*>(message.value2);
    if (!stream) return;
    ApplyStatus(store, *server, now, *stream, reinterpret_cast<const CZavSysteminformation*>(message.value3));
  }
}
