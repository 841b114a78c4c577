#include "database/DataStore.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "database/PerformanceChecker.h"
#include "foundation/IDCreater.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"

namespace {

bool IsEmptyName(const char* name) { return name == nullptr || name[0] == '\0'; }

// Loads the columns of `from` that `columns` names (exact letter case) into `to`.
void LoadListedColumns(const CDBEntity& from, const ColumnList& columns, CDBEntity* to) {
  CKeyValueData values;
  for (const CColumnValue& value : from.GetColumnValues()) {
    if (std::find(columns.begin(), columns.end(), value.GetName()) != columns.end()) {
      values.SetValue(StrToLower(value.GetName()), value.GetValue());
    }
  }
  to->LoadFrom(values);
}

// A decimal integer as the relation index reads a column: 0 when empty.
int ColumnNumber(const std::string& text) {
  return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

}  // namespace

CDataStore::CDataStore(IDataService* service)
    : service_(service), store_no_(CIDCreater::GetInstance()->NextID("_DATASTORE")) {}

CDataStore::~CDataStore() {
  CScopedLock hold(store_lock_);
  changes_.Clear();
  cache_.clear();
  relation_index_.clear();
  table_locks_.clear();
}

// ---------------------------------------------------------------------------
// Forwarding to the database service

std::string CDataStore::GetTypeName() { return "DataStore"; }

int CDataStore::OpenConnection() {
  IDataService* service = service_.load();
  return service ? service->OpenConnection() : 0;
}

bool CDataStore::IsConnected(int connection) {
  IDataService* service = service_.load();
  return service ? service->IsConnected(connection) : false;
}

void CDataStore::CloseConnection(int connection) {
  if (IDataService* service = service_.load()) service->CloseConnection(connection);
}

int CDataStore::BeginTransaction() {
  IDataService* service = service_.load();
  return service ? service->BeginTransaction() : 0;
}

EntityPtr CDataStore::FindEntity(const char* table, const char*, int id) { return FindCachedEntity(table, id); }

std::string CDataStore::GetName() {
  IDataService* service = service_.load();
  if (service) return StrFormat("DataStore%d (%s)", store_no_, service->GetName().c_str());
  return StrFormat("DataStore%d", store_no_);
}

CDBSchema* CDataStore::GetDBSchema() {
  IDataService* service = service_.load();
  return service ? service->GetDBSchema() : &empty_schema_;
}

EntityPtr CDataStore::FindEntity(const char* table, const char* condition) {
  IDataService* service = service_.load();
  if (IsEmptyName(table) || !service) return nullptr;
  return service->FindEntity(table, condition);
}

EntityPtr CDataStore::FindDBEntity(const char* table, const char* key_column, int id) {
  IDataService* service = service_.load();
  if (IsEmptyName(table) || !service) return nullptr;
  return service->FindDBEntity(table, key_column, id);
}

EntityPtr CDataStore::FindEntityEx(const char* table, const char* query) {
  IDataService* service = service_.load();
  if (IsEmptyName(table) || !service) return nullptr;
  return service->FindEntityEx(table, query);
}

void CDataStore::GetEntityList(const char* table, const char* clause, EntityMap64& entities) {
  IDataService* service = service_.load();
  if (!service) return;
  service->GetEntityList(table, clause, entities);
  AttachAll(entities);
}

void CDataStore::GetEntityList(const char* table, const char* clause, EntityCallback callback, void* context) {
  if (IDataService* service = service_.load()) service->GetEntityList(table, clause, callback, context);
}

void CDataStore::GetDBEntityList(const char* table, const char* clause, EntityMap64& entities) {
  IDataService* service = service_.load();
  if (!service) return;
  service->GetDBEntityList(table, clause, entities);
  AttachAll(entities);
}

void CDataStore::GetDBEntityList(const char* table, const char* clause, EntityMap& entities) {
  IDataService* service = service_.load();
  if (!service) return;
  service->GetDBEntityList(table, clause, entities);
  AttachAll(entities);
}

void CDataStore::GetEntityListEx(const char* table, const char* query, EntityCallback callback, void* context) {
  if (IDataService* service = service_.load()) service->GetEntityListEx(table, query, callback, context);
}

int CDataStore::GetEntityCount(const char* table, const char* clause) {
  IDataService* service = service_.load();
  return service ? service->GetEntityCount(table, clause) : 0;
}

bool CDataStore::DeleteEntity(const char* table, const char* key_column, int id) {
  IDataService* service = service_.load();
  if (IsEmptyName(table) || !service) return false;
  return service->DeleteEntity(table, key_column, id);
}

std::string CDataStore::GetStoreText() { return std::string(); }

int CDataStore::NewTransactionId() { return CIDCreater::GetInstance()->NextID("_TRANSACTION", true); }

void CDataStore::AttachAll(EntityMap& rows) {
  for (auto& [id, row] : rows) {
    if (row) Attach(row.get());
  }
}

void CDataStore::AttachAll(EntityMap64& rows) {
  for (auto& [id, row] : rows) {
    if (row) Attach(row.get());
  }
}

// ---------------------------------------------------------------------------
// Tables, loading and look-ups

CLock& CDataStore::GetTableLock(const std::string& table) {
  CScopedLock hold(store_lock_);
  std::unique_ptr<CLock>& lock = table_locks_[table];
  if (!lock) lock = std::make_unique<CLock>();
  return *lock;
}

CDataStore::EntityMapPtr CDataStore::GetEntityMap(const std::string& table) {
  CScopedLock hold(store_lock_);
  auto it = cache_.find(table);
  return it == cache_.end() ? nullptr : it->second;
}

CDataStore::EntityMapPtr CDataStore::GetOrLoadEntityMap(const std::string& table) {
  CScopedLock hold(store_lock_);
  if (cache_.find(table) == cache_.end()) LoadEntityList(table.c_str());
  return GetEntityMap(table);
}

CDataStore::EntityMapPtr CDataStore::EnsureEntityMapLocked(const std::string& table) {
  CScopedLock hold(store_lock_);
  EntityMapPtr& map = cache_[table];
  if (!map) map = std::make_shared<EntityMap>();
  return map;
}

EntityPtr CDataStore::FindCachedEntityLocked(const std::string& table, int id) {
  CScopedLock hold(store_lock_);
  EntityMapPtr map = GetOrLoadEntityMap(table);
  if (!map) return nullptr;
  auto it = map->find(id);
  return it == map->end() ? nullptr : it->second;
}

EntityMap CDataStore::GetCachedEntityListLocked(const std::string& table) {
  CScopedLock hold(store_lock_);
  EntityMapPtr map = GetOrLoadEntityMap(table);
  return map ? *map : EntityMap();
}

void CDataStore::LoadEntityList(const char* table) {
  if (IsEmptyName(table)) return;
  CScopedLock hold(store_lock_);
  CPerformanceChecker checker(table);
  EntityMapPtr& map = cache_[table];
  if (map) {
    map->clear();
  } else {
    map = std::make_shared<EntityMap>();
  }
  IDataService* service = service_.load();
  if (!service) return;
  GATE_LOG_DEFAULT("INFO - Load '%s' Entity List.\r\n", table);
  EntityMapPtr filled = map;  // the reference may not survive a re-entrant load
  service->GetEntityList(table, nullptr, *filled);
  AttachAll(*filled);
  ++versions_[table];
}

EntityPtr CDataStore::FindCachedEntity(const char* table, int id) {
  if (IsEmptyName(table)) return nullptr;
  CScopedLock tableHold(GetTableLock(table));
  return FindCachedEntityLocked(table, id);
}

EntityMap CDataStore::GetCachedEntityList(const char* table) {
  if (IsEmptyName(table)) return EntityMap();
  CScopedLock tableHold(GetTableLock(table));
  return GetCachedEntityListLocked(table);
}

int CDataStore::HasEntityList(const char* table) {
  if (IsEmptyName(table)) return 0;
  CScopedLock tableHold(GetTableLock(table));
  CScopedLock hold(store_lock_);
  EntityMapPtr map = GetOrLoadEntityMap(table);
  return map ? static_cast<int>(map->size()) : 0;
}

void CDataStore::GetEntityList(const char* table, const char*, EntityMap& entities) {
  entities.clear();
  if (IsEmptyName(table)) return;
  CScopedLock tableHold(GetTableLock(table));
  CScopedLock hold(store_lock_);
  EntityMapPtr map = GetOrLoadEntityMap(table);
  if (!map) return;
  for (const auto& [id, row] : *map) {
    CDBEntity* copy = row ? row->Clone() : nullptr;
    if (copy) entities[id] = EntityPtr(copy);
  }
}

int CDataStore::GetTableVersion(const char* table) {
  if (IsEmptyName(table)) return 0;
  CScopedLock hold(store_lock_);
  auto it = versions_.find(table);
  return it == versions_.end() ? 0 : it->second;
}

void CDataStore::UnloadEntityList(const char* table) {
  if (IsEmptyName(table)) return;
  CScopedLock hold(store_lock_);
  cache_.erase(table);
  for (auto it = relation_index_.begin(); it != relation_index_.end();) {
    if (it->first.find(table) != std::string::npos) {
      it = relation_index_.erase(it);
    } else {
      ++it;
    }
  }
}

void CDataStore::Clear() {
  CScopedLock hold(store_lock_);
  changes_.Clear();
  cache_.clear();
  relation_index_.clear();
}

// ---------------------------------------------------------------------------
// Relation index

EntityMap CDataStore::GetRelatedEntityList(const char* owner_table, int owner_id, const char* related_table,
                                           const char* column) {
  if (IsEmptyName(related_table) || IsEmptyName(column)) return EntityMap();
  const std::string owner = owner_table ? owner_table : "";
  CScopedLock tableHold(GetTableLock(related_table));
  const std::string key = owner + "_" + related_table + "_" + column;
  CScopedLock hold(store_lock_);
  auto version = relation_versions_.find(key);
  auto current = versions_.find(related_table);
  const int currentVersion = current == versions_.end() ? 0 : current->second;
  if (relation_index_.find(key) == relation_index_.end() || version == relation_versions_.end() ||
      version->second < currentVersion) {
    BuildRelationIndex(key, related_table, column);
  }
  return FindRelatedEntities(key, owner_id);
}

void CDataStore::BuildRelationIndex(const std::string& key, const std::string& related_table,
                                    const std::string& column) {
  CScopedLock hold(store_lock_);
  EntityMap rows = GetCachedEntityListLocked(related_table);
  RelationGroups groups;
  for (const auto& [id, row] : rows) {
    if (!row) continue;
    for (const CColumnValue& value : row->GetColumnValues()) {
      if (StrEqualNoCase(value.GetName(), column)) {
        groups[ColumnNumber(value.GetValue())][id] = row;
        break;
      }
    }
  }
  relation_index_[key] = std::move(groups);
  relation_versions_[key] = versions_[related_table];
}

EntityMap CDataStore::FindRelatedEntities(const std::string& key, int owner_id) {
  CScopedLock hold(store_lock_);
  auto it = relation_index_.find(key);
  if (it == relation_index_.end()) return EntityMap();
  auto group = it->second.find(owner_id);
  return group == it->second.end() ? EntityMap() : group->second;
}

// ---------------------------------------------------------------------------
// Writes

bool CDataStore::RunsDatabaseStep() { return service_.load() != nullptr && !cache_only_.load(); }

void CDataStore::RaiseVersion(const std::string& table) {
  if (!service_.load()) return;
  CScopedLock hold(store_lock_);
  ++versions_[table];
}

EntityPtr CDataStore::CloneForCache(const CDBEntity& row) {
  CDBEntity* copy = row.Clone();
  if (!copy) return nullptr;
  Attach(copy);
  return EntityPtr(copy);
}

bool CDataStore::AddEntity(CDBEntity* entity, int transaction) {
  if (!entity) return false;
  const std::string table = entity->GetTableName();
  CScopedLock tableHold(GetTableLock(table));
  if (RunsDatabaseStep() && !service_.load()->AddEntity(entity, transaction)) {
    GATE_LOG(1, "ERROR - Error riased when add '%s' entity.\r\n", table.c_str());
    return false;
  }
  if (entity->IsExcludedFromCache()) return true;
  EntityPtr copy = CloneForCache(*entity);
  if (!copy) return false;
  if (transaction != 0) {
    changes_.AddChange(transaction, CTransactionChanges::kAdd, copy);
    return true;
  }
  if (!CacheAddedRow(table, copy)) return false;
  RaiseVersion(table);
  return true;
}

bool CDataStore::CacheAddedRow(const std::string& table, const EntityPtr& copy) {
  CScopedLock hold(store_lock_);
  const bool wasCached = GetEntityMap(table) != nullptr;
  EntityMapPtr map = GetOrLoadEntityMap(table);
  if (!map) return false;
  // A row without a single key column that the load just read from the
  // database is in the map already, under an ID of its own.
  if (!wasCached && !copy->HasKeyColumn() && RunsDatabaseStep()) return true;
  (*map)[copy->GetID()] = copy;
  return true;
}

bool CDataStore::UpdateEntity(CDBEntity* entity, int transaction) { return UpdateEntity(entity, nullptr, transaction); }

bool CDataStore::UpdateEntity(CDBEntity* entity, const ColumnList* columns, int transaction) {
  if (!entity) return false;
  const std::string table = entity->GetTableName();
  const int id = entity->GetID();
  CScopedLock tableHold(GetTableLock(table));
  // A column list limits the database's update as it limits the cache's, so
  // both hold the same row and a writer of other columns is not overwritten.
  if (RunsDatabaseStep() && !service_.load()->UpdateEntity(entity, columns, transaction)) {
    GATE_LOG(1, "ERROR - Error riased when update '%s:%d' entity.\r\n", table.c_str(), id);
    return false;
  }
  if (entity->IsExcludedFromCache() || !entity->HasKeyColumn()) return true;
  CScopedLock hold(store_lock_);
  EntityMapPtr map = GetOrLoadEntityMap(table);
  if (!map) return false;
  auto it = map->find(id);
  if (it == map->end() || !it->second) {
    GATE_LOG(1, "ERROR - Can't find '%s:%d' entity in store.\r\n", table.c_str(), id);
    return false;
  }
  if (transaction != 0) {
    // Listed columns change the row as the transaction has it so far.
    EntityPtr recorded = columns ? changes_.FindRecordedRow(transaction, *entity) : nullptr;
    EntityPtr copy = CloneForCache(!columns ? *entity : recorded ? *recorded : *it->second);
    if (!copy) return false;
    if (columns) LoadListedColumns(*entity, *columns, copy.get());
    changes_.AddChange(transaction, CTransactionChanges::kUpdate, copy);
    return true;
  }
  if (columns) {
    LoadListedColumns(*entity, *columns, it->second.get());
  } else {
    entity->CopyTo(it->second.get());
  }
  RaiseVersion(table);
  return true;
}

bool CDataStore::DeleteEntity(CDBEntity* entity, int transaction) { return DeleteEntityEx(entity, false, transaction); }

bool CDataStore::DeleteEntityEx(CDBEntity* entity, bool physical, int transaction) {
  VisitedRows visited;
  return DeleteFollowingRelations(entity, physical, transaction, &visited);
}

bool CDataStore::DeleteFollowingRelations(CDBEntity* entity, bool physical, int transaction,
                                          VisitedRows* visited) {
  if (!entity) return false;
  const std::string table = entity->GetTableName();
  const int id = entity->GetID();
  // Relations that lead back to a row this delete is already handling are not
  // followed again: a cycle of mode-1 relations would otherwise never end.
  visited->insert({table, id});
  CScopedLock tableHold(GetTableLock(table));
  for (const CRelationInfo& relation : entity->GetRelationInfos()) {
    const int mode = relation.GetMode();
    if (mode != kRelationModeDelete && mode != kRelationModeSetZero) continue;
    const std::string& related = relation.GetRelatedTable();
    const std::string& column = relation.GetRelationColumn();
    EntityMap rows = GetRelatedEntityList(table.c_str(), id, related.c_str(), column.c_str());
    for (const auto& [relatedId, row] : rows) {
      if (!row) continue;
      if (mode == kRelationModeDelete) {
        if (visited->count({related, relatedId})) continue;
        if (!DeleteFollowingRelations(row.get(), physical, transaction, visited)) {
          GATE_LOG(1, "ERROR - Error raised when delete related entity. (%s-%s:%d)\r\n", table.c_str(),
                   related.c_str(), relatedId);
          return false;
        }
      } else {
        std::unique_ptr<CDBEntity> copy(row->Clone());
        bool updated = false;
        if (copy) {
          CKeyValueData zero;
          zero.SetValue(StrToLower(column), "0");
          copy->LoadFrom(zero);
          updated = UpdateEntity(copy.get(), transaction);
        }
        if (!updated) {
          GATE_LOG(1, "ERROR - Error raised when set to null for relation entity (%s-%s:%d).\r\n",
                   table.c_str(), related.c_str(), relatedId);
          return false;
        }
      }
    }
  }
  if (RunsDatabaseStep() && !service_.load()->DeleteEntityEx(entity, physical, transaction)) {
    GATE_LOG(1, "ERROR - Error riased when delete '%s:%d' entity.\r\n", table.c_str(), id);
    return false;
  }
  if (entity->IsExcludedFromCache()) return true;
  CScopedLock hold(store_lock_);
  EntityMapPtr map = GetOrLoadEntityMap(table);
  if (!map) return false;
  auto it = map->find(id);
  if (it == map->end()) {
    GATE_LOG(1, "INFO - Can't find '%s:%d' entity in store.\r\n", table.c_str(), id);
    return true;
  }
  if (transaction != 0) {
    EntityPtr copy = CloneForCache(*entity);
    if (!copy) return false;
    changes_.AddChange(transaction, CTransactionChanges::kDelete, copy);
    return true;
  }
  map->erase(it);
  RaiseVersion(table);
  return true;
}

bool CDataStore::CommitTransaction(int transaction) {
  bool committed = true;
  IDataService* service = service_.load();
  if (transaction > 0 && service) committed = service->CommitTransaction(transaction);
  for (const CTransactionChanges::Change& change : changes_.GetChanges(transaction)) {
    switch (change.kind) {
      case CTransactionChanges::kAdd:
        OnDataAdded(change.row.get());
        break;
      case CTransactionChanges::kUpdate:
        OnDataUpdated(change.row.get());
        break;
      case CTransactionChanges::kDelete:
        OnDataDeleted(change.row.get());
        break;
      default:
        break;
    }
  }
  changes_.RemoveTransaction(transaction);
  return committed;
}

bool CDataStore::RollbackTransaction(int transaction) {
  bool rolledBack = true;
  IDataService* service = service_.load();
  if (transaction > 0 && service) rolledBack = service->RollbackTransaction(transaction);
  changes_.RemoveTransaction(transaction);
  return rolledBack;
}

void CDataStore::OnDataAdded(CDBEntity* entity) {
  if (!entity || entity->IsExcludedFromCache()) return;
  const std::string table = entity->GetTableName();
  CScopedLock tableHold(GetTableLock(table));
  EntityPtr copy = CloneForCache(*entity);
  if (!copy || !CacheAddedRow(table, copy)) return;
  RaiseVersion(table);
}

void CDataStore::OnDataUpdated(CDBEntity* entity) {
  if (!entity || entity->IsExcludedFromCache()) return;
  const std::string table = entity->GetTableName();
  const int id = entity->GetID();
  CScopedLock tableHold(GetTableLock(table));
  {
    CScopedLock hold(store_lock_);
    EntityMapPtr map = GetOrLoadEntityMap(table);
    if (!map) return;
    auto it = map->find(id);
    if (it == map->end() || !it->second) {
      GATE_LOG(1, "ERROR - Can't find '%s:%d' entity in store.\r\n", table.c_str(), id);
      return;
    }
    entity->CopyTo(it->second.get());
  }
  RaiseVersion(table);
}

void CDataStore::OnDataDeleted(CDBEntity* entity) {
  if (!entity || entity->IsExcludedFromCache()) return;
  const std::string table = entity->GetTableName();
  const int id = entity->GetID();
  CScopedLock tableHold(GetTableLock(table));
  {
    CScopedLock hold(store_lock_);
    EntityMapPtr map = GetOrLoadEntityMap(table);
    if (!map) return;
    auto it = map->find(id);
    if (it == map->end()) {
      GATE_LOG(1, "INFO - Can't find '%s:%d' entity in store.\r\n", table.c_str(), id);
      return;
    }
    map->erase(it);
  }
  RaiseVersion(table);
}
