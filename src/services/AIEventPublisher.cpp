#include "services/AIEventPublisher.h"

#include "database/DBDataStore.h"
#include "database/DataStore.h"
#include "entities/Camera.h"
#include "entities/analysis/VasDevice.h"
#include "entities/analysis/VasIntelligentEvent.h"
#include "entities/analysis/VasLineCross.h"
#include "entities/analysis/VasROI.h"
#include "foundation/DateTimeUtil.h"
#include "foundation/StringUtil.h"
#include "services/AnalysisServerRows.h"

namespace {

CEventServiceConfig MakeAIEventPublisherConfig() {
  CEventServiceConfig config;
  config.sourceFile = "AIEventPublisher";
  config.className = "CAIEventPublisher";
  config.mainTaskName = "OnEventPublisherMain";
  config.senderTaskName = "OnEventDataSend";
  config.statusFilePattern = "AIEvent_*.dat";
  config.mainPoolName = "EVENT_PUBLISHER";
  config.mainPoolWorkers = 3;
  config.senderPoolName = "EVENT_SENDER";
  config.senderPoolWorkers = 10;
  config.mainDelayMs = 60000;
  config.mainFailureDelayMs = 10000;
  config.statusSaveDelayMs = 10000;
  config.senderFirstDelayMs = 0;
  config.sendQueueLimit = 1000;
  return config;
}

constexpr int kExpiryDelayMs = 1000;
// How long an idle building-IoT sender pass waits for records (a Stop waits
// at most this long for it).
constexpr int kBIoTSenderWaitMs = 100;
// An intelligent event of this type is never raised by a region.
constexpr int kEventTypeNotForRegions = 3;

// The seconds since 1970 of a result's local date and time; 0 before 1900.
int64_t ResultTime(const CVAR& result) {
  SystemTime time = result.GetTimestamp();
  if (time.year < 1900) return 0;
  int64_t seconds = SystemTimeToTime(time);
  return seconds < 0 ? 0 : seconds;
}

template <class Row>
std::shared_ptr<Row> RowOf(const EntityPtr& entity) {
  return std::dynamic_pointer_cast<Row>(entity);
}

}  // namespace

const CEventServiceConfig kAIEventPublisherConfig = MakeAIEventPublisherConfig();

CAIEventPublisher::CAIEventPublisher(CLocalAppSettings& settings, std::shared_ptr<platform::Clock> clock,
                                     const CEventServiceConfig& config)
    : TEventServiceFrame(kAIEventPublisherKind, config, settings, &CLocalAppSettings::Option_GetAIEventPublisherItems,
                         std::move(clock)) {
  AddPeriodicTask(kExpiryDelayMs, [this] {
    ExpireActiveEvents();
    return kExpiryDelayMs;
  });
}

CAIEventPublisher::~CAIEventPublisher() {
  Stop();
  receiver_.Stop();
}

void CAIEventPublisher::ApplyHiddenSettings(const CGateServiceHiddenSettings& hidden) {
  if (hidden.bIoTEnabled) {
    SetSendMode(kSendModeBIoT);
    SetSiteID(hidden.bIoTSiteID);
    SetEventInterval(hidden.bIoTEventInterval);
  }
  SetDwellTime(hidden.vaEventDwellTime);
}

std::string CAIEventPublisher::MakeStatusFileName(const CAIEventPublisherItem& job) const {
  return MakeUrlStatusFileName("AIEvent_%s_Status_%d.dat", job.GetTargetUrl(), job.GetID());
}

void CAIEventPublisher::OnStartSettings(CLocalAppSettings& settings) {
  eventStatusSendPeriod_.store(settings.GetEventStatusSendPeriod());
}

void CAIEventPublisher::OnStartReset() {
  // The next main pass connects with the settings just copied. The maps go
  // with the stores their rows belong to.
  {
    CScopedLock hold(dataLock_);
    devices_.clear();
    store_.reset();
    dbStore_.reset();
  }
  {
    CScopedLock hold(vasListLock_);
    vasList_.clear();
  }
  crowdFilter_.Clear();
}

void CAIEventPublisher::OnStopped() { receiver_.Stop(); }

