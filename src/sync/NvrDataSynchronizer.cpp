#include "sync/NvrDataSynchronizer.h"

#include "database/SystemSettingManager.h"
#include "database/client/ClientDataStore.h"
#include "entities/User.h"
#include "foundation/Aria.h"
#include "net/Sock.h"
#include "shell/AppFolders.h"
#include "shell/LocalAppSettings.h"
#include "sync/NvrTableSync.h"
#include "sync/SyncDatabase.h"
#include "sync/SyncRunStatus.h"
#include "sync/TorvaneDataAdapter.h"

namespace {

constexpr int kRequestTimeoutSec = 3;
constexpr int kRestartReason = 2;

enum NvrSyncCode {
  kNvrOk = 0,
  kNvrDatabaseUnreachable = 2,
  kNvrZavNotFound = 3,
  kNvrNotInSyncMode = 4,
  kNvrCheckFailed = 5,
  kNvrRestartRequested = 6,
};

CEventServiceConfig NvrDataSynchronizerConfig() {
  CEventServiceConfig config;
  config.sourceFile = "NvrDataSynchronizer";
  config.className = "CNvrDataSynchronizer";
  config.mainTaskName = "OnDataSynchronizeMain";
  config.senderTaskName = "OnDataSynchronize";
  config.statusFilePattern = "NvrDataSync_*.dat";
  config.mainPoolName = "MAIN_NVR_DATA_SYNCHRONIZER";
  config.mainPoolWorkers = 1;
  config.senderPoolName = "NVR_DATA_SYNCHRONIZER";
  config.senderPoolWorkers = 2;
  config.mainDelayMs = 60000;
  return config;
}

}  // namespace

CNvrDataSynchronizer::CNvrDataSynchronizer(CLocalAppSettings& settings, std::shared_ptr<platform::Clock> clock)
    : TEventServiceFrame(kNvrDataSynchronizerKind, NvrDataSynchronizerConfig(), settings,
                         &CLocalAppSettings::Option_GetNvrDataSyncItems, std::move(clock)) {}

CNvrDataSynchronizer::~CNvrDataSynchronizer() { Stop(); }

std::string CNvrDataSynchronizer::StatusFileNameOf(const CNvrDataSynchronizerItem& job) {
  return "NvrDataSync_" + job.GetTargetAddress() + "_Status_" + std::to_string(job.GetID()) + ".dat";
}

void CNvrDataSynchronizer::OnStartSettings(CLocalAppSettings& settings) {
  zmsAddress_ = settings.GetZmsAddress();
  if (zmsAddress_.empty()) zmsAddress_ = settings.GetDatabaseAddress();
  zmsPort_ = settings.GetZmsPort();
  if (zmsPort_ == 0) zmsPort_ = 80;
  changeSyncMode_ = settings.GetChangeNvrSyncMode() != 0;
  restartSyncNvr_ = settings.GetRestartSyncNvr() != 0;
}

int CNvrDataSynchronizer::RunSenderPass(int id) {
  StatusPtr status = FindStatus(id);
  if (!status) return schedulePeriodMs_;
  const CNvrDataSynchronizerItem job = GetItem(id);
  const int64_t now = GetClock()->NowSeconds();
  if (!TakeDueRun(*status, now, job.GetPeriod())) return schedulePeriodMs_;
  SERVICE_LOG(Log(), "OnDataSynchronize", "INFO - [%d] Start Data Synchronize\r\n", id);
  int64_t synchronizedAt = 0;
  const int code = Synchronize(job, now, &synchronizedAt);
  EndSyncRun(*status, code, synchronizedAt, CombinePath(GetDataFolderPath(), StatusFileNameOf(job)), Log());
  SERVICE_LOG(Log(), "OnDataSynchronize", "INFO - [%d] Stop Data Synchronize\r\n", id);
  Publish("MSG_DATASYNC_EXECUTED", reinterpret_cast<intptr_t>(this), id);
  return schedulePeriodMs_;
}

bool CNvrDataSynchronizer::ReloadOwed(int id) {
  CScopedLock hold(reloadLock_);
  return owedReloads_.count(id) != 0;
}

