// CZavStatusHandler: watches every recording server (ZAV) of its data stores
// on the status-stream frame (CStatusStreamHandler): each server's task opens
// its status stream through CZavDataAdapter and publishes each part.
//
// Messages beside the frame's (value 1 is the address of an int32 pair
// {store id, ZAV id}; every pointer is valid only during the callback):
//   "MSG_STATUS_RECEIVED"     value 2 the part's record (CZavEventStream in
//                             modes 0 and 1, CZavStorageStatuses in mode 2),
//                             value 3 in mode 0 the server's system
//                             information (CZavSysteminformation, or NULL),
//                             fetched once a run, after "MSG_CONNECTED"
//
// Locks: the frame's; `infoLock_` guards `systemInfo_`, never held while a
// request runs or a message is published.
#pragma once

#include <stdint.h>

#include <map>
#include <memory>
#include <vector>

#include "foundation/Lock.h"
#include "net/StatusStreamHandler.h"

class CZavSysteminformation;

class CZavStatusHandler : public CStatusStreamHandler {
 public:
  // ---- settings beside the frame's, filled before Start ----
  // Mode: 0 system status, 1 event status, 2 storage status.
  int32_t ExtraTimeout = 3;  // seconds: body wait, and the margin of the header wait
  int32_t UseSystemSettings = 0;  // 1: a store's category-2 settings may switch off and time its servers

  // Pools "ZAV_STATUS_HANDLER_<store>_<zav>_<mode>", handler ids under
  // "ZAV_EVENT_HANDLER".
  CZavStatusHandler();
  // Stop.
  ~CZavStatusHandler() override;

 protected:
  // Every TBL_Zav row of the store in ascending id order; with
  // UseSystemSettings 1 a store whose "EnableSystemStatus" is 0 watches none
  // of them, and "SystemStatusInterval" replaces Interval.
  std::vector<Server> ListServers(int32_t storeId, IDataStore* store) override;
  bool IsServerPresent(IDataStore* store, int32_t zavId) override;
  bool OpenStream(IDataStore* store, int32_t zavId, int interval, CSecureSock& conn) override;
  int ReceiveUnit(IDataStore* store, int32_t zavId, int interval, CSecureSock& conn,
                  std::vector<char>* buffer) override;
  // Mode 0: fetches the server's system information for the run's parts.
  void OnConnected(int32_t handlerId, IDataStore* store, const int32_t* pair) override;
  bool PublishUnit(int32_t handlerId, const int32_t* pair, const char* text) override;
  void OnStopped() override;

 private:
  CMutex infoLock_;
  // Mode 0: the last fetch per handler id.
  std::map<int32_t, std::shared_ptr<CZavSysteminformation>> systemInfo_ GUARDED_BY(infoLock_);
};
