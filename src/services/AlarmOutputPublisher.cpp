#include "services/AlarmOutputPublisher.h"

#include <stdlib.h>

#include "database/DBDataStore.h"
#include "foundation/XmlCfg.h"
#include "net/HttpEndpoint.h"
#include "net/HttpResult.h"
#include "net/MyHttp.h"
#include "net/UrlFormatter.h"
#include "services/EMapServerList.h"
#include "services/RelayOutput.h"

namespace {

CEventServiceConfig MakeAlarmOutputPublisherConfig() {
  CEventServiceConfig config;
  config.sourceFile = "AlarmOutputPublisher";
  config.className = "CAlarmOutputPublisher";
  config.mainTaskName = "UpdateTriggers";
  config.senderTaskName = "OnPublisherSend";
  config.statusFilePattern = "AlarmOutput_*.dat";
  config.mainPoolName = "MAIN_ALARMOUTPUT_PUBLISHER";
  config.mainPoolWorkers = 3;
  config.senderPoolName = "SEND_ALARMOUTPUT_PUBLISHER";
  config.senderPoolWorkers = 10;
  config.mainFirstDelayMs = 1000;
  config.mainDelayMs = 1000;
  config.mainFailureDelayMs = 1000;
  config.statusSaveDelayMs = 0;
  config.senderFirstDelayMs = 100;
  config.sendQueueLimit = 0;  // the publisher keeps its own value queues
  return config;
}

CEventServiceConfig WithTiming(CEventServiceConfig config, const CAlarmOutputPublisher::Timing& timing) {
  config.mainFirstDelayMs = timing.periodMs;
  config.mainDelayMs = timing.periodMs;
  config.mainFailureDelayMs = timing.periodMs;
  config.senderFirstDelayMs = timing.relayPassMs;
  return config;
}

constexpr size_t kValueQueueLimit = 1000;
constexpr int kDefaultRelayPort = 80;
constexpr int kAuthInQuery = 3;

// The management triggers: number -> required consecutive samples. Number 0
// has no input and never becomes active.
constexpr int kTriggerNone = 0;
constexpr int kTriggerErrorCamera = 1;
constexpr int kTriggerDatabase = 2;
constexpr int kTriggerErrorStatus = 3;
constexpr int kTriggerAlarmZones = 4;
constexpr int kTriggerPids = -1;

// The decimal value at `key` of the XML reply `reply` when it is a 200 with a
// body that parses; false otherwise.
bool ReadReplyCount(const std::string& reply, const char* key, int* count) {
  CHttpResult result(reply);
  if (result.code != 200 || result.body.empty()) return false;
  CXmlCfg xml;
  if (!xml.ToCfg(result.body)) return false;
  *count = atoi(xml.GetValue(key).c_str());
  return true;
}

}  // namespace

const CEventServiceConfig kAlarmOutputPublisherConfig = MakeAlarmOutputPublisherConfig();

CAlarmOutputPublisher::CAlarmOutputPublisher(CLocalAppSettings& settings, const Timing& timing,
                                             std::shared_ptr<platform::Clock> clock)
    : TEventServiceFrame(kAlarmOutputPublisherKind, WithTiming(kAlarmOutputPublisherConfig, timing), settings,
                         &CLocalAppSettings::Option_GetAlarmOutputPublisherItems, std::move(clock)),
      appSettings_(settings),
      timing_(timing),
      queues_(kValueQueueLimit) {
  AddPeriodicTask(timing_.checkerFirstDelayMs, [this] {
    OnPublisherMainManagementChecker();
    return timing_.periodMs;
  });
  AddPeriodicTask(timing_.checkerFirstDelayMs, [this] {
    OnPublisherMainPIDSChecker();
    return timing_.periodMs;
  });
  BuildTriggers();
}

CAlarmOutputPublisher::~CAlarmOutputPublisher() { Stop(); }

std::string CAlarmOutputPublisher::MakeStatusFileName(const CAlarmOutputPublisherItem& job) const {
  return MakeUrlStatusFileName("AlarmOutput_%s_Status_%d.dat", job.GetTargetUrl(), job.GetID());
}

