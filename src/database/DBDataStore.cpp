#include "database/DBDataStore.h"

#include <ctime>
#include <memory>

#include "entities/base/DBEntity.h"
#include "entities/base/DBEntityFactory.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"

namespace {

bool IsEmpty(const char* text) { return !text || !*text; }

void LogMissingConnection(const char* function, int connection) {
  const LogCallSite site{__FILE__, function, __LINE__, nullptr};
  WriteLog(site, 1, "ERROR - Can't find '%d' connection.\r\n", connection);
}

}  // namespace

CDBDataStore::CDBDataStore(const std::string& adapter_type) {
  if (!adapter_type.empty()) manager_.SetAdapterType(adapter_type);
}

CDBDataStore::~CDBDataStore() { manager_.ReleaseConnection(0); }

void CDBDataStore::SetAdapterType(const std::string& type) { manager_.SetAdapterType(type); }

void CDBDataStore::Initialize(const char* host, int port, const char* database, const char* user,
                              const char* password) {
  manager_.SetConnectionParams(host, port, database, user, password);
  defaultConnection_.store(manager_.CreateConnection()->GetId());
}

std::shared_ptr<CDBConnectionInfo> CDBDataStore::GetConnection(int connection) {
  if (connection > 0) return manager_.FindConnection(connection);
  std::shared_ptr<CDBConnectionInfo> own = manager_.FindConnection(0);
  if (own) return own;
  int default_id = defaultConnection_.load();
  return default_id > 0 ? manager_.FindConnection(default_id) : nullptr;
}

std::string CDBDataStore::GetHost() const { return manager_.GetHost(); }

IDataAdapter* CDBDataStore::ReadAdapter(std::shared_ptr<CDBConnectionInfo>* keep) {
  *keep = GetConnection(0);
  return *keep ? (*keep)->GetAdapter() : nullptr;
}

IDataAdapter* CDBDataStore::WriteAdapter(int connection, const char* function,
                                         std::shared_ptr<CDBConnectionInfo>* keep) {
  *keep = GetConnection(connection);
  if (!*keep) {
    LogMissingConnection(function, connection);
    return nullptr;
  }
  return (*keep)->GetAdapter();
}

bool CDBDataStore::IsListedTable(const char* table) {
  std::unique_ptr<CDBEntity> probe(CDBEntityFactory::CreateEntity(table ? table : ""));
  return probe && !probe->IsMemoryOnly();
}

std::string CDBDataStore::GetTypeName() { return "CDBDataStore"; }

int CDBDataStore::OpenConnection() { return manager_.CreateConnection()->GetId(); }

bool CDBDataStore::IsConnected(int connection) {
  std::shared_ptr<CDBConnectionInfo> found = GetConnection(connection);
  return found && found->GetAdapter() && found->GetAdapter()->IsConnected();
}

void CDBDataStore::CloseConnection(int connection) { manager_.ReleaseConnection(connection); }

int CDBDataStore::BeginTransaction() {
  std::shared_ptr<CDBConnectionInfo> connection = manager_.CreateConnection();
  IDataAdapter* adapter = connection->GetAdapter();
  if (!adapter || !adapter->BeginTransaction()) {
    // Not left registered: it would become the thread's connection for its
    // later operations, or linger until the service ends.
    manager_.ReleaseConnection(connection->GetId());
    return 0;
  }
  connection->SetTransactionStart(time(nullptr));
  return connection->GetId();
}

bool CDBDataStore::EndTransaction(int connection, bool commit) {
  std::shared_ptr<CDBConnectionInfo> found = GetConnection(connection);
  if (!found) {
    LogMissingConnection(commit ? "CDBDataStore::CommitTransaction" : "CDBDataStore::RollbackTransaction",
                         connection);
    return false;
  }
  IDataAdapter* adapter = found->GetAdapter();
  bool ended = adapter && (commit ? adapter->CommitTransaction() : adapter->RollbackTransaction());
  manager_.ReleaseConnection(found->GetId());  // whatever the adapter reported
  return ended;
}

bool CDBDataStore::CommitTransaction(int connection) { return EndTransaction(connection, true); }

bool CDBDataStore::RollbackTransaction(int connection) { return EndTransaction(connection, false); }

EntityPtr CDBDataStore::FindEntity(const char* table, const char* key_column, int id) {
  if (IsEmpty(table) || IsEmpty(key_column)) return nullptr;
  std::shared_ptr<CDBConnectionInfo> keep;
  IDataAdapter* adapter = ReadAdapter(&keep);
  return adapter ? adapter->FindEntity(table, key_column, id) : nullptr;
}

bool CDBDataStore::AddEntity(CDBEntity* entity, int connection) {
  if (!entity) return false;
  if (entity->IsMemoryOnly()) return true;
  std::shared_ptr<CDBConnectionInfo> keep;
  IDataAdapter* adapter = WriteAdapter(connection, "CDBDataStore::AddEntity", &keep);
  return adapter && adapter->AddEntity(entity);
}

DBWriteResult CDBDataStore::UpdateEntity(CDBEntity* entity, const ColumnList* columns, int connection) {
  if (!entity) return false;
  if (entity->IsMemoryOnly()) return true;
  std::shared_ptr<CDBConnectionInfo> keep;
  IDataAdapter* adapter = WriteAdapter(connection, "CDBDataStore::UpdateEntity", &keep);
  if (!adapter) return false;
  return adapter->UpdateEntity(entity, columns);
}

