#include "sync/DataSynchronizer.h"

#include "shell/AppFolders.h"
#include "shell/LocalAppSettings.h"
#include "sync/SyncRunStatus.h"

namespace {

CEventServiceConfig DataSynchronizerConfig() {
  CEventServiceConfig config;
  config.sourceFile = "DataSynchronizer";
  config.className = "CDataSynchronizer";
  config.mainTaskName = "OnSchedule";
  config.senderTaskName = "OnDataSynchronize";
  config.statusFilePattern = "DataSync_*.dat";  // status and snapshot files alike
  config.mainPoolName = "DATA_SYNCHRONIZER";
  config.mainPoolWorkers = 1;
  config.senderPoolName = "DATA_SYNCHRONIZER";
  config.senderPoolWorkers = 10;
  config.mainDelayMs = 60000;
  return config;
}

std::string DataFolderFile(const std::string& name) { return CombinePath(GetDataFolderPath(), name); }

// "DataSync_<host key>_<entity>_<kind>_<ID>.dat".
std::string JobFileName(const CDataSynchronizerItem& job, const char* kind) {
  return "DataSync_" + StatusFileHostKey(job.GetTargetUrl()) + "_" + job.GetEntityName() + "_" + kind + "_" +
         std::to_string(job.GetID()) + ".dat";
}

}  // namespace

CDataSynchronizer::CDataSynchronizer(CLocalAppSettings& settings, std::shared_ptr<platform::Clock> clock)
    : TEventServiceFrame(kDataSynchronizerKind, DataSynchronizerConfig(), settings,
                         &CLocalAppSettings::Option_GetDataSyncItems, std::move(clock)) {}

CDataSynchronizer::~CDataSynchronizer() { Stop(); }

void CDataSynchronizer::ApplyHiddenSettings(const CGateServiceHiddenSettings& hidden) {
  syncMode_ = hidden.bIoTEnabled ? kSyncModeBIoT : kSyncModeHttp;
  siteID_ = hidden.bIoTEnabled ? hidden.bIoTSiteID : std::string();
}

std::string CDataSynchronizer::StatusFileNameOf(const CDataSynchronizerItem& job) {
  return JobFileName(job, "Status");
}

std::string CDataSynchronizer::MakeDataFileName(const CDataSynchronizerItem& job) { return JobFileName(job, "Data"); }

void CDataSynchronizer::OnStartSettings(CLocalAppSettings& settings) {
  skipNotify_ = settings.GetSkipDataSyncNotify() != 0;
  userFields_.Load(GetDeviceUserFieldsFilePath(), GetDeviceUserFieldsDefaultFilePath());
}

int CDataSynchronizer::RunSenderPass(int id) {
  StatusPtr status = FindStatus(id);
  if (!status) return schedulePeriodMs_;
  const CDataSynchronizerItem job = GetItem(id);
  const int64_t now = GetClock()->NowSeconds();
  if (!TakeDueRun(*status, now, job.GetPeriod())) return schedulePeriodMs_;
  if (syncMode_ == kSyncModeBIoT) {
    OnBIoTDataSynchronize(job, now);
  } else {
    OnDataSynchronize(job, now);
  }
  return schedulePeriodMs_;
}

void CDataSynchronizer::OnDataSynchronize(const CDataSynchronizerItem& job, int64_t now) {
  SERVICE_LOG(Log(), "OnDataSynchronize", "INFO - Start Data Synchronize (%d:%s)\r\n", job.GetID(),
              job.GetSourceData().c_str());
  CDataSyncSettings settings;
  settings.database = CSyncDatabaseSettings::From(GetServiceSettings());
  settings.skipNotify = skipNotify_;
  settings.service = GetServiceSettings();
  CDataSyncResult result = RunDataSync(job, settings, &userFields_, DataFolderFile(MakeDataFileName(job)));
  EndRun(job, result.code, result.accepted ? now : 0);
}

void CDataSynchronizer::OnBIoTDataSynchronize(const CDataSynchronizerItem& job, int64_t) {
  SERVICE_LOG(Log(), "OnBIoTDataSynchronize", "INFO - Start BIoT Data Synchronize (%d:%s)\r\n", job.GetID(),
              job.GetSourceData().c_str());
  CBIoTSyncResult result =
      RunBIoTDataSync(job, siteID_, CSyncDatabaseSettings::From(GetServiceSettings()), &managers_);
  if (result.changedAuthCodes) {
    Publish("MSG_BIOT_ZAV_AUTH_CODE_UPDATED", reinterpret_cast<intptr_t>(this),
            reinterpret_cast<intptr_t>(result.changedAuthCodes.get()));
  }
  EndRun(job, result.code, 0);
}

void CDataSynchronizer::EndRun(const CDataSynchronizerItem& job, int code, int64_t synchronizedAt) {
  StatusPtr status = FindStatus(job.GetID());
  if (!status) return;
  EndSyncRun(*status, code, synchronizedAt, DataFolderFile(MakeStatusFileName(job)), Log());
  SERVICE_LOG(Log(), "OnDataSynchronize", "INFO - Stop Data Synchronize (%d:%s)\r\n", job.GetID(),
              job.GetSourceData().c_str());
  Publish("MSG_DATASYNC_EXECUTED", reinterpret_cast<intptr_t>(this), job.GetID());
}
