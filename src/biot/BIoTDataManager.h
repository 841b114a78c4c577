// CBIoTDataManager: keeps the installation registered with the building-IoT
// platform. Every recording server (TBL_Zav row) is a video-gateway thing,
// every analysed camera (a TBL_Camera row that a TBL_VasDevice row points
// to, of a camera kind) an edge thing under its recording server's gateway.
// A run (SyncData) reads the platform's lists, adds what is missing and
// deletes what the database no longer has; the manager also collects the
// gateways' auth codes, which the event notifier needs.
//
// The data synchronizer owns one manager per job and calls it on its own
// workers, one run of a job at a time; each call talks to the platform
// through an adapter the caller made with MakeAdapter. Lock: lock_ guards
// the auth-code map and AuthCodesChanged (read from any thread); the other
// members belong to the run in progress.
#pragma once

#include <atomic>
#include <memory>
#include <map>
#include <string>

#include "biot/BIoTServiceAdapter.h"
#include "foundation/Lock.h"

class IDataStore;

class CBIoTDataManager {
 public:
  CBIoTDataManager() = default;
  virtual ~CBIoTDataManager() = default;
  CBIoTDataManager(const CBIoTDataManager&) = delete;
  CBIoTDataManager& operator=(const CBIoTDataManager&) = delete;

  // The connection settings (the user token included); set before the first call.
  CBIoTServiceAdapter::CConnInfo& Settings() { return settings_; }
  const std::string& GetUserToken() const { return settings_.userToken; }

  // A new adapter with the manager's settings and user token.
  std::unique_ptr<CBIoTServiceAdapter> MakeAdapter() const;

  // Logs in over a temporary connection; 1 when it succeeded.
  int Open();
  // Logs in: the token (whatever isLoginSuccess says) goes to the manager
  // and the adapter, then the auth codes are read. 0 empties the token.
  int GetUserLoginToken(CBIoTServiceAdapter& adapter);
  // Reads every gateway's auth code; replaces the map and sets
  // AuthCodesChanged when it differs. 0 keeps the map as it was.
  int GetZavAuthCodes(CBIoTServiceAdapter& adapter);
  // One reconciliation run against the rows of `store`. 0 ends the run at
  // the failed step (what was done stays done); a 401 empties the user token.
  int SyncData(IDataStore& store, CBIoTServiceAdapter& adapter);
  // A copy of the recording-server number -> auth code map. Takes lock_.
  std::map<int, std::string> GetZavAuthCodeMap();

  // Set when the auth-code map was replaced / gateways were added or
  // deleted; Take* reads and clears.
  bool TakeAuthCodesChanged();
  bool TakeGatewaysChanged() { return gatewaysChanged_.exchange(false); }

 private:
  // After a failed step: a 401 (HTTP or messageStatusCode) empties the token.
  void ProcError(const CBIoTServiceAdapter& adapter);
  // Adds (mode 0) the wanted gateways the platform lacks, or deletes (mode 1)
  // the platform's gateways that are not wanted; by number only.
  int SyncZav(IDataStore& store, CBIoTServiceAdapter& adapter, const std::map<int, std::string>& platform,
              const std::map<int, std::string>& wanted, int mode);
  // Adds the wanted edges of recording server `zavNo` the platform lacks and
  // deletes the platform's edges that are not wanted; by channel only.
  int SyncZavCamera(IDataStore& store, CBIoTServiceAdapter& adapter, int zavNo,
                    const std::map<int, std::string>& platform, const std::map<int, std::string>& wanted,
                    const std::map<int, int>& cameraIds);

  CBIoTServiceAdapter::CConnInfo settings_;
  CLock lock_;
  std::map<int, std::string> authCodes_ GUARDED_BY(lock_);
  bool authCodesChanged_ GUARDED_BY(lock_) = false;
  std::atomic<bool> gatewaysChanged_{false};
};
