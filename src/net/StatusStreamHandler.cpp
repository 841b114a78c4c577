#include "net/StatusStreamHandler.h"

#include <stdlib.h>

#include <utility>

#include "foundation/SimpleThreadPool.h"
#include "foundation/StringUtil.h"
#include "foundation/XmlCfg.h"
#include "net/SecureSock.h"
#include "net/Sock.h"

CStatusStreamHandler::CStatusStreamHandler(std::string idKey, std::string poolPrefix)
    : idKey_(std::move(idKey)), poolPrefix_(std::move(poolPrefix)) {}

CStatusStreamHandler::~CStatusStreamHandler() { Stop(); }

void CStatusStreamHandler::Start() {
  CMutexLock start(startLock_);
  StopLocked();
  running_ = 1;

  struct Noted {
    int32_t handlerId;
    int32_t storeId;
    Server server;
  };
  std::vector<Noted> noted;
  for (const auto& [storeId, store] : DataStores) {
    if (!store) continue;
    for (const Server& server : ListServers(storeId, store)) {
      noted.push_back({ids_.NextID(idKey_), storeId, server});
    }
  }
  for (const Noted& n : noted) {
    if (!n.server.watched) continue;
    auto pool = std::make_shared<CSimpleThreadPool>();
    pool->Start(StrFormat("%s_%d_%d_%d", poolPrefix_.c_str(), n.storeId, n.server.id, Mode), 1);
    {
      CMutexLock state(stateLock_);
      Watch& watch = watches_[n.handlerId];
      watch.pair[0] = n.storeId;
      watch.pair[1] = n.server.id;
      watch.pool = pool;
      watch.interval = n.server.interval;
    }
    pool->AddJob(&CStatusStreamHandler::StatusCheckJob, this, n.handlerId, 0);
  }
}

void CStatusStreamHandler::Stop() {
  CMutexLock start(startLock_);
  StopLocked();
}

void CStatusStreamHandler::StopLocked() {
  running_ = 0;
  {
    // Wake every task blocked on its connection; each task closes its own.
    CMutexLock connections(connectionLock_);
    for (const auto& entry : connections_) sock::Shutdown(entry.second);
  }
  std::map<int32_t, Watch> watches;
  {
    CMutexLock state(stateLock_);
    watches.swap(watches_);
  }
  for (auto& entry : watches) {
    if (entry.second.pool) entry.second.pool->Stop(true, 30);
  }
  OnStopped();
}

IDataStore* CStatusStreamHandler::GetDataStore(int32_t storeId) const {
  auto found = DataStores.find(storeId);
  return found == DataStores.end() ? nullptr : found->second;
}

bool CStatusStreamHandler::IsStopped(void* handler) {
  return static_cast<CStatusStreamHandler*>(handler)->running_.load() == 0;
}

void CStatusStreamHandler::StatusCheckJob(void* handler, intptr_t handlerId) {
  static_cast<CStatusStreamHandler*>(handler)->OnStatusCheck(static_cast<int32_t>(handlerId));
}

std::map<int32_t, std::string> CStatusStreamHandler::GetWatchedPools() const {
  CMutexLock state(stateLock_);
  std::map<int32_t, std::string> pools;
  for (const auto& [id, watch] : watches_) pools[id] = watch.pool ? watch.pool->GetName() : "";
  return pools;
}

void CStatusStreamHandler::Requeue(int32_t handlerId, const std::shared_ptr<CSimpleThreadPool>& pool) {
  if (running_ && pool) {
    pool->AddJob(&CStatusStreamHandler::StatusCheckJob, this, handlerId, static_cast<uint32_t>(RetryDelay));
  }
}

void CStatusStreamHandler::PublishIfRunning(const char* message, const int32_t* pair, intptr_t value2,
                                            intptr_t value3) {
  if (running_) NotifySubscribers(message, reinterpret_cast<intptr_t>(pair), value2, value3);
}

void CStatusStreamHandler::Unregister(int32_t handlerId) {
  CMutexLock connections(connectionLock_);
  connections_.erase(handlerId);
}

bool CStatusStreamHandler::NeedsPasswordSetup(const char* text) {
  if (text[0] != '<') return false;
  CXmlCfg cfg;
  if (!cfg.ToCfg(text)) return false;
  return atol(cfg.GetValue("$Result$$Code$").c_str()) == 401 &&
         StrEqualNoCase(cfg.GetValue("$Result$$Comment$"), "Administrator Password Setup Required");
}

void CStatusStreamHandler::OnStatusCheck(int32_t handlerId) {
  int32_t pair[2];
  std::shared_ptr<CSimpleThreadPool> pool;
  std::vector<char> buffer;
  int interval = 0;
  {
    CMutexLock state(stateLock_);
    auto found = watches_.find(handlerId);
    if (found == watches_.end()) return;  // restarted since the job was queued
    Watch& watch = found->second;
    pair[0] = watch.pair[0];
    pair[1] = watch.pair[1];
    pool = watch.pool;
  }
  IDataStore* store = GetDataStore(pair[0]);
  if (!store || !IsServerPresent(store, pair[1])) {
    Requeue(handlerId, pool);
    return;
  }
  CSecureSock conn;
  {
    CMutexLock state(stateLock_);
    auto found = watches_.find(handlerId);
    if (found == watches_.end()) return;
    buffer.swap(found->second.buffer);
    interval = found->second.interval;
  }
  {
    CMutexLock connections(connectionLock_);
    if (!running_) return;
    connections_[handlerId] = INVALID_SOCKET;
  }

  bool sent = OpenStream(store, pair[1], interval, conn);
  bool receive = sent;
  {
    // From here Stop can wake the receive by shutting the socket down.
    CMutexLock connections(connectionLock_);
    connections_[handlerId] = conn.socket;
    if (!running_) receive = false;
  }
  if (!sent) PublishIfRunning("MSG_CONNECT_FAILED", pair);

  bool connected = false;
  while (receive && running_) {
    // Only this unit's own bytes may be read as a document.
    if (!buffer.empty()) buffer[0] = '\0';
    int result = ReceiveUnit(store, pair[1], interval, conn, &buffer);
    if (!running_ || result == kUnitGone) break;
    const char* text = buffer.empty() ? "" : buffer.data();
    if (result < 0) {
      if (NeedsPasswordSetup(text)) PublishIfRunning("MSG_NEED_TO_SYNCHRONIZE", pair);
      PublishIfRunning("MSG_CONNECT_FAILED", pair);
      break;
    }
    if (result == kUnitBody) {
      if (!connected) {
        connected = true;
        PublishIfRunning("MSG_CONNECTED", pair);
        if (running_) OnConnected(handlerId, store, pair);
      }
      if (!PublishUnit(handlerId, pair, text)) break;
    }
    if (Polling == 1) break;
  }

  Unregister(handlerId);
  conn.Close();
  {
    CMutexLock state(stateLock_);
    auto found = watches_.find(handlerId);
    if (found != watches_.end() && running_) found->second.buffer.swap(buffer);
  }
  Requeue(handlerId, pool);
}
