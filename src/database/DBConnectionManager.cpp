#include "database/DBConnectionManager.h"

#include <unistd.h>

#include <vector>

pid_t CurrentThreadId() { return gettid(); }

CDBConnectionManager::~CDBConnectionManager() {
  CScopedLock hold(lock_);
  for (auto& entry : connections_) {
    if (IDataAdapter* adapter = entry.second->GetAdapter()) adapter->Disconnect();
  }
  connections_.clear();
}

void CDBConnectionManager::SetConnectionParams(const char* host, int port, const char* database,
                                               const char* user, const char* password) {
  CScopedLock hold(lock_);
  host_ = host ? host : "";
  port_ = port;
  database_ = database ? database : "";
  user_ = user ? user : "";
  password_ = password ? password : "";
}

void CDBConnectionManager::SetAdapterType(const std::string& type) {
  CScopedLock hold(lock_);
  adapterType_ = type;
}

std::string CDBConnectionManager::GetAdapterType() const {
  CScopedLock hold(lock_);
  return adapterType_;
}

std::string CDBConnectionManager::GetHost() const {
  CScopedLock hold(lock_);
  return host_;
}

int CDBConnectionManager::GetPort() const {
  CScopedLock hold(lock_);
  return port_;
}

std::shared_ptr<CDBConnectionInfo> CDBConnectionManager::CreateConnection() {
  CScopedLock hold(lock_);
  auto connection = std::make_shared<CDBConnectionInfo>(
      adapterType_.c_str(), host_.c_str(), port_, database_.c_str(), user_.c_str(),
      password_.c_str());
  connections_[connection->GetId()] = connection;
  hold.ReleaseScopedLock();
  // Registered first (ids stay in creation order), connected outside the lock:
  // only the creating thread uses the connection until this call returns.
  IDataAdapter* adapter = connection->GetAdapter();
  if (!adapter || !adapter->IsConnected()) connection->OpenConnection();
  return connection;
}

std::shared_ptr<CDBConnectionInfo> CDBConnectionManager::FindConnection(int id) {
  return id > 0 ? FindConnectionById(id) : FindConnectionByThread(CurrentThreadId());
}

std::shared_ptr<CDBConnectionInfo> CDBConnectionManager::FindConnectionById(int id) {
  CScopedLock hold(lock_);
  auto it = connections_.find(id);
  return it == connections_.end() ? nullptr : it->second;
}

std::shared_ptr<CDBConnectionInfo> CDBConnectionManager::FindConnectionByThread(pid_t thread) {
  CScopedLock hold(lock_);
  for (auto& entry : connections_) {
    if (entry.second->GetOwnerThread() == thread) return entry.second;
  }
  return nullptr;
}

void CDBConnectionManager::ReleaseConnection(int id) {
  std::shared_ptr<CDBConnectionInfo> connection = FindConnection(id);
  if (!connection) return;
  if (IDataAdapter* adapter = connection->GetAdapter()) adapter->Disconnect();
  CScopedLock hold(lock_);
  connections_.erase(connection->GetId());
}
