#include "recorders/ZavStatusHandler.h"

#include "database/IDataStore.h"
#include "database/SystemSettingManager.h"
#include "foundation/Log.h"
#include "foundation/XmlSerializer.h"
#include "recorders/ZavDataAdapter.h"
#include "recorders/ZavEventStream.h"
#include "recorders/ZavStorageStatuses.h"
#include "recorders/ZavSysteminformation.h"

namespace {

constexpr int kSystemSettingsCategory = 2;

}  // namespace

CZavStatusHandler::CZavStatusHandler() : CStatusStreamHandler("ZAV_EVENT_HANDLER", "ZAV_STATUS_HANDLER") {}

CZavStatusHandler::~CZavStatusHandler() { Stop(); }

std::vector<CStatusStreamHandler::Server> CZavStatusHandler::ListServers(int32_t /*storeId*/, IDataStore* store) {
  bool watched = true;
  int interval = Interval;
  if (UseSystemSettings == 1) {
    CSystemSettingManager settings(store);
    watched = settings.GetLong(kSystemSettingsCategory, "EnableSystemStatus", 1) != 0;
    interval = settings.GetLong(kSystemSettingsCategory, "SystemStatusInterval", Interval);
  }
  std::vector<Server> servers;
  for (const auto& entry : store->GetCachedEntityList("TBL_Zav")) {
    servers.push_back({static_cast<int32_t>(entry.first), watched, interval});
  }
  return servers;
}

bool CZavStatusHandler::IsServerPresent(IDataStore* store, int32_t zavId) {
  return store->FindCachedEntity("TBL_Zav", zavId) != nullptr;
}

bool CZavStatusHandler::OpenStream(IDataStore* store, int32_t zavId, int interval, CSecureSock& conn) {
  // A mode without a request goes straight to the receive, which fails.
  if (Mode == 0) return CZavDataAdapter::RequestSystemStatus(store, zavId, interval, Polling, conn) == 1;
  if (Mode == 1) return CZavDataAdapter::RequestEventStatus(store, zavId, interval, Polling, conn) == 1;
  if (Mode == 2) return CZavDataAdapter::RequestStorageStatus(store, zavId, conn) == 1;
  return true;
}

int CZavStatusHandler::ReceiveUnit(IDataStore* store, int32_t zavId, int interval, CSecureSock& conn,
                                   std::vector<char>* buffer) {
  return CZavDataAdapter::ReceiveStatus(store, zavId, interval, ExtraTimeout, conn, buffer,
                                        &CStatusStreamHandler::IsStopped, this);
}

void CZavStatusHandler::OnConnected(int32_t handlerId, IDataStore* store, const int32_t* pair) {
  if (Mode != 0) return;
  auto info = std::make_shared<CZavSysteminformation>();
  if (CZavDataAdapter::GetSystemInformation(store, pair[1], info.get()) != 1) info.reset();
  CMutexLock hold(infoLock_);
  systemInfo_[handlerId] = info;
}

bool CZavStatusHandler::PublishUnit(int32_t handlerId, const int32_t* pair, const char* text) {
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
    CMutexLock hold(infoLock_);
    auto found = systemInfo_.find(handlerId);
    if (found != systemInfo_.end()) info = found->second;
  }
  PublishIfRunning("MSG_STATUS_RECEIVED", pair, reinterpret_cast<intptr_t>(record.get()),
                   reinterpret_cast<intptr_t>(info.get()));
  return true;
}

void CZavStatusHandler::OnStopped() {
  CMutexLock hold(infoLock_);
  systemInfo_.clear();
}
