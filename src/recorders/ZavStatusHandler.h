// CZavStatusHandler: watches every recording server (ZAV) of its data stores.
// Each watched server gets a pool with one worker whose task opens the
// server's status stream through CZavDataAdapter, reads part after part, turns
// each part into a record and publishes it; when the stream ends, fails or
// cannot be opened the task queues itself again after RetryDelay, for as long
// as the handler runs. A silent or broken server only ever holds its own
// worker.
//
// Messages (IMessagePublisher::NotifySubscribers on the server's worker; value
// 1 is the address of an int32 pair {store id, ZAV id}; every pointer is valid
// only during the callback):
//   "MSG_CONNECTED"           the first part with a body on a connection
//   "MSG_STATUS_RECEIVED"     value 2 the part's record (CZavEventStream in
//                             modes 0 and 1, CZavStorageStatuses in mode 2),
//                             value 3 in mode 0 the server's system
//                             information (CZavSysteminformation, or NULL)
//   "MSG_NEED_TO_SYNCHRONIZE" a failed reply whose body is a Result document
//                             of code 401 "Administrator Password Setup Required"
//   "MSG_CONNECT_FAILED"      the request or a receive failed
// Nothing is published once Stop has begun, and nothing after it returned.
//
// Locks: `startLock_` serialises Start and Stop (held throughout each);
// `stateLock_` guards `watches_` (pairs, pools, receive buffers, system
// information); `connectionLock_` guards `connections_` and orders a task's
// registration against Stop. None is held while a task sends, receives or
// publishes. The settings are set by the owner while the handler is stopped.
#pragma once

#include <stdint.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/IDCreater.h"
#include "foundation/MessagePublisher.h"

class CSecureSock;
class CSimpleThreadPool;
class CZavSysteminformation;
class IDataStore;

class CZavStatusHandler : public IMessagePublisher {
 public:
  // ---- settings, filled before Start ----
  std::map<int32_t, IDataStore*> DataStores;  // store id -> store (not owned)
  int32_t Mode = 0;          // 0 system status, 1 event status, 2 storage status
  int32_t Polling = 0;       // 1: one request and one part per task run
  int32_t Interval = 5;      // seconds: stream interval; header wait = Interval + ExtraTimeout
  int32_t ExtraTimeout = 3;  // seconds: body wait, and the margin of the header wait
  int32_t RetryDelay = 3000; // milliseconds between the end of a run and the next
  int32_t UseSystemSettings = 0;  // 1: a store's category-2 settings may switch off and time its servers

  CZavStatusHandler();
  // Stop.
  ~CZavStatusHandler() override;

  // Stops what runs, then starts one single-worker pool and task per TBL_Zav
  // row of each store (stores and rows in ascending id order), skipping the
  // servers of a store whose "EnableSystemStatus" is 0 when UseSystemSettings
  // is 1. Takes the start lock.
  void Start();
  // Ends every task: wakes every pending send or receive at once, stops the
  // pools (waiting for their workers) and frees the buffers. Nothing is
  // published or queued afterwards. Takes the start lock.
  void Stop();

  // The store registered under `storeId`, NULL when none.
  IDataStore* GetDataStore(int32_t storeId) const;
  // The stop check of the receives: true when the handler does not run.
  static bool IsStopped(void* handler);
  // The pool job: one run of the task of `handlerId`.
  static void StatusCheckJob(void* handler, intptr_t handlerId);

  // The watched servers: handler id -> "<pool name>" (takes the state lock).
  std::map<int32_t, std::string> GetWatchedPools() const;

 private:
  struct Watch {
    int32_t pair[2] = {0, 0};  // store id, ZAV id
    std::shared_ptr<CSimpleThreadPool> pool;
    std::vector<char> buffer;  // the receive buffer, kept from run to run
    int interval = 0;
    int extraTimeout = 0;
    std::shared_ptr<CZavSysteminformation> systemInfo;  // mode 0: the last fetch
  };

  void OnStatusCheck(int32_t handlerId);
  // Queues the next run of `handlerId` after RetryDelay while running.
  void Requeue(int32_t handlerId, const std::shared_ptr<CSimpleThreadPool>& pool);
  // Publishes while running.
  void PublishIfRunning(const char* message, const int32_t* pair, intptr_t value2 = 0, intptr_t value3 = 0);
  // Reads a part into its record and publishes it; false when it could not be read.
  bool PublishPart(int32_t handlerId, const int32_t* pair, const std::vector<char>& buffer);
  // True when `buffer` holds the Result document that asks for a password setup.
  static bool NeedsPasswordSetup(const std::vector<char>& buffer);
  // Removes the registration of `handlerId` (under the connection lock).
  void Unregister(int32_t handlerId);
  // Stop's work, with the start lock held.
  void StopLocked();

  std::atomic<int> running_{0};
  std::mutex startLock_;
  mutable std::mutex stateLock_;
  std::map<int32_t, Watch> watches_;  // guarded by stateLock_
  std::mutex connectionLock_;
  // Handler id -> the socket of its task's open connection (INVALID_SOCKET
  // until the request has connected it); guarded by connectionLock_. Stop
  // shuts these sockets down; only the owning task closes them.
  std::map<int32_t, int> connections_;
  CIDCreater ids_;  // handler ids under "ZAV_EVENT_HANDLER"
};
