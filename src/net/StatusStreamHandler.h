// CStatusStreamHandler: the frame of the status handlers that watch servers
// through long-lived status streams (recording servers, own-kind analysis
// servers). Each watched server gets a pool with one worker whose task opens
// the server's status stream, reads unit after unit and hands each unit with
// a body to the derived class, which turns it into a record and publishes
// it; when the stream ends, fails or cannot be opened the task queues itself
// again after RetryDelay, for as long as the handler runs. A silent or broken
// server only ever holds its own worker.
//
// Messages the frame publishes (IMessagePublisher::NotifySubscribers on the
// server's worker; value 1 is the address of an int32 pair {store id, server
// id}, valid only during the callback):
//   "MSG_CONNECTED"           the first unit with a body of a task run
//   "MSG_NEED_TO_SYNCHRONIZE" a failed reply whose body is a Result document
//                             of code 401 "Administrator Password Setup
//                             Required" (any letter case), just before
//                             that read's "MSG_CONNECT_FAILED"
//   "MSG_CONNECT_FAILED"      the request or a read failed
// and the derived class publishes "MSG_STATUS_RECEIVED" through
// PublishIfRunning. Nothing is published once Stop has begun, and nothing
// after it returned.
//
// Locks: `startLock_` serialises Start and Stop (held throughout each);
// `stateLock_` guards `watches_` (pairs, pools, receive buffers);
// `connectionLock_` guards `connections_` and orders a task's registration
// against Stop. None is held while a task sends, receives or publishes, nor
// while a hook runs. The settings are set by the owner while the handler is
// stopped. A derived class calls Stop in its own destructor, before its
// hooks are gone.
#pragma once

#include <stdint.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foundation/IDCreater.h"
#include "foundation/Lock.h"
#include "foundation/MessagePublisher.h"

class CSecureSock;
class CSimpleThreadPool;
class IDataStore;

class CStatusStreamHandler : public IMessagePublisher {
 public:
  // ---- settings, filled before Start ----
  std::map<int32_t, IDataStore*> DataStores;  // store id -> store (not owned)
  int32_t Mode = 0;           // which stream the derived class opens
  int32_t Polling = 0;        // 1: one request and one unit per task run
  int32_t Interval = 5;       // seconds: the stream's interval and the base of the read wait
  int32_t RetryDelay = 3000;  // milliseconds between the end of a run and the next

  // Stops the pools (the derived class should have done so already).
  ~CStatusStreamHandler() override;

  // Stops what runs, then starts one single-worker pool and task per server
  // that ListServers names (stores in ascending id order). Each listed server
  // takes the next handler id, also when it is not watched. Takes the start lock.
  void Start() EXCLUDES(startLock_);
  // Ends every task: wakes every pending send or receive at once, stops the
  // pools (waiting for their workers) and frees the buffers. Nothing is
  // published or queued afterwards. Takes the start lock.
  void Stop() EXCLUDES(startLock_);

  // The store registered under `storeId`, NULL when none.
  IDataStore* GetDataStore(int32_t storeId) const;
  // The stop check of the receives: true when the handler does not run.
  static bool IsStopped(void* handler);
  // The pool job: one run of the task of `handlerId`.
  static void StatusCheckJob(void* handler, intptr_t handlerId);

  // The watched servers: handler id -> "<pool name>" (takes the state lock).
  std::map<int32_t, std::string> GetWatchedPools() const EXCLUDES(stateLock_);

 protected:
  // `idKey` names the handler ids in the handler's own ID source; pools are
  // named "<poolPrefix>_<store id>_<server id>_<mode>".
  CStatusStreamHandler(std::string idKey, std::string poolPrefix);

  // One server of a store, as Start lists it.
  struct Server {
    int32_t id = 0;
    bool watched = true;  // false: takes a handler id but gets no pool
    int interval = 0;     // the task's interval in seconds
  };
  // What ReceiveUnit answers.
  enum UnitResult {
    kUnitGone = -2,    // the server's row or adapter is gone: end the run silently
    kUnitFailed = -1,  // the read failed: the buffer may hold the failed reply's body
    kUnitEmpty = 0,    // a unit without a body
    kUnitBody = 1,     // a unit whose body is in the buffer, NUL-terminated
  };

  // ---- hooks, called on the owner's thread (ListServers, OnStopped) or on
  // a server's worker (the others) ----
  // The servers of `store` to watch, in the order they take handler ids.
  virtual std::vector<Server> ListServers(int32_t storeId, IDataStore* store) = 0;
  // Whether the server still exists as a watched server at the start of a
  // run; false queues the next run without any message.
  virtual bool IsServerPresent(IDataStore* store, int32_t serverId) = 0;
  // Connects `conn` when needed and sends the stream request. True when sent.
  virtual bool OpenStream(IDataStore* store, int32_t serverId, int interval, CSecureSock& conn) = 0;
  // Reads one unit into `buffer` (`buffer` starts with a NUL byte when it
  // is not empty), waiting as the stream's interval says, with IsStopped as
  // abort test.
  virtual int ReceiveUnit(IDataStore* store, int32_t serverId, int interval, CSecureSock& conn,
                          std::vector<char>* buffer) = 0;
  // The first unit with a body of a run arrived; "MSG_CONNECTED" is published.
  virtual void OnConnected(int32_t /*handlerId*/, IDataStore* /*store*/, const int32_t* /*pair*/) {}
  // Reads the unit in `buffer` into its record and publishes it; false ends
  // the stream without "MSG_CONNECT_FAILED" (the derived class logs why).
  virtual bool PublishUnit(int32_t handlerId, const int32_t* pair, const char* text) = 0;
  // Stop has stopped every pool.
  virtual void OnStopped() {}

  // Publishes while running.
  void PublishIfRunning(const char* message, const int32_t* pair, intptr_t value2 = 0, intptr_t value3 = 0);
  bool IsRunning() const { return running_.load() != 0; }

 private:
  struct Watch {
    int32_t pair[2] = {0, 0};  // store id, server id
    std::shared_ptr<CSimpleThreadPool> pool;
    std::vector<char> buffer;  // the receive buffer, kept from run to run
    int interval = 0;
  };

  void OnStatusCheck(int32_t handlerId);
  // Queues the next run of `handlerId` after RetryDelay while running.
  void Requeue(int32_t handlerId, const std::shared_ptr<CSimpleThreadPool>& pool);
  // True when `text` holds the Result document that asks for a password setup.
  static bool NeedsPasswordSetup(const char* text);
  // Removes the registration of `handlerId` (under the connection lock).
  void Unregister(int32_t handlerId) EXCLUDES(connectionLock_);
  // Stop's work, with the start lock held.
  void StopLocked() REQUIRES(startLock_);

  const std::string idKey_;
  const std::string poolPrefix_;
  std::atomic<int> running_{0};
  CMutex startLock_;
  mutable CMutex stateLock_;
  std::map<int32_t, Watch> watches_ GUARDED_BY(stateLock_);
  CMutex connectionLock_;
  // Handler id -> the socket of its task's open connection (INVALID_SOCKET
  // until the request has connected it). Stop shuts these sockets down; only
  // the owning task closes them.
  std::map<int32_t, int> connections_ GUARDED_BY(connectionLock_);
  CIDCreater ids_;  // handler ids under idKey_
};