void CAlarmOutputPublisher::OnStartSettings(CLocalAppSettings& settings) {
  zmsAddress_ = settings.GetZmsAddress();
  if (zmsAddress_.empty()) zmsAddress_ = GetServiceSettings().databaseAddress;
  zmsPort_ = settings.GetZmsPort();
  if (zmsPort_ == 0) zmsPort_ = 80;
}

void CAlarmOutputPublisher::OnStartReset() {
  queues_.Open();
  {
    CScopedLock hold(pendingLock_);
    pending_.clear();
  }
  std::map<std::string, int> servers;
  CAlarmOutputPublisherItems jobs = appSettings_.Option_GetAlarmOutputPublisherItems();
  for (const CAlarmOutputPublisherItem& job : jobs.GetItems()) {
    AddEMapServers(job.GetEMapAddress(), &servers);
  }
  {
    CScopedLock hold(inputsLock_);
    emapServers_.swap(servers);
  }
  BuildTriggers();
}

void CAlarmOutputPublisher::BuildTriggers() {
  {
    CScopedLock hold(triggersLock_);
    managementState_ = 0;
    pidsState_ = 0;
    startValuesQueued_ = false;
    managementTriggers_.clear();
    managementTriggers_[kTriggerNone] = std::make_unique<CAlarmTrigger>(1);
    managementTriggers_[kTriggerErrorCamera] = std::make_unique<CAlarmTrigger>(1);
    managementTriggers_[kTriggerDatabase] = std::make_unique<CAlarmTrigger>(1);
    managementTriggers_[kTriggerErrorStatus] = std::make_unique<CAlarmTrigger>(5);
    managementTriggers_[kTriggerAlarmZones] = std::make_unique<CAlarmTrigger>(5);
    pidsTrigger_ = std::make_unique<CAlarmTrigger>(1);
  }
  CScopedLock hold(inputsLock_);
  inputs_ = Inputs();
}

void CAlarmOutputPublisher::Start() {
  TEventServiceFrame::Start();
  if (IsRunning()) QueueStartValues();
}

void CAlarmOutputPublisher::Stop() {
  stopping_.store(true);
  TEventServiceFrame::Stop();
  stopping_.store(false);
}

void CAlarmOutputPublisher::QueueStartValues() {
  // Under the trigger lock, so no value of the main task can come first.
  CScopedLock hold(triggersLock_);
  if (startValuesQueued_) return;
  startValuesQueued_ = true;
  PublishEvent(kAlarmManagementInactive);
  PublishEvent(kAlarmPidsInactive);
}

void CAlarmOutputPublisher::PublishEvent(int value) {
  SERVICE_LOG(Log(), "PublishEvent", "INFO - Publish Event : %d\r\n", value);
  std::vector<int> flushed;
  queues_.AppendToAll(GetJobIDs(), value, &flushed);
  for (int id : flushed) SERVICE_LOG(Log(), "PublishEvent", "INFO - SendQ is full (%d)\r\n", id);
}

bool CAlarmOutputPublisher::RunMainPass() {
  UpdateTriggers();
  return true;
}

void CAlarmOutputPublisher::SampleTrigger(int number, int value) {
  CScopedLock hold(triggersLock_);
  if (number == kTriggerPids) {
    if (pidsTrigger_) pidsTrigger_->Update(value);
    return;
  }
  auto it = managementTriggers_.find(number);
  if (it != managementTriggers_.end()) it->second->Update(value);
}

void CAlarmOutputPublisher::UpdateTriggers() {
  Inputs inputs;
  {
    CScopedLock hold(inputsLock_);
    inputs = inputs_;
  }
  CScopedLock hold(triggersLock_);
  if (!startValuesQueued_) {
    // Start has not queued the inactive values yet: they go first.
    startValuesQueued_ = true;
    PublishEvent(kAlarmManagementInactive);
    PublishEvent(kAlarmPidsInactive);
  }
  managementTriggers_[kTriggerNone]->Update(0);
  managementTriggers_[kTriggerDatabase]->Update(inputs.databaseFailed);
  managementTriggers_[kTriggerErrorStatus]->Update(inputs.errorStatusFailed);
  managementTriggers_[kTriggerErrorCamera]->Update(inputs.errorCameraCount);
  managementTriggers_[kTriggerAlarmZones]->Update(inputs.alarmZoneFailed);
  pidsTrigger_->Update(inputs.alarmZoneCount);
  std::vector<int> values;
  EvaluateTriggers(&values);
  // Published under the trigger lock: values leave in the order of the samples.
  for (int value : values) PublishEvent(value);
}

