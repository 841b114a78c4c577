#include "services/ServerStatusPublisher.h"

#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

#include "database/DBDataStore.h"
#include "database/client/ClientDataStore.h"
#include "entities/NRS.h"
#include "entities/analysis/Vas.h"
#include "services/ServerStatusDocument.h"
#include "services/VasLiveStatus.h"
#include "services/ZavLiveStatus.h"

namespace {

CEventServiceConfig MakeServerStatusPublisherConfig() {
  CEventServiceConfig config;
  config.sourceFile = "ServerStatusPublisher";
  config.className = "CServerStatusPublisher";
  config.mainTaskName = "OnPublisherMain";
  config.senderTaskName = "OnPublisherSend";
  config.statusFilePattern = "ServerStatus_*.dat";
  config.mainPoolName = "MAIN_STATUS_PUBLISHER";
  config.mainPoolWorkers = 1;
  config.senderPoolName = "SEND_STATUS_PUBLISHER";
  config.senderPoolWorkers = 10;
  config.mainFirstDelayMs = 0;
  config.mainDelayMs = 5000;
  config.mainFailureDelayMs = 5000;
  config.statusSaveDelayMs = 0;  // the main pass saves every status
  config.senderFirstDelayMs = 10000;
  config.sendQueueLimit = 0;
  return config;
}

// The handlers' settings.
constexpr int kHandlerIntervalSec = 5;
constexpr int kZavExtraTimeoutSec = 10;
constexpr int kSystemStatusMode = 0;

// True when both tables hold the same rows with the same column values.
bool SameRows(const EntityMap64& source, const EntityMap& live) {
  if (source.size() != live.size()) return false;
  for (const auto& entry : source) {
    if (!entry.second) return false;
    auto found = live.find(entry.second->GetID());
    if (found == live.end() || !found->second) return false;
    if (entry.second->GetColumnValues() != found->second->GetColumnValues()) return false;
  }
  return true;
}

}  // namespace

const CEventServiceConfig kServerStatusPublisherConfig = MakeServerStatusPublisherConfig();

CServerStatusPublisher::CServerStatusPublisher(CLocalAppSettings& settings, std::shared_ptr<platform::Clock> clock,
                                               const CEventServiceConfig& config)
    : TEventServiceFrame(kServerStatusPublisherKind, config, settings,
                         &CLocalAppSettings::Option_GetServerStatusPublisherItems, std::move(clock)) {}

CServerStatusPublisher::~CServerStatusPublisher() {
  Stop();
  zavHandler_.Stop();
  vasHandler_.Stop();
}

std::string CServerStatusPublisher::MakeStatusFileName(const CServerStatusPublisherItem& job) const {
  return MakeUrlStatusFileName("ServerStatus_%s_Status_%d.dat", job.GetTargetUrl(), job.GetID());
}

void CServerStatusPublisher::OnStartReset() {
  // The next main pass connects with the settings just copied; the handlers
  // were stopped with the service, so nothing uses the old stores.
  CScopedLock hold(storesLock_);
  live_ = StorePair();
  source_.reset();
  changed_ = false;
}

void CServerStatusPublisher::OnStopped() {
  zavHandler_.Stop();
  vasHandler_.Stop();
}

std::shared_ptr<CClientDataStore> CServerStatusPublisher::GetLiveStore() {
  CScopedLock hold(storesLock_);
  return live_.store;
}

std::shared_ptr<CDBDataStore> CServerStatusPublisher::OpenDatabase(bool /*source*/) {
  const CServiceSettings& settings = GetServiceSettings();
  auto database = std::make_shared<CDBDataStore>();
  database->SetAdapterType("MARIADB");
  database->Initialize(settings.databaseAddress.c_str(), settings.databasePort, settings.databaseName.c_str(),
                       settings.databaseLoginID.c_str(), settings.databasePassword.c_str());
  return database;
}

bool CServerStatusPublisher::RunMainPass() {
  try {
    OnPublisherMain();
  } catch (const std::exception& error) {
    SERVICE_LOG(Log(), "OnPublisherMain", "ERROR - Exception raised in the main pass (%s)\r\n", error.what());
  } catch (...) {
    SERVICE_LOG(Log(), "OnPublisherMain", "ERROR - Exception raised in the main pass (unknown)\r\n");
  }
  SaveAllStatuses();
  ++mainPasses_;
  return true;
}

bool CServerStatusPublisher::ConnectLive(StorePair* live) {
  if (!live->database) live->database = OpenDatabase(false);
  if (!live->database || !live->database->IsConnected(0)) return false;
  // The client store reads the installation's switches when it is made, so
  // it is made over a database that answers.
  if (!live->store) live->store = std::make_shared<CClientDataStore>(live->database.get());
  return true;
}

bool CServerStatusPublisher::ServersChanged(CDBDataStore& source, CClientDataStore& live, bool* readable) {
  EntityMap64 sourceZav, sourceVas;
  *readable = source.ReadCacheRows("TBL_Zav", sourceZav) && source.ReadCacheRows("TBL_Vas", sourceVas);
  if (!*readable) return false;
  return !SameRows(sourceZav, live.GetCachedEntityList("TBL_Zav")) ||
         !SameRows(sourceVas, live.GetCachedEntityList("TBL_Vas"));
}

