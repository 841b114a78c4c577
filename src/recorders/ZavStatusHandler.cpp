#include "recorders/ZavStatusHandler.h"

#include <stdlib.h>

#include <utility>

#include "database/IDataStore.h"
#include "database/SystemSettingManager.h"
#include "foundation/Log.h"
#include "foundation/SimpleThreadPool.h"
#include "foundation/StringUtil.h"
#include "foundation/XmlCfg.h"
#include "foundation/XmlSerializer.h"
#include "net/SecureSock.h"
#include "net/Sock.h"
#include "recorders/ZavDataAdapter.h"
#include "recorders/ZavEventStream.h"
#include "recorders/ZavStorageStatuses.h"
#include "recorders/ZavSysteminformation.h"

namespace {

constexpr int kSystemSettingsCategory = 2;

}  // namespace

CZavStatusHandler::CZavStatusHandler() = default;

CZavStatusHandler::~CZavStatusHandler() { Stop(); }

void CZavStatusHandler::Start() {
  std::lock_guard<std::mutex> start(startLock_);
  StopLocked();
  running_ = 1;

  struct Noted {
    int32_t handlerId;
    int32_t storeId;
    int32_t zavId;
  };
  std::vector<Noted> noted;
  for (const auto& [storeId, store] : DataStores) {
    if (!store) continue;
    for (const auto& entry : store->GetCachedEntityList("TBL_Zav")) {
      noted.push_back({ids_.NextID("ZAV_EVENT_HANDLER"), storeId, static_cast<int32_t>(entry.first)});
    }
  }

  std::map<int32_t, std::unique_ptr<CSystemSettingManager>> settings;  // one per store, this start only
  for (const Noted& n : noted) {
    int interval = Interval;
    if (UseSystemSettings == 1) {
      auto& manager = settings[n.storeId];
      if (!manager) manager = std::make_unique<CSystemSettingManager>(DataStores[n.storeId]);
      if (manager->GetLong(kSystemSettingsCategory, "EnableSystemStatus", 1) == 0) continue;
      interval = manager->GetLong(kSystemSettingsCategory, "SystemStatusInterval", Interval);
    }
    auto pool = std::make_shared<CSimpleThreadPool>();
    pool->Start(StrFormat("ZAV_STATUS_HANDLER_%d_%d_%d", n.storeId, n.zavId, Mode), 1);
    {
      std::lock_guard<std::mutex> state(stateLock_);
      Watch& watch = watches_[n.handlerId];
      watch.pair[0] = n.storeId;
      watch.pair[1] = n.zavId;
      watch.pool = pool;
      watch.interval = interval;
      watch.extraTimeout = ExtraTimeout;
    }
    pool->AddJob(&CZavStatusHandler::StatusCheckJob, this, n.handlerId, 0);
  }
}

void CZavStatusHandler::Stop() {
  std::lock_guard<std::mutex> start(startLock_);
  StopLocked();
}

void CZavStatusHandler::StopLocked() {
  running_ = 0;
  {
    // Wake every task blocked on its connection; each task closes its own.
    std::lock_guard<std::mutex> connections(connectionLock_);
    for (const auto& entry : connections_) sock::Shutdown(entry.second);
  }
  std::map<int32_t, Watch> watches;
  {
    std::lock_guard<std::mutex> state(stateLock_);
    watches.swap(watches_);
  }
  for (auto& entry : watches) {
    if (entry.second.pool) entry.second.pool->Stop(true, 30);
  }
}

IDataStore* CZavStatusHandler::GetDataStore(int32_t storeId) const {
  auto found = DataStores.find(storeId);
  return found == DataStores.end() ? nullptr : found->second;
}

bool CZavStatusHandler::IsStopped(void* handler) {
  return static_cast<CZavStatusHandler*>(handler)->running_.load() == 0;
}

void CZavStatusHandler::StatusCheckJob(void* handler, intptr_t handlerId) {
  static_cast<CZavStatusHandler*>(handler)->OnStatusCheck(static_cast<int32_t>(handlerId));
}

std::map<int32_t, std::string> CZavStatusHandler::GetWatchedPools() const {
  std::lock_guard<std::mutex> state(stateLock_);
  std::map<int32_t, std::string> pools;
  for (const auto& [id, watch] : watches_) pools[id] = watch.pool ? watch.pool->GetName() : "";
  return pools;
}

void CZavStatusHandler::Requeue(int32_t handlerId, const std::shared_ptr<CSimpleThreadPool>& pool) {
  if (running_ && pool) {
    pool->AddJob(&CZavStatusHandler::StatusCheckJob, this, handlerId, static_cast<uint32_t>(RetryDelay));
  }
}

void CZavStatusHandler::PublishIfRunning(const char* message, const int32_t* pair, intptr_t value2,
                                         intptr_t value3) {
  if (running_) NotifySubscribers(message, reinterpret_cast<intptr_t>(pair), value2, value3);
}

void CZavStatusHandler::Unregister(int32_t handlerId) {
  std::lock_guard<std::mutex> connections(connectionLock_);
  connections_.erase(handlerId);
}