void CAlarmOutputPublisher::EvaluateTriggers(std::vector<int>* values) {
  int management = 0;
  for (const auto& entry : managementTriggers_) {
    if (entry.second->IsActive()) management = 1;
  }
  if (management != managementState_) {
    managementState_ = management;
    values->push_back(management ? kAlarmManagementActive : kAlarmManagementInactive);
  }
  int pids = pidsTrigger_->IsActive() ? 1 : 0;
  if (pids != pidsState_) {
    pidsState_ = pids;
    values->push_back(pids ? kAlarmPidsActive : kAlarmPidsInactive);
  }
}

bool CAlarmOutputPublisher::IsManagementAlarmActive() {
  CScopedLock hold(triggersLock_);
  return managementState_ != 0;
}

bool CAlarmOutputPublisher::IsPidsAlarmActive() {
  CScopedLock hold(triggersLock_);
  return pidsState_ != 0;
}

std::map<std::string, int> CAlarmOutputPublisher::GetEMapServers() {
  CScopedLock hold(inputsLock_);
  return emapServers_;
}

void CAlarmOutputPublisher::OnPublisherMainManagementChecker() {
  const CServiceSettings& settings = GetServiceSettings();
  if (!dbStore_) {
    dbStore_ = std::make_shared<CDBDataStore>("MARIADB");
    dbStore_->Initialize(settings.databaseAddress.c_str(), settings.databasePort, settings.databaseName.c_str(),
                         settings.databaseLoginID.c_str(), settings.databasePassword.c_str());
  }
  if (!dbStore_->IsConnected(0)) {
    {
      CScopedLock hold(inputsLock_);
      inputs_.databaseFailed = 1;
    }
    dbStore_.reset();
    SERVICE_LOG(Log(), "OnPublisherMainManagementChecker", "ERROR - Error raised when connect database.\r\n");
    SetAllStatuses(kStatusDatabaseUnreachable);
    return;
  }
  {
    CScopedLock hold(inputsLock_);
    inputs_.databaseFailed = 0;
  }

  CHttpEndpoint endpoint(zmsAddress_, zmsPort_, settings.systemLoginID, settings.systemPassword, kAuthInQuery, 0);
  std::string reply;
  int count = 0;
  // A server that takes the connection but gives no reply, or no 200, is as
  // unusable as one that refuses it: both count as a failed request.
  bool answered = endpoint.Get("/system/errorstatus.cgi", &reply, timing_.checkerTimeoutSec) == 1 &&
                  CHttpResult(reply).code == 200;
  if (!answered) {
    {
      CScopedLock hold(inputsLock_);
      inputs_.errorStatusFailed = 1;
    }
    SampleTrigger(kTriggerErrorStatus, 1);
    SERVICE_LOG(Log(), "OnPublisherMainManagementChecker", "ERROR - Request to '/system/errorstatus.cgi' failed. %s:%d",
                zmsAddress_.c_str(), zmsPort_);
    return;
  }
  bool haveCount = ReadReplyCount(reply, "$System$$ErrorStatus$$ErrorCamera$", &count);
  CScopedLock hold(inputsLock_);
  inputs_.errorStatusFailed = 0;
  if (haveCount) inputs_.errorCameraCount = count;
}

void CAlarmOutputPublisher::OnPublisherMainPIDSChecker() {
  const CServiceSettings& settings = GetServiceSettings();
  std::map<std::string, int> servers = GetEMapServers();
  if (servers.empty()) return;
  bool failed = false;
  bool haveCount = false;
  for (const auto& server : servers) {
    CHttpEndpoint endpoint(server.first, server.second, settings.systemLoginID, settings.systemPassword,
                           kAuthInQuery, 0);
    std::string reply;
    if (endpoint.Get("/status/alarmzones.cgi", &reply, timing_.checkerTimeoutSec) != 1) {
      failed = true;
      SERVICE_LOG(Log(), "OnPublisherMainPIDSChecker", "ERROR - Request to '/status/alarmzones.cgi' failed. %s:%d",
                  server.first.c_str(), server.second);
      continue;
    }
    int count = 0;
    if (!haveCount && ReadReplyCount(reply, "$AlarmZones$$Count$", &count)) {
      haveCount = true;
      SampleTrigger(kTriggerPids, count);
      CScopedLock hold(inputsLock_);
      inputs_.alarmZoneCount = count;
    }
  }
  CScopedLock hold(inputsLock_);
  inputs_.alarmZoneFailed = failed ? 1 : 0;
}