void CNvrDataSynchronizer::RequestReload(int id, const std::string& host, int port) {
  const bool done = CTorvaneDataAdapter(kRequestTimeoutSec).CheckDatabase(host, port, "", 0);
  if (!done) SERVICE_LOG(Log(), "OnDataSynchronize", "ERROR - [%d] Error raised when call database.cgi.\r\n", id);
  CScopedLock hold(reloadLock_);
  if (done) {
    owedReloads_.erase(id);
  } else {
    owedReloads_[id] = {host, port};
  }
}

int CNvrDataSynchronizer::Synchronize(const CNvrDataSynchronizerItem& job, int64_t start, int64_t* synchronizedAt) {
  const int id = job.GetID();
  if (job.GetTargetPort() <= 0 || job.GetTargetPort() > 65535 ||
      !sock::IsReachable(job.GetTargetAddress(), static_cast<unsigned short>(job.GetTargetPort()), 2000)) {
    SERVICE_LOG(Log(), "OnDataSynchronize", "ERROR - [%d] Error raised when connect target database. (Testing)\r\n",
                id);
    return kNvrDatabaseUnreachable;
  }
  CSyncDatabase central(CSyncDatabaseSettings::From(GetServiceSettings()));
  if (!central.IsConnected()) {
    SERVICE_LOG(Log(), "OnDataSynchronize", "ERROR - Error raised when connect database.\r\n");
    return kNvrDatabaseUnreachable;
  }
  CSyncDatabaseSettings target{job.GetTargetAddress(), job.GetTargetPort(), job.GetTargetName(),
                               job.GetTargetLoginID(), job.GetTargetPasswordPlain()};
  CSyncDatabase nvrDatabase(target);
  if (!nvrDatabase.IsConnected()) {
    SERVICE_LOG(Log(), "OnDataSynchronize", "ERROR - [%d] Error raised when connect target database.\r\n", id);
    return kNvrDatabaseUnreachable;
  }
  CClientDataStore centralStore(&central.Service());
  CClientDataStore nvrStore(&nvrDatabase.Service());

  std::shared_ptr<CTBLNRS> server;
  for (const auto& [no, row] : centralStore.GetCachedEntityList("TBL_Zav")) {
    auto zav = std::dynamic_pointer_cast<CTBLNRS>(row);
    if (zav && zav->GetAddr() == job.GetTargetAddress()) {
      server = zav;
      break;
    }
  }
  if (!server) {
    SERVICE_LOG(Log(), "OnDataSynchronize", "ERROR - [%d] Can't find zav. (%s)\r\n", id,
                job.GetTargetAddress().c_str());
    return kNvrZavNotFound;
  }

  CSystemSettingManager centralSettings(&centralStore);
  CSystemSettingManager nvrSettings(&nvrStore);
  bool settingsWritten = false;
  if (!nvrSettings.GetBool(1, "ZmsSyncMode", false)) {
    SERVICE_LOG(Log(), "OnDataSynchronize", "INFO - [%d] the nvr is not sync mode. (%s)\r\n", id,
                job.GetTargetAddress().c_str());
    if (!changeSyncMode_) return kNvrNotInSyncMode;
    nvrSettings.SetZmsSyncAddress(zmsAddress_);
    nvrSettings.SetInt(1, "ZmsSyncPort", zmsPort_);
    nvrSettings.SetZmsSyncUser(GetServiceSettings().systemLoginID);
    nvrSettings.SetZmsSyncPassword(AriaEncryptString(GetServiceSettings().systemPassword));
    nvrSettings.SetInt(1, "ZmsSyncMode", 1);
    settingsWritten = true;
  }
  const bool centralEncrypted = centralSettings.GetBool(1, "PasswordEncrypted", false);
  if (nvrSettings.GetBool(1, "PasswordEncrypted", false) != centralEncrypted) {
    nvrSettings.SetInt(1, "PasswordEncrypted", centralEncrypted ? 1 : 0);
    // The NVR's passwords are read from now on as the new flag says.
    nvrStore.SetPasswordEncrypted(centralEncrypted ? 1 : 0);
    settingsWritten = true;
  }
  std::shared_ptr<CTBLClient> client = CNvrTableSync::FindNvrClient(&nvrStore);
  if (settingsWritten && restartSyncNvr_) {
    std::shared_ptr<CTBLUser> login = client ? client->GetUser() : nullptr;
    if (login) {
      if (!CTorvaneDataAdapter(kRequestTimeoutSec)
               .RestartApplication(server->GetAddr(), client->GetWebPort(), login->GetId(), login->GetPassword(),
                                   client->GetClientID(), kRestartReason)) {
        SERVICE_LOG(Log(), "OnDataSynchronize", "ERROR - [%d] Error raised when call restart.cgi.\r\n", id);
      }
      SERVICE_LOG(Log(), "OnDataSynchronize", "INFO - [%d] the nvr restart. (%s)\r\n", id,
                  job.GetTargetAddress().c_str());
    } else {
      SERVICE_LOG(Log(), "OnDataSynchronize", "ERROR - [%d] Can't find nvr login user.\r\n", id);
    }
    return kNvrRestartRequested;
  }
  if (!IsRunning()) return kNvrOk;  // stopping: begin no transaction

  CNvrTableSync tables(&centralStore, &nvrStore);
  struct Check {
    const char* table;
    const char* failed;
    std::function<int()> run;
  };
  std::shared_ptr<CTBLUser> login = client ? client->GetUser() : nullptr;
  std::unique_ptr<CTBLUser> loginBefore = login ? std::make_unique<CTBLUser>(*login) : nullptr;
  if (!client) SERVICE_LOG(Log(), "OnDataSynchronize", "ERROR - [%d] Can't find nvr client.\r\n", id);
  const Check checks[] = {
      {"TBL_Camera", "TBL_Cameras", [&] { return tables.CheckTblCameras(*server); }},
      {"TBL_Camera_Group", "TBL_CameraGroups", [&] { return tables.CheckTblCameraGroups(); }},
      {"TBL_Camera_Group_Camera_List", "TBL_Camera_Group_Camera_List",
       [&] { return tables.CheckTblCameraGroupRelations(); }},
      {"TBL_User", "TBL_Users", [&] { return tables.CheckTblUsers(); }},
      {"TBL_UserPermissions", "TBL_UserPermissions", [&] { return tables.CheckTblUserPermissions(); }},
  };
  for (const Check& check : checks) {
    const int result = check.run();
    if (result < 0) {
      SERVICE_LOG(Log(), "OnDataSynchronize", "ERROR - [%d] Error raised when check %s.\r\n", id, check.failed);
      if (tables.GetTransactionId() > 0) nvrStore.RollbackTransaction(tables.GetTransactionId());
      return kNvrCheckFailed;
    }
    if (result > 0) SERVICE_LOG(Log(), "OnDataSynchronize", "INFO - [%d] %s data upadted.\r\n", id, check.table);
  }
  const std::string host = server->GetAddr();
  const int port = client ? client->GetWebPort() : 80;
  if (tables.GetTransactionId() <= 0) {
    if (ReloadOwed(id)) RequestReload(id, host, port);
    return kNvrOk;
  }
  if (!nvrStore.CommitTransaction(tables.GetTransactionId())) {
    SERVICE_LOG(Log(), "OnDataSynchronize", "ERROR - [%d] Error raised when commit.\r\n", id);
    nvrStore.RollbackTransaction(tables.GetTransactionId());
    return kNvrCheckFailed;
  }
  *synchronizedAt = start;
  if (tables.UsersChanged() && login && loginBefore &&
      (loginBefore->GetId() != login->GetId() ||
       loginBefore->GetPasswordText(false) != login->GetPasswordText(false))) {
    // The management service logs in with the old login and takes the new one.
    CTorvaneDataAdapter(kRequestTimeoutSec)
        .RestartApplicationEx(host, port, loginBefore->GetId(), loginBefore->GetPassword(), client->GetClientID(),
                              kRestartReason, login->GetId(), login->GetPassword());
    return kNvrOk;
  }
  RequestReload(id, host, port);
  return kNvrOk;
}