bool CZavStatusHandler::NeedsPasswordSetup(const std::vector<char>& buffer) {
  if (buffer.empty() || buffer[0] != '<') return false;
  CXmlCfg cfg;
  if (!cfg.ToCfg(buffer.data())) return false;
  return atol(cfg.GetValue("$Result$$Code$").c_str()) == 401 &&
         StrEqualNoCase(cfg.GetValue("$Result$$Comment$"), "Administrator Password Setup Required");
}

bool CZavStatusHandler::PublishPart(int32_t handlerId, const int32_t* pair, const std::vector<char>& buffer) {
  const char* text = buffer.empty() ? "" : buffer.data();
  std::unique_ptr<CSerializable> record;
  if (Mode == 0 || Mode == 1) {
    record = std::make_unique<CZavEventStream>();
  } else if (Mode == 2) {
    record = std::make_unique<CZavStorageStatuses>();
  } else {
    return true;
  }
  if (!CXmlSerializer::FromXml(text, record.get())) {
    GATE_LOG(1, "ERROR - Error raised when deserialize system data of zav (%d/%d).\r\n", pair[0], pair[1]);
    return false;
  }
  std::shared_ptr<CZavSysteminformation> info;
  if (Mode == 0) {
    std::lock_guard<std::mutex> state(stateLock_);
    auto found = watches_.find(handlerId);
    if (found != watches_.end()) info = found->second.systemInfo;
  }
  PublishIfRunning("MSG_STATUS_RECEIVED", pair, reinterpret_cast<intptr_t>(record.get()),
                   reinterpret_cast<intptr_t>(info.get()));
  return true;
}

void CZavStatusHandler::OnStatusCheck(int32_t handlerId) {
  int32_t pair[2];
  std::shared_ptr<CSimpleThreadPool> pool;
  std::vector<char> buffer;
  int interval = 0;
  int extraTimeout = 0;
  {
    std::lock_guard<std::mutex> state(stateLock_);
    auto found = watches_.find(handlerId);
    if (found == watches_.end()) return;  // restarted since the job was queued
    Watch& watch = found->second;
    pair[0] = watch.pair[0];
    pair[1] = watch.pair[1];
    pool = watch.pool;
  }
  IDataStore* store = GetDataStore(pair[0]);
  if (!store || !store->FindCachedEntity("TBL_Zav", pair[1])) {
    Requeue(handlerId, pool);
    return;
  }
  CSecureSock conn;
  {
    std::lock_guard<std::mutex> state(stateLock_);
    auto found = watches_.find(handlerId);
    if (found == watches_.end()) return;
    buffer.swap(found->second.buffer);
    interval = found->second.interval;
    extraTimeout = found->second.extraTimeout;
  }
  {
    std::lock_guard<std::mutex> connections(connectionLock_);
    if (!running_) return;
    connections_[handlerId] = INVALID_SOCKET;
  }

  int sent = 1;  // a mode without a request goes straight to the receive, which fails
  if (Mode == 0) {
    sent = CZavDataAdapter::RequestSystemStatus(store, pair[1], interval, Polling, conn);
  } else if (Mode == 1) {
    sent = CZavDataAdapter::RequestEventStatus(store, pair[1], interval, Polling, conn);
  } else if (Mode == 2) {
    sent = CZavDataAdapter::RequestStorageStatus(store, pair[1], conn);
  }
  bool receive = sent == 1;
  {
    // From here Stop can wake the receive by shutting the socket down.
    std::lock_guard<std::mutex> connections(connectionLock_);
    connections_[handlerId] = conn.socket;
    if (!running_) receive = false;
  }
  if (sent != 1) PublishIfRunning("MSG_CONNECT_FAILED", pair);

  bool connected = false;
  while (receive && running_) {
    // Only this reply's own bytes may be read as a Result document.
    if (!buffer.empty()) buffer[0] = '\0';
    int result = CZavDataAdapter::ReceiveStatus(store, pair[1], interval, extraTimeout, conn, &buffer,
                                                &CZavStatusHandler::IsStopped, this);
    if (!running_) break;
    if (result < 0) {
      if (NeedsPasswordSetup(buffer)) PublishIfRunning("MSG_NEED_TO_SYNCHRONIZE", pair);
      PublishIfRunning("MSG_CONNECT_FAILED", pair);
      break;
    }
    if (result == 1) {
      if (!connected) {
        connected = true;
        PublishIfRunning("MSG_CONNECTED", pair);
        if (running_ && Mode == 0) {
          auto info = std::make_shared<CZavSysteminformation>();
          if (CZavDataAdapter::GetSystemInformation(store, pair[1], info.get()) != 1) info.reset();
          std::lock_guard<std::mutex> state(stateLock_);
          auto found = watches_.find(handlerId);
          if (found != watches_.end()) found->second.systemInfo = info;
        }
      }
      if (!PublishPart(handlerId, pair, buffer)) break;
    }
    if (Polling == 1) break;
  }

  Unregister(handlerId);
  conn.Close();
  {
    std::lock_guard<std::mutex> state(stateLock_);
    auto found = watches_.find(handlerId);
    if (found != watches_.end() && running_) found->second.buffer.swap(buffer);
  }
  Requeue(handlerId, pool);
}