int CAlarmOutputPublisher::SendValue(const CAlarmOutputPublisherItem& job, int value, int code, bool* delivered) {
  *delivered = false;
  CRelayAction action = RelayActionFor(job.GetEventKind(), value);
  if (action == CRelayAction::kIgnore) return code;
  CUrlFormatter url;
  url.SetUrl(job.GetTargetUrl());
  std::string host = url.GetHost();
  int port = url.GetPort() > 0 ? url.GetPort() : kDefaultRelayPort;
  int channel = job.GetChannel();
  if (host.empty() || !IsValidRelayChannel(channel)) {
    SERVICE_LOG(Log(), "OnPublisherSend", "ERROR - ET0808 invalid argument. addr=%s, port=%d, alarm_num=%d\r\n",
                host.c_str(), port, channel);
    *delivered = true;  // nothing to repeat: it could never go through
    return kRelayInvalidArgument;
  }
  bool close = action == CRelayAction::kClose;
  std::string reply;
  if (PostApiParam(host, static_cast<unsigned short>(port), RelayRequestBody(channel, close), &reply) == 1) {
    SERVICE_LOG(Log(), "OnPublisherSend", "INFO: The alarm(%d) was sent to %s:%d - ch %d successfully.\r\n",
                close ? 1 : 0, host.c_str(), port, channel);
    *delivered = true;
    return code;
  }
  SERVICE_LOG(Log(), "OnPublisherSend", "ERROR - to request 'api/param.cgi' failed.. %s:%d - ch%d\r\n",
              host.c_str(), port, channel);
  return kRelayRequestFailed;
}

int CAlarmOutputPublisher::OnPublisherSend(int id) {
  CAlarmOutputPublisherItem job = GetItem(id);
  StatusPtr status = FindStatus(id);
  if (!status) return timing_.relayPassMs;
  std::vector<int> values = queues_.TakeAll(id, 0);
  const int64_t now = GetClock()->NowMicros();

  // The value the board did not take last time goes again, first, when it
  // is due and no newer value of this output's alarm came meanwhile.
  bool newer = false;
  for (int value : values) {
    if (RelayActionFor(job.GetEventKind(), value) != CRelayAction::kIgnore) newer = true;
  }
  {
    CScopedLock hold(pendingLock_);
    auto it = pending_.find(id);
    if (it != pending_.end()) {
      if (newer) {
        pending_.erase(it);
      } else if (now - it->second.lastTryMicros >= int64_t{timing_.retryMs} * 1000) {
        values.insert(values.begin(), it->second.value);
      }
    }
  }
  if (values.empty()) return timing_.relayPassMs;

  int code = kRelaySent;
  for (int value : values) {
    if (job.GetDeviceKind() != 1) {
      code = kRelayWrongDevice;
      continue;
    }
    if (stopping_.load()) break;  // Stop: no further request
    bool delivered = false;
    bool concerns = RelayActionFor(job.GetEventKind(), value) != CRelayAction::kIgnore;
    code = SendValue(job, value, code, &delivered);
    if (!concerns) continue;
    CScopedLock hold(pendingLock_);
    if (delivered) {
      pending_.erase(id);
    } else {
      pending_[id] = Pending{value, GetClock()->NowMicros()};
    }
  }
  const int64_t seconds = GetClock()->NowSeconds();
  status->Update([code, seconds](CAlarmOutputPublisherItemStatus& s) {
    s.SetLastErrorCode(code);
    s.SetLastExecutedTime(seconds);
  });
  SaveJobStatus(id);
  return timing_.relayPassMs;
}