int CAIEventPublisher::RunSenderPass(int id) {
  // Send mode 2 queues no HTTP bodies: its records go to the building-IoT queues.
  return IsBIoTMode() ? RunBIoTSenderPass(id) : SendQueuedBodies(id);
}

int CAIEventPublisher::RunBIoTSenderPass(int id) {
  std::vector<CBIoTEventData> records = bIoTSender_.Take(id, kBIoTSenderWaitMs);
  if (records.empty()) return 0;
  const CAIEventPublisherItem job = GetItem(id);
  StatusPtr status = FindStatus(id);
  if (!status) return 0;
  CBIoTEventSender::Settings settings;
  settings.siteID = siteId_;
  settings.eventInterval = eventInterval_;
  settings.duplicateWindow = dwellTime_.load();
  std::shared_ptr<CBIoTEventPublisher> notifier = bIoTSender_.GetNotifier(
      id, {job.GetTargetUrl(), job.GetTargetLoginID(), job.GetTargetPasswordPlain()}, settings);
  const int code = bIoTSender_.Send(
      id, *notifier, std::move(records), [this] { return IsRunning(); },
      [this](const CBIoTEventData& record, bool notified) {
        if (notified) {
          Log().Write("OnBIoTEventDataSend", __LINE__, 2, "INFO - [%s - %s] event notified.\r\n",
                      record.cameraName.c_str(), record.eventName.c_str());
        } else {
          SERVICE_LOG(Log(), "OnBIoTEventDataSend", "ERROR - NotifyEvent fialed.. [%s - %s]\r\n",
                      record.cameraName.c_str(), record.eventName.c_str());
        }
      });
  const int64_t now = GetClock()->NowSeconds();
  status->Update([code, now](CAIEventPublisherItemStatus& s) {
    s.SetLastErrorCode(code);
    s.SetLastExecutedTime(now);
  });
  return 0;
}

bool CAIEventPublisher::RunMainPass() {
  std::shared_ptr<CDBDataStore> dbStore;
  std::shared_ptr<CDataStore> store;
  {
    CScopedLock hold(dataLock_);
    dbStore = dbStore_;
    store = store_;
  }
  if (!dbStore) {
    const CServiceSettings& settings = GetServiceSettings();
    dbStore = std::make_shared<CDBDataStore>("MARIADB");
    dbStore->Initialize(settings.databaseAddress.c_str(), settings.databasePort, settings.databaseName.c_str(),
                        settings.databaseLoginID.c_str(), settings.databasePassword.c_str());
    store = std::make_shared<CDataStore>(dbStore.get());
    CScopedLock hold(dataLock_);
    dbStore_ = dbStore;
    store_ = store;
  }
  store->Clear();
  if (!dbStore->IsConnected(0)) return false;

  // The new maps are read with no lock held, then swapped in.
  std::map<CVasChannelKey, DeviceEntry> devices;
  for (const auto& entry : store->GetCachedEntityList(CTBLVasDevice::kTableName)) {
    auto device = RowOf<CTBLVasDevice>(entry.second);
    if (!device) continue;
    DeviceEntry& slot = devices[CVasChannelKey(0, device->GetVasID(), device->GetChannelNo())];
    slot.device = device;
    slot.camera = RowOf<CTBLCamera>(store->FindCachedEntity(CTBLCamera::kTableName, device->GetDeviceID()));
  }
  {
    CScopedLock hold(dataLock_);
    devices_.swap(devices);
  }

  const CServiceSettings& settings = GetServiceSettings();
  std::map<int, CVasConnInfo> servers;
  for (const CAnalysisServerRow& row : ReadAnalysisServerRows(*store)) {
    CVasConnInfo info;
    info.VasID = row.vasId;
    info.Type = row.type;
    info.AuthType = row.authType;
    info.Address = row.address;
    info.Port = row.useSecure ? row.secureWebPort : row.webPort;
    info.UseSecure = row.useSecure ? 1 : 0;
    info.UseFR = row.useFR ? 1 : 0;
    info.LoginID = settings.systemLoginID;
    info.Password = settings.systemPassword;
    servers[info.VasID] = info;
  }
  bool changed;
  {
    CScopedLock hold(vasListLock_);
    changed = servers != vasList_;
  }
  if (changed) {
    receiver_.Stop();
    receiver_.Thumbnail = IsBIoTMode() ? 1 : 0;
    receiver_.ThumbnailInterval = 1;
    receiver_.UseChannelFilter = 0;
    receiver_.ConnInfos.clear();
    for (const auto& entry : servers) receiver_.ConnInfos.push_back(entry.second);
    receiver_.Run(&CAIEventPublisher::VasMetaCallback, this);
    ++receiverRestarts_;
  }
  {
    CScopedLock hold(vasListLock_);
    vasList_.swap(servers);
  }
  ++mainPasses_;
  return true;
}

