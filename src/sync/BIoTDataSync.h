// The building-IoT run of a data synchronizer job: the job's manager of the
// building-IoT platform (created on the job's first run and kept for the
// service's life) logs in and reconciles the platform's video gateways and
// edges with the recording servers and cameras of the database. The manager
// itself lives in the building-IoT library; the synchronizer reaches it
// through IBIoTDataManager and a factory the application sets.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "foundation/Lock.h"
#include "shell/DataSynchronizerItem.h"
#include "sync/SyncDatabase.h"

class IDataStore;

// Where and as whom a manager reaches the platform.
struct CBIoTManagerSettings {
  std::string host;
  int port = 80;
  std::string userID;
  std::string password;  // in clear
  bool tls = false;
  std::string siteID;
};

// One job's manager. Its calls block on the platform (each within its own
// time-outs); the manager guards its own state.
class IBIoTDataManager {
 public:
  virtual ~IBIoTDataManager() = default;
  // Logs in once with a temporary connection; true on success.
  virtual bool Open() = 0;
  // Whether the manager holds a user token (none before the log-in, and none
  // after the platform refused it).
  virtual bool HasUserToken() = 0;
  // Logs in, keeps the token, then fetches the recording servers' auth codes.
  virtual bool GetUserLoginToken() = 0;
  // Reconciles the platform with the store's recording servers and cameras;
  // an HTTP 401 from the platform drops the token.
  virtual bool SyncData(IDataStore* store) = 0;
  // Reads and clears the report that SyncData added a video gateway.
  virtual bool TakeVideoGatewayAdded() = 0;
  // Refreshes the auth codes (raising the changed report when they differ).
  virtual bool GetZavAuthCodes() = 0;
  // Reads and clears the report that the auth codes changed.
  virtual bool TakeAuthCodesChanged() = 0;
  // A copy of the recording-server ID to auth code map.
  virtual std::map<int, std::string> GetZavAuthCodeMap() = 0;
};

using BIoTDataManagerFactory =
    std::function<std::shared_ptr<IBIoTDataManager>(const CBIoTManagerSettings& settings)>;

// The manager settings of a job: the URL's host; its port, else 443 for
// "https", else 80; TLS from the scheme; the job's login and password; the site.
CBIoTManagerSettings MakeBIoTManagerSettings(const CDataSynchronizerItem& job, const std::string& siteID);

// The per-job managers of a service, kept across Stop and Start. Any thread;
// the map is guarded by its own lock, never held during a platform call.
class CBIoTManagers {
 public:
  // Null factory: no manager can be made (runs end with code 100).
  void SetFactory(BIoTDataManagerFactory factory);
  std::shared_ptr<IBIoTDataManager> Find(int jobId);
  // A new manager from the factory (not yet kept); null without a factory.
  std::shared_ptr<IBIoTDataManager> Create(const CBIoTManagerSettings& settings);
  void Keep(int jobId, std::shared_ptr<IBIoTDataManager> manager);

 private:
  CLock lock_;
  BIoTDataManagerFactory factory_;                                // guarded by lock_
  std::map<int, std::shared_ptr<IBIoTDataManager>> managers_;     // guarded by lock_
};

struct CBIoTSyncResult {
  int code = 0;  // 0, 2 database, 100 log-in failed, 101 SyncData failed
  // Set when the manager reported changed auth codes: a copy of them.
  std::unique_ptr<std::map<int, std::string>> changedAuthCodes;
};

// One building-IoT run of `job`: finds or makes its manager, logs in when it
// holds no token, opens the database and reconciles; a refused token gives
// one new log-in and one more reconciliation.
CBIoTSyncResult RunBIoTDataSync(const CDataSynchronizerItem& job, const std::string& siteID,
                                const CSyncDatabaseSettings& database, CBIoTManagers* managers);
