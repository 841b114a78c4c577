#include "sync/BIoTDataSync.h"

#include "foundation/Log.h"
#include "biot/BIoTServiceAdapter.h"
#include "sync/DataSyncRun.h"

CBIoTManagerSettings MakeBIoTManagerSettings(const CDataSynchronizerItem& job, const std::string& siteID) {
  const CBIoTServiceAdapter::CConnInfo info = CBIoTServiceAdapter::ConnInfoFromUrl(
      job.GetTargetUrl(), job.GetTargetLoginID(), job.GetTargetPasswordPlain(), siteID);
  CBIoTManagerSettings settings;
  settings.host = info.host;
  settings.port = info.port;
  settings.userID = info.userID;
  settings.password = info.password;
  settings.tls = info.tls != 0;
  settings.siteID = info.siteID;
  return settings;
}

void CBIoTManagers::SetFactory(BIoTDataManagerFactory factory) {
  CScopedLock hold(lock_);
  factory_ = std::move(factory);
}

std::shared_ptr<IBIoTDataManager> CBIoTManagers::Find(int jobId) {
  CScopedLock hold(lock_);
  auto it = managers_.find(jobId);
  return it == managers_.end() ? nullptr : it->second;
}

std::shared_ptr<IBIoTDataManager> CBIoTManagers::Create(const CBIoTManagerSettings& settings) {
  BIoTDataManagerFactory factory;
  {
    CScopedLock hold(lock_);
    factory = factory_;
  }
  return factory ? factory(settings) : nullptr;
}

void CBIoTManagers::Keep(int jobId, std::shared_ptr<IBIoTDataManager> manager) {
  CScopedLock hold(lock_);
  managers_[jobId] = std::move(manager);
}

CBIoTSyncResult RunBIoTDataSync(const CDataSynchronizerItem& job, const std::string& siteID,
                                const CSyncDatabaseSettings& database, CBIoTManagers* managers) {
  CBIoTSyncResult result;
  const CBIoTManagerSettings settings = MakeBIoTManagerSettings(job, siteID);
  std::shared_ptr<IBIoTDataManager> manager = managers->Find(job.GetID());
  bool retried = false;
  for (;;) {
    if (!manager) {
      std::shared_ptr<IBIoTDataManager> made = managers->Create(settings);
      if (!made || !made->Open()) {
        GATE_LOG(1, "ERROR - B.IoT Open() failed.. [%s:%d] \r\n", settings.host.c_str(), settings.port);
        result.code = kBIoTLoginFailed;
        return result;
      }
      managers->Keep(job.GetID(), made);
      manager = made;
    }
    if (!manager->HasUserToken() && !manager->GetUserLoginToken()) {
      GATE_LOG(1, "ERROR - B.IoT GetUserLoginToken() failed.. [%s:%d] \r\n", settings.host.c_str(), settings.port);
      result.code = kBIoTLoginFailed;
      break;
    }
    CSyncDatabase connection(database);
    if (!connection.IsConnected()) {
      GATE_LOG(1, "ERROR - Error raised when connect database.\r\n");
      result.code = kDataSyncDatabaseFailed;
      break;
    }
    if (manager->SyncData(&connection.Store())) {
      if (manager->TakeVideoGatewayAdded()) manager->GetZavAuthCodes();
      break;
    }
    if (!manager->HasUserToken() && !retried) {
      // The platform refused the token: log in once more and reconcile again.
      retried = true;
      continue;
    }
    GATE_LOG(1, "ERROR - B.IoT SyncData() failed.. [%s:%d] \r\n", settings.host.c_str(), settings.port);
    result.code = kBIoTSyncFailed;
    break;
  }
  if (manager->TakeAuthCodesChanged()) {
    result.changedAuthCodes = std::make_unique<std::map<int, std::string>>(manager->GetZavAuthCodeMap());
  }
  return result;
}