std::map<int, CVasConnInfo> CAIEventPublisher::GetVasList() {
  CScopedLock hold(vasListLock_);
  return vasList_;
}

bool CAIEventPublisher::VasMetaCallback(CVAR* result, void* param) {
  if (result == nullptr || param == nullptr) return false;
  return static_cast<CAIEventPublisher*>(param)->OnMetaEvent(result);
}

bool CAIEventPublisher::OnMetaEvent(CVAR* result) {
  std::unique_ptr<CVAR> owned(result);
  const int64_t now = GetClock()->NowSeconds();
  const CVasChannelKey key(0, result->VasID, result->Channel);

  CCrowdReading best = CCrowdDensityFilter::ChooseBest(result->CrowdDensities);
  bool publishCrowd = !result->CrowdDensities.empty() &&
                      crowdFilter_.ShouldPublish(key, best, now, eventStatusSendPeriod_.load());

  std::vector<CVAREvent> events;
  {
    CScopedLock hold(result->Lock);
    events = result->Events;
  }
  if (!publishCrowd && events.empty()) return true;

  DeviceEntry entry;
  std::shared_ptr<CDataStore> store;
  {
    CScopedLock hold(dataLock_);
    auto it = devices_.find(key);
    if (it != devices_.end()) entry = it->second;
    store = store_;
  }
  if (!entry.device || !store) return true;
  const CTBLVasDevice& device = *entry.device;
  const bool bIoT = IsBIoTMode();
  const int64_t time = ResultTime(*result);
  if (bIoT && entry.camera) {
    result->DeviceID = entry.camera->GetNo();
    UpdateThumbnail(*result, time);
  }

  std::map<int, std::shared_ptr<CTBLVasROI>> regions;
  for (const auto& row : device.GetROIRows(true)) {
    if (auto region = RowOf<CTBLVasROI>(row.second)) regions[region->GetROINumber()] = region;
  }
  std::map<int, std::shared_ptr<CTBLVasLineCross>> lines;
  for (const auto& row : device.GetLineCrosses()) {
    if (auto line = RowOf<CTBLVasLineCross>(row.second)) lines[line->GetNumber()] = line;
  }
  auto findEvent = [&store](int eventId) -> std::shared_ptr<CTBLVasIntelligentEvent> {
    if (eventId <= 0) return nullptr;
    return RowOf<CTBLVasIntelligentEvent>(store->FindCachedEntity(CTBLVasIntelligentEvent::kTableName, eventId));
  };

  const SystemTime resultTime = result->GetTimestamp();
  std::vector<CAIEventData> records;
  std::vector<CBIoTEventData> bIoTRecords;
  auto onMatch = [&](const CTBLVasIntelligentEvent& event) {
    activeEvents_.SetActiveEvent(device.GetVasDeviceID(), event.GetVasIntelligentEventID(), now);
    if (bIoT) {
      // Without the camera row there is nothing to name the camera by: no record.
      std::string thumbnail;
      if (!entry.camera || !FindThumbnail(*result, time, &thumbnail)) return;
      CBIoTEventData record;
      record.cameraId = entry.camera->GetNo();
      record.zavNo = entry.camera->GetZavNo();
      record.zavChannel = entry.camera->GetZavChannel();
      record.intelligentEventId = event.GetVasIntelligentEventID();
      record.eventTime = time;
      record.cameraName = entry.camera->GetName();
      record.eventName = event.GetName();
      record.eventImage = thumbnail;
      bIoTRecords.push_back(std::move(record));
      return;
    }
    CAIEventData record;
    record.SetDEV_ID(device.GetDeviceID());
    record.SetEVT_ID(event.GetVasIntelligentEventID());
    record.SetEVT_NM(event.GetName());
    record.SetEventTime(time);
    records.push_back(std::move(record));
  };

  CTBLVasDevice& schedules = *entry.device;
  for (const CVAREvent& event : events) {
    for (int number : event.ROINumbers) {
      auto region = regions.find(number);
      if (region == regions.end()) continue;
      auto row = findEvent(region->second->GetVasIntelligentEventID());
      if (!row || row->GetEventType() == kEventTypeNotForRegions) continue;
      if (!schedules.IsROIScheduleActive(region->second->GetROINumber(), resultTime)) continue;
      onMatch(*row);
    }
    for (int number : event.LineNumbers) {
      auto line = lines.find(number);
      if (line == lines.end()) continue;
      auto row = findEvent(line->second->GetVasIntelligentEventID());
      if (!row) continue;
      if (!schedules.IsLineCrossScheduleActive(line->second->GetNumber(), resultTime)) continue;
      onMatch(*row);
    }
  }

  // The crowd-density record goes only on the HTTP road: the building-IoT
  // record has no place for a level or a density.
  if (!bIoT && publishCrowd) {
    auto region = regions.find(best.roiNumber);
    auto row = region == regions.end() ? nullptr : findEvent(region->second->GetVasIntelligentEventID());
    if (row) {
      CAIEventData record;
      record.SetDEV_ID(device.GetDeviceID());
      record.SetEVT_ID(row->GetVasIntelligentEventID());
      record.SetEVT_NM(row->GetName());
      record.SetEventTime(time);
      record.SetALARM(best.event != 0);
      record.SetEVT_KIND(1);
      record.SetEVT_VALUE1(StrFormat("%d", best.level));
      record.SetEVT_VALUE2(StrFormat("%.1f", best.density));
      records.push_back(std::move(record));
    }
  }

  if (!records.empty()) PublishEvent(records);
  if (!bIoTRecords.empty()) PublishEventToBIoT(bIoTRecords);
  return true;
}