void CServerStatusPublisher::OnPublisherMain() {
  StorePair live;
  std::shared_ptr<CDBDataStore> source;
  {
    CScopedLock hold(storesLock_);
    live = live_;
    source = source_;
  }
  const bool liveReached = ConnectLive(&live);
  {
    CScopedLock hold(storesLock_);
    live_ = live;
  }
  if (!liveReached) {
    SERVICE_LOG(Log(), "OnPublisherMain", "ERROR - Error raised when connect database.\r\n");
    SetAllStatuses(kStatusDatabaseUnreachable);
    return;
  }
  if (!source) {
    source = OpenDatabase(true);
    changed_ = true;
    CScopedLock hold(storesLock_);
    source_ = source;
  }
  bool readable = source && source->IsConnected(0);
  bool changed = readable && ServersChanged(*source, *live.store, &readable);
  if (!readable) {
    SERVICE_LOG(Log(), "OnPublisherMain", "ERROR - Error raised when connect source database.\r\n");
    SetAllStatuses(kStatusDatabaseUnreachable);
    return;
  }
  const bool restart = changed || changed_;
  changed_ = false;
  if (!restart) return;
  // No callback runs while the cache is emptied: both handlers are stopped.
  zavHandler_.Stop();
  vasHandler_.Stop();
  live.store->Clear();
  StartZavStatusHandler(live.store);
  StartVasStatusHandler(live.store);
  ++handlerStarts_;
}

void CServerStatusPublisher::StartZavStatusHandler(const std::shared_ptr<CClientDataStore>& live) {
  zavHandler_.DataStores.clear();
  zavHandler_.DataStores[live->GetStoreId()] = live.get();
  zavHandler_.Interval = kHandlerIntervalSec;
  zavHandler_.ExtraTimeout = kZavExtraTimeoutSec;
  zavHandler_.Mode = kSystemStatusMode;
  zavHandler_.SubscribeCallback(&CServerStatusPublisher::ZavStatusHandlerCallback, this, nullptr);
  zavHandler_.Start();
}

void CServerStatusPublisher::StartVasStatusHandler(const std::shared_ptr<CClientDataStore>& live) {
  vasHandler_.DataStores.clear();
  vasHandler_.DataStores[live->GetStoreId()] = live.get();
  vasHandler_.Interval = kHandlerIntervalSec;
  vasHandler_.Mode = kSystemStatusMode;
  vasHandler_.WithChannelList = 0;
  vasHandler_.SubscribeCallback(&CServerStatusPublisher::VasStatusHandlerCallback, this, nullptr);
  vasHandler_.Start();
}

template <class Row, class LiveStatus>
void CServerStatusPublisher::DeliverToLiveStore(const IMessagePublisher::_message_t* message, const char* table) {
  if (!message || !message->context1 || !message->value1) return;
  auto* self = static_cast<CServerStatusPublisher*>(message->context1);
  const int64_t now = self->GetClock()->NowSeconds();
  std::shared_ptr<CClientDataStore> live = self->GetLiveStore();
  if (!live) return;
  const auto* pair = reinterpret_cast<const int32_t*>(message->value1);
  auto server = std::dynamic_pointer_cast<Row>(live->FindCachedEntity(table, pair[1]));
  LiveStatus::OnMessage(*live, server, now, *message, self->Log());
}

void CServerStatusPublisher::ZavStatusHandlerCallback(const IMessagePublisher::_message_t* message) {
  DeliverToLiveStore<CTBLNRS, CZavLiveStatus>(message, "TBL_Zav");
}

void CServerStatusPublisher::VasStatusHandlerCallback(const IMessagePublisher::_message_t* message) {
  DeliverToLiveStore<CTBLVas, CVasLiveStatus>(message, "TBL_Vas");
}

int CServerStatusPublisher::RunSenderPass(int id) { return OnPublisherSend(id); }

int CServerStatusPublisher::OnPublisherSend(int id) {
  CServerStatusPublisherItem job = GetItem(id);
  StatusPtr status = FindStatus(id);
  const int64_t longest = senderLongestSleepMs_.load();
  if (!status) return static_cast<int>(longest);
  std::shared_ptr<CClientDataStore> live = GetLiveStore();
  if (!live) return kSenderRepeatMs;

  const int64_t period = std::max(job.GetPeriod(), 0);
  const int64_t nowMs = GetClock()->NowMicros() / 1000;
  const int64_t now = nowMs / 1000;
  const CServerStatusPublisherItemStatus before = status->Get();
  if (!before.GetLastDateTimeExecuted().empty()) {
    // A last attempt in the future (the clock was set back) counts as long
    // past, so the target keeps getting the status.
    const int64_t last = before.GetLastExecutedTime();
    const int64_t due = last + period;
    if (last <= now && due > now) return static_cast<int>(std::min<int64_t>(longest, due * 1000 - nowMs));
  }

  std::string json = SerializeServerStatuses(CollectServerStatuses(*live));
  SERVICE_LOG(Log(), "OnPublisherSend", "INFO - Publish Event : %s\r\n", json.c_str());
  CHttpPostTarget target =
      CHttpPostTarget::FromUrl(job.GetTargetUrl(), job.GetTargetLoginID(), job.GetTargetPasswordPlain(),
                               job.GetTargetAuthMethod(), job.GetTargetUseSecureSession());
  const int code = PostBodies(target, {EncodeEventBody(json, GetServiceSettings())}, id, [] { return true; }, Log(),
                              "OnPublisherSend");
  const int64_t ended = GetClock()->NowSeconds();
  status->Update([code, ended](CServerStatusPublisherItemStatus& s) {
    s.SetLastErrorCode(code);
    s.SetLastExecutedTime(ended);
  });
  SaveJobStatus(id);
  return period == 0 ? kSenderRepeatMs : static_cast<int>(std::min<int64_t>(longest, period * 1000));
}