DBWriteResult CDBDataStore::UpdateEntity(CDBEntity* entity, int connection) {
  return UpdateEntity(entity, nullptr, connection);
}

DBWriteResult CDBDataStore::DeleteEntity(CDBEntity* entity, int connection) {
  return DeleteEntityEx(entity, false, connection);
}

DBWriteResult CDBDataStore::DeleteEntityEx(CDBEntity* entity, bool physical, int connection) {
  if (!entity) return false;
  if (entity->IsMemoryOnly()) return true;
  std::shared_ptr<CDBConnectionInfo> keep;
  IDataAdapter* adapter = WriteAdapter(connection, "CDBDataStore::DeleteEntityEx", &keep);
  if (!adapter) return false;
  return adapter->DeleteEntity(entity, physical);
}

void CDBDataStore::GetEntityList(const char* table, const char* clause, EntityMap64& entities) {
  if (!IsListedTable(table)) return;
  std::shared_ptr<CDBConnectionInfo> keep;
  if (IDataAdapter* adapter = ReadAdapter(&keep)) adapter->GetEntityList(table, clause, entities);
}

void CDBDataStore::GetEntityList(const char* table, const char* clause, EntityMap& entities) {
  if (!IsListedTable(table)) return;
  std::shared_ptr<CDBConnectionInfo> keep;
  if (IDataAdapter* adapter = ReadAdapter(&keep)) adapter->GetEntityList(table, clause, entities);
}

bool CDBDataStore::ReadCacheRows(const char* table, EntityMap64& entities) {
  entities.clear();
  if (!IsListedTable(table)) return true;
  std::shared_ptr<CDBConnectionInfo> keep;
  IDataAdapter* adapter = ReadAdapter(&keep);
  return adapter != nullptr && adapter->GetEntityList(table, nullptr, entities);
}

std::string CDBDataStore::GetName() {
  return manager_.GetHost() + ":" + std::to_string(manager_.GetPort());
}

CDBSchema* CDBDataStore::GetDBSchema() {
  CScopedLock hold(schemaLock_);
  if (schemaCopied_) return &schema_;
  std::shared_ptr<CDBConnectionInfo> keep;
  IDataAdapter* adapter = ReadAdapter(&keep);
  if (!adapter) return nullptr;
  // The adapter's schema dies with its connection, while callers keep the
  // pointer. A schema that could not be read whole (no connection, a server
  // that went away) gives an empty or old copy, read again next time.
  schema_.CopyFrom(*adapter->GetDBSchema());
  schemaCopied_ = adapter->IsDBSchemaLoaded();
  return &schema_;
}

EntityPtr CDBDataStore::FindEntity(const char* table, const char* condition) {
  if (IsEmpty(table) || IsEmpty(condition)) return nullptr;
  std::shared_ptr<CDBConnectionInfo> keep;
  IDataAdapter* adapter = ReadAdapter(&keep);
  return adapter ? adapter->FindEntity(table, condition) : nullptr;
}

EntityPtr CDBDataStore::FindDBEntity(const char* table, const char* key_column, int id) {
  return FindEntity(table, key_column, id);
}

EntityPtr CDBDataStore::FindEntityEx(const char* table, const char* query) {
  if (IsEmpty(table) || IsEmpty(query)) return nullptr;
  std::shared_ptr<CDBConnectionInfo> keep;
  IDataAdapter* adapter = ReadAdapter(&keep);
  return adapter ? adapter->FindEntityEx(table, query) : nullptr;
}

void CDBDataStore::GetEntityList(const char* table, const char* clause, EntityCallback callback,
                                 void* context) {
  if (!IsListedTable(table)) return;
  std::shared_ptr<CDBConnectionInfo> keep;
  if (IDataAdapter* adapter = ReadAdapter(&keep)) {
    adapter->GetEntityList(table, clause, callback, context);
  }
}

void CDBDataStore::GetDBEntityList(const char* table, const char* clause, EntityMap64& entities) {
  GetEntityList(table, clause ? clause : "", entities);
}

void CDBDataStore::GetDBEntityList(const char* table, const char* clause, EntityMap& entities) {
  GetEntityList(table, clause ? clause : "", entities);
}

void CDBDataStore::GetEntityListEx(const char* table, const char* query, EntityCallback callback,
                                   void* context) {
  if (!IsListedTable(table)) return;
  std::shared_ptr<CDBConnectionInfo> keep;
  if (IDataAdapter* adapter = ReadAdapter(&keep)) {
    adapter->GetEntityListEx(table, query, callback, context);
  }
}

int CDBDataStore::GetEntityCount(const char* table, const char* clause) {
  std::shared_ptr<CDBConnectionInfo> keep;
  IDataAdapter* adapter = ReadAdapter(&keep);
  return adapter ? adapter->GetEntityCount(table, clause) : 0;
}

bool CDBDataStore::DeleteEntity(const char* table, const char* key_column, int id) {
  EntityPtr found = FindEntity(table, key_column, id);
  return found && DeleteEntityEx(found.get(), true, 0);
}