void CAIEventPublisher::UpdateThumbnail(const CVAR& result, int64_t time) {
  std::string text = result.GetThumbnail();
  if (text.empty()) return;
  thumbnails_[result.DeviceID] = {time, std::move(text)};
}

bool CAIEventPublisher::FindThumbnail(const CVAR& result, int64_t time, std::string* thumbnail) const {
  auto it = thumbnails_.find(result.DeviceID);
  if (it == thumbnails_.end() || it->second.time != time) return false;
  *thumbnail = it->second.text;
  return true;
}

void CAIEventPublisher::PublishEvent(const std::vector<CAIEventData>& events) {
  std::string json = SerializeAIEvents(events);
  SERVICE_LOG(Log(), "PublishEvent", "INFO - Publish Event : %s\r\n", json.c_str());
  QueueBody(EncodeEventBody(json, GetServiceSettings()), "PublishEvent");
}

void CAIEventPublisher::SetBIoTEventSink(std::function<void(const std::vector<CBIoTEventData>&)> sink) {
  CScopedLock hold(sinkLock_);
  bIoTSink_ = std::move(sink);
}

void CAIEventPublisher::PublishEventToBIoT(const std::vector<CBIoTEventData>& events) {
  std::vector<int> flushed;
  bIoTSender_.Queue(GetJobIDs(), events, &flushed);
  for (int id : flushed) SERVICE_LOG(Log(), "PublishEventToBIoT", "INFO - SendQ is full (%d)\r\n", id);
  std::function<void(const std::vector<CBIoTEventData>&)> sink;
  {
    CScopedLock hold(sinkLock_);
    sink = bIoTSink_;
  }
  if (sink) sink(events);
}

void CAIEventPublisher::ExpireActiveEvents() {
  activeEvents_.ExpireActiveEvents(GetClock()->NowSeconds(), dwellTime_.load());
}
