#include "database/DataStore.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "database/PerformanceChecker.h"
#include "entities/base/DBEntityFactory.h"
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

// The cache key of a 32-bit id: widened with its sign, as GetID64 widens one.
uint64_t KeyOfId(int id) { return static_cast<uint64_t>(static_cast<int64_t>(id)); }

// The tables this thread is loading, with their fresh rows. A subclass's load
// steps that look the loading table up (directly, or through the load of a
// companion table that looks it up) are answered from these rows.
struct LoadingTable {
  const CDataStore* store;
  const std::string* table;
  EntityMap64* rows;
};
thread_local std::vector<LoadingTable> t_loading;
thread_local int t_loading_count = 0;  // t_loading's size, a plain word for the look-ups' quick test

EntityMap64* RowsLoadingHere(const CDataStore* store, std::string_view table) {
  if (t_loading_count == 0) return nullptr;
  for (auto it = t_loading.rbegin(); it != t_loading.rend(); ++it) {
    if (it->store == store && *it->table == table) return it->rows;
  }
  return nullptr;
}

// Lists a table as loading on this thread for the life of the object.
class LoadingHere {
 public:
  LoadingHere(const CDataStore* store, const std::string* table, EntityMap64* rows) {
    t_loading.push_back({store, table, rows});
    ++t_loading_count;
  }
  ~LoadingHere() {
    t_loading.pop_back();
    --t_loading_count;
  }
  LoadingHere(const LoadingHere&) = delete;
  LoadingHere& operator=(const LoadingHere&) = delete;
};

}  // namespace

CDataStore::CDataStore(IDataService* service)
    : service_(service), storeNo_(CIDCreater::GetInstance()->NextID("_DATASTORE")) {}

CDataStore::~CDataStore() { changes_.Clear(); }

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
  if (service) return StrFormat("DataStore%d (%s)", storeNo_, service->GetName().c_str());
  return StrFormat("DataStore%d", storeNo_);
}

CDBSchema* CDataStore::GetDBSchema() {
  IDataService* service = service_.load();
  return service ? service->GetDBSchema() : &emptySchema_;
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

bool CDataStore::ReadCacheRows(const char* table, EntityMap64& entities) {
  IDataService* service = service_.load();
  return service != nullptr && service->ReadCacheRows(table, entities);
}

// ---------------------------------------------------------------------------
// Tables, loading and look-ups

CLock& CDataStore::GetTableLock(const std::string& table) {
  CMutexLock hold(tableLocksMutex_);
  std::unique_ptr<CLock>& lock = tableLocks_[table];
  if (!lock) lock = std::make_unique<CLock>();
  return *lock;
}

template <typename Visit>
bool CDataStore::VisitRows(const char* table, Visit&& visit) {
  if (IsEmptyName(table)) return false;
  if (EntityMap64* own = RowsLoadingHere(this, std::string_view(table))) {
    visit(*own);
    return true;
  }
  return VisitCachedRows(table, std::forward<Visit>(visit));
}

template <typename Visit>
bool CDataStore::VisitCachedRows(const char* table, Visit&& visit) {
  if (IsEmptyName(table)) return false;
  const std::string_view name(table);
  for (int attempt = 0; attempt < 2; ++attempt) {
    {
      CCacheReadHold hold(cacheLock_);
      auto it = cache_.find(name);
      if (it != cache_.end()) {
        visit(it->second);
        return true;
      }
    }
    if (!LoadTable(std::string(name), false)) return false;
  }
  return false;
}

bool CDataStore::EnsureCached(const std::string& table) {
  {
    CCacheReadHold hold(cacheLock_);
    if (cache_.count(table) != 0) return true;
  }
  return LoadTable(table, false);
}

bool CDataStore::LoadTable(const std::string& table, bool replace) {
  CPerformanceChecker checker(table.c_str());
  PendingLoad pending;
  {
    CCacheWriteHold hold(cacheLock_);
    loading_.emplace(table, &pending);
  }
  IDataService* service = service_.load();
  EntityMap64 fresh;
  bool read = true;
  if (service) {
    GATE_LOG_DEFAULT("INFO - Load '%s' Entity List.\r\n", table.c_str());
    read = service->ReadCacheRows(table.c_str(), fresh);
    if (read) {
      AttachAll(fresh);
      LoadingHere here(this, &table, &fresh);
      PrepareLoadedRows(table, fresh);
    } else {
      GATE_LOG(1, "ERROR - Can't load '%s' entity list: the table stays out of the cache.\r\n", table.c_str());
    }
  }
  CachedRows rows;
  rows.reserve(fresh.size());
  for (auto& [key, row] : fresh) rows[key] = std::move(row);
  fresh.clear();
  CachedRows dropped;  // rows replaced, released after the lock
  CCacheWriteHold hold(cacheLock_);
  for (auto [it, end] = loading_.equal_range(table); it != end; ++it) {
    if (it->second == &pending) {
      loading_.erase(it);
      break;
    }
  }
  auto cached = cache_.find(table);
  if (!read) {
    if (replace && cached != cache_.end()) {
      dropped.swap(cached->second);
      cache_.erase(cached);
    }
    return false;
  }
  if (cached != cache_.end() && !replace) return true;  // another thread's load went in first
  // Changes made while the table was read: some the read saw, some not;
  // applying them again gives what the database holds now.
  for (const RowChange& change : pending.changes) change(rows);
  if (cached == cache_.end()) cached = cache_.emplace(table, CachedRows()).first;
  dropped.swap(cached->second);
  cached->second.swap(rows);
  if (service) ++versions_[table];
  OnRowsInstalled(table, cached->second);
  return true;
}

void CDataStore::PrepareLoadedRows(const std::string&, EntityMap64&) {}

void CDataStore::OnRowsInstalled(const std::string&, CachedRows&) {}

CDataStore::CachedRows* CDataStore::CachedRowsLocked(const std::string& table, bool create) {
  auto it = cache_.find(table);
  if (it != cache_.end()) return &it->second;
  return create ? &cache_.emplace(table, CachedRows()).first->second : nullptr;
}

void CDataStore::LoadEntityList(const char* table) {
  if (IsEmptyName(table)) return;
  LoadTable(table, true);
}

EntityPtr CDataStore::FindCachedEntity(const char* table, int id) { return FindCachedEntity64(table, KeyOfId(id)); }

EntityPtr CDataStore::FindCachedEntity64(const char* table, uint64_t key) {
  EntityPtr found;
  VisitRows(table, [&](const auto& rows) {
    auto it = rows.find(key);
    if (it != rows.end()) found = it->second;
  });
  return found;
}

EntityMap CDataStore::GetCachedEntityList(const char* table) {
  EntityMap list;
  VisitRows(table, [&](const auto& rows) {
    for (const auto& [key, row] : rows) list.emplace(static_cast<int>(key), row);
  });
  return list;
}

EntityMap64 CDataStore::GetCachedEntityList64(const char* table) {
  EntityMap64 list;
  VisitRows(table, [&](const auto& rows) { list.insert(rows.begin(), rows.end()); });
  return list;
}

int CDataStore::HasEntityList(const char* table) {
  int count = 0;
  VisitRows(table, [&](const auto& rows) { count = static_cast<int>(rows.size()); });
  return count;
}

void CDataStore::GetEntityList(const char* table, const char*, EntityMap& entities) {
  entities.clear();
  for (const auto& [id, row] : GetCachedEntityList(table)) {
    CDBEntity* copy = row ? row->Clone() : nullptr;
    if (copy) entities[id] = EntityPtr(copy);
  }
}

int CDataStore::GetTableVersion(const char* table) {
  if (IsEmptyName(table)) return 0;
  CCacheReadHold hold(cacheLock_);
  auto it = versions_.find(std::string_view(table));
  return it == versions_.end() ? 0 : it->second;
}

void CDataStore::UnloadEntityList(const char* table) {
  if (IsEmptyName(table)) return;
  CachedRows dropped;
  CCacheWriteHold hold(cacheLock_);
  auto cached = cache_.find(std::string_view(table));
  if (cached != cache_.end()) {
    dropped.swap(cached->second);
    cache_.erase(cached);
  }
  for (auto it = relationIndex_.begin(); it != relationIndex_.end();) {
    if (it->first.find(table) != std::string::npos) {
      it = relationIndex_.erase(it);
    } else {
      ++it;
    }
  }
}

void CDataStore::Clear() {
  changes_.Clear();
  std::map<std::string, CachedRows, std::less<>> dropped;
  CCacheWriteHold hold(cacheLock_);
  dropped.swap(cache_);
  relationIndex_.clear();
}

// ---------------------------------------------------------------------------
// Relation index

template <typename Rows>
CDataStore::RelationGroups CDataStore::GroupRows(const Rows& rows, const std::string& column) {
  RelationGroups groups;
  for (const auto& [key, row] : rows) {
    if (!row) continue;
    for (const CColumnValue& value : row->GetColumnValues()) {
      if (StrEqualNoCase(value.GetName(), column)) {
        groups[ColumnNumber(value.GetValue())][static_cast<int>(key)] = row;
        break;
      }
    }
  }
  return groups;
}

EntityMap CDataStore::GetRelatedEntityList(const char* owner_table, int owner_id, const char* related_table,
                                           const char* column) {
  if (IsEmptyName(related_table) || IsEmptyName(column)) return EntityMap();
  auto groupOf = [owner_id](const RelationGroups& groups) {
    auto group = groups.find(owner_id);
    return group == groups.end() ? EntityMap() : group->second;
  };
  // Rows this thread is loading are not indexed: they are not the cache's yet.
  if (EntityMap64* own = RowsLoadingHere(this, related_table)) {
    return groupOf(GroupRows(*own, column));
  }
  const std::string key = std::string(owner_table ? owner_table : "") + "_" + related_table + "_" + column;
  EntityMap found;
  bool current = false;
  CachedRows rows;
  int version = 0;
  const bool cached = VisitCachedRows(related_table, [&](const auto& cachedRows) REQUIRES_SHARED(cacheLock_) {
    auto tableVersion = versions_.find(std::string_view(related_table));
    version = tableVersion == versions_.end() ? 0 : tableVersion->second;
    auto entry = relationIndex_.find(key);
    auto entryVersion = relationVersions_.find(key);
    if (entry != relationIndex_.end() && entryVersion != relationVersions_.end() &&
        entryVersion->second >= version) {
      current = true;
      found = groupOf(entry->second);
      return;
    }
    rows = cachedRows;
  });
  if (!cached || current) return found;
  // Built with no lock held from the rows of `version`; a build from an older
  // version that goes in last is only rebuilt by the next call.
  RelationGroups groups = GroupRows(rows, column);
  found = groupOf(groups);
  CCacheWriteHold hold(cacheLock_);
  relationIndex_[key] = std::move(groups);
  relationVersions_[key] = version;
  return found;
}

EntityMap CDataStore::DependentRows(const std::string& table, int id, const std::string& related,
                                    const std::string& column) {
  const CTableDescriptor* descriptor = CDBEntityFactory::GetTableDescriptor(related);
  if (descriptor && descriptor->HasFlag(kEntityExcludedFromCache) && RunsDatabaseStep()) {
    EntityMap rows;
    const std::string clause = StrFormat("WHERE `%s` = %d", column.c_str(), id);
    service_.load()->GetDBEntityList(related.c_str(), clause.c_str(), rows);
    return rows;
  }
  return GetRelatedEntityList(table.c_str(), id, related.c_str(), column.c_str());
}

// ---------------------------------------------------------------------------
// Changes of cached rows

template <typename Rows>
typename Rows::const_iterator CDataStore::FindSameRow(const Rows& rows, const CDBEntity& row) {
  auto it = rows.find(row.GetID64());
  if (it != rows.end() && it->second && IsSameRow(*it->second, row)) return it;
  // A row of a two-column key made by the caller has a hidden row id of its
  // own: its cached row is the one with the same two key values.
  if (!row.HasCompositeKey()) return rows.end();
  return std::find_if(rows.begin(), rows.end(),
                      [&](const auto& entry) { return entry.second && IsSameRow(*entry.second, row); });
}

EntityPtr CDataStore::FindCachedRow(const std::string& table, const CDBEntity& row) {
  EntityPtr found;
  VisitRows(table.c_str(), [&](const auto& rows) {
    auto it = FindSameRow(rows, row);
    if (it != rows.end()) found = it->second;
  });
  return found;
}

CDataStore::RowChange CDataStore::PutRow(EntityPtr copy) {
  return [copy](CachedRows& rows) {
    rows[copy->GetID64()] = copy;
    return ChangeResult::kApplied;
  };
}

CDataStore::RowChange CDataStore::UpdateRow(EntityPtr source, std::shared_ptr<const ColumnList> columns) {
  return [source, columns](CachedRows& rows) {
    auto same = FindSameRow(rows, *source);
    if (same == rows.end()) return ChangeResult::kRowMissing;
    CDBEntity* cached = same->second.get();
    if (columns) {
      LoadListedColumns(*source, *columns, cached);
    } else {
      // A row without a key column keeps its hidden row id: its key in the map.
      if (!cached->HasKeyColumn()) source->SetID(cached->GetID());
      source->CopyTo(cached);
    }
    return ChangeResult::kApplied;
  };
}

CDataStore::RowChange CDataStore::EraseRow(EntityPtr row) {
  return [row](CachedRows& rows) {
    auto same = FindSameRow(rows, *row);
    if (same == rows.end()) return ChangeResult::kRowMissing;
    rows.erase(same);
    return ChangeResult::kApplied;
  };
}

std::optional<CDataStore::ChangeResult> CDataStore::ChangeCachedRows(const std::string& table,
                                                                     const RowChange& change) {
  CCacheWriteHold hold(cacheLock_);
  for (auto [it, end] = loading_.equal_range(table); it != end; ++it) it->second->changes.push_back(change);
  auto cached = cache_.find(table);
  if (cached == cache_.end()) return std::nullopt;
  const ChangeResult result = change(cached->second);
  if (result == ChangeResult::kApplied && service_.load()) ++versions_[table];
  return result;
}

// ---------------------------------------------------------------------------
// Writes

bool CDataStore::RunsDatabaseStep() { return service_.load() != nullptr && !cacheOnly_.load(); }

EntityPtr CDataStore::CloneForCache(const CDBEntity& row) {
  CDBEntity* copy = row.Clone();
  if (!copy) return nullptr;
  Attach(copy);
  return EntityPtr(copy);
}

void CDataStore::CacheAddedRow(const std::string& table, const EntityPtr& copy) {
  bool wasCached = false;
  {
    CCacheReadHold hold(cacheLock_);
    wasCached = cache_.count(table) != 0;
  }
  // A table that cannot be loaded stays not cached; its next load reads the row.
  if (!wasCached && !EnsureCached(table)) return;
  // A row without a key column that the load just read from the database is
  // in the map already, under an ID of its own.
  if (!wasCached && !copy->HasKeyColumn() && RunsDatabaseStep()) return;
  ChangeCachedRows(table, PutRow(copy));
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
  CacheAddedRow(table, copy);
  return true;
}

DBWriteResult CDataStore::UpdateEntity(CDBEntity* entity, int transaction) {
  return UpdateEntity(entity, nullptr, transaction);
}

DBWriteResult CDataStore::UpdateEntity(CDBEntity* entity, const ColumnList* columns, int transaction) {
  if (!entity) return false;
  const std::string table = entity->GetTableName();
  const int id = entity->GetID();
  CScopedLock tableHold(GetTableLock(table));
  // A column list limits the database's update as it limits the cache's, so
  // both hold the same row and a writer of other columns is not overwritten.
  if (RunsDatabaseStep()) {
    DBWriteResult written = service_.load()->UpdateEntity(entity, columns, transaction);
    if (!written) {
      GATE_LOG(1, "ERROR - Error riased when update '%s:%d' entity.\r\n", table.c_str(), id);
      if (written.NoRowMatched()) ForgetRowTheDatabaseLacks(table, *entity, transaction);
      return written;
    }
  }
  if (entity->IsExcludedFromCache() || (!entity->HasKeyColumn() && !entity->HasCompositeKey())) return true;
  if (transaction != 0) {
    // A row added or updated earlier in the transaction changes in its
    // record, so the commit brings the cache what the database has.
    EntityPtr base = changes_.FindRecordedRow(transaction, *entity);
    if (!base) base = FindCachedRow(table, *entity);
    if (!base) {
      if (!entity->HasKeyColumn()) return true;  // as outside a transaction
      GATE_LOG(1, "ERROR - Can't find '%s:%d' entity in store.\r\n", table.c_str(), id);
      return false;
    }
    EntityPtr copy = CloneForCache(columns ? *base : *entity);
    if (!copy) return false;
    if (columns) LoadListedColumns(*entity, *columns, copy.get());
    changes_.AddChange(transaction, CTransactionChanges::kUpdate, copy);
    return true;
  }
  if (!EnsureCached(table)) return true;  // not cached: nothing stale to change
  EntityPtr source = CloneForCache(*entity);
  if (!source) return false;
  auto listed = columns ? std::make_shared<const ColumnList>(*columns) : nullptr;
  if (ChangeCachedRows(table, UpdateRow(source, listed)) == ChangeResult::kRowMissing) {
    // A two-column-key row that is not cached is accepted as before: only
    // its cached copy, when there is one, has to follow the database.
    if (!entity->HasKeyColumn()) return true;
    GATE_LOG(1, "ERROR - Can't find '%s:%d' entity in store.\r\n", table.c_str(), id);
    return false;
  }
  return true;
}

DBWriteResult CDataStore::DeleteEntity(CDBEntity* entity, int transaction) {
  return DeleteEntityEx(entity, false, transaction);
}

DBWriteResult CDataStore::DeleteEntityEx(CDBEntity* entity, bool physical, int transaction) {
  VisitedRows visited;
  return DeleteFollowingRelations(entity, physical, transaction, &visited);
}

DBWriteResult CDataStore::DeleteFollowingRelations(CDBEntity* entity, bool physical, int transaction,
                                                   VisitedRows* visited) {
  if (!entity) return false;
  const std::string table = entity->GetTableName();
  const int id = entity->GetID();
  // Relations that lead back to a row this delete is already handling are not
  // followed again: a cycle of mode-1 relations would otherwise never end.
  visited->insert({table, entity->GetID64()});
  // The dependent rows go first, each under its own table's write lock alone:
  // this row's lock is taken only afterwards, so no thread holds two.
  for (const CRelationInfo& relation : entity->GetRelationInfos()) {
    const int mode = relation.GetMode();
    if (mode != kRelationModeDelete && mode != kRelationModeSetZero) continue;
    const std::string& related = relation.GetRelatedTable();
    const std::string& column = relation.GetRelationColumn();
    EntityMap rows = DependentRows(table, id, related, column);
    for (const auto& [relatedId, row] : rows) {
      if (!row) continue;
      if (mode == kRelationModeDelete) {
        if (visited->count({related, row->GetID64()})) continue;
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
  CScopedLock tableHold(GetTableLock(table));
  if (RunsDatabaseStep()) {
    DBWriteResult deleted = service_.load()->DeleteEntityEx(entity, physical, transaction);
    if (!deleted) {
      GATE_LOG(1, "ERROR - Error riased when delete '%s:%d' entity.\r\n", table.c_str(), id);
      if (deleted.NoRowMatched()) ForgetRowTheDatabaseLacks(table, *entity, transaction);
      return deleted;
    }
  }
  if (entity->IsExcludedFromCache()) return true;
  EntityPtr copy = CloneForCache(*entity);
  if (!copy) return false;
  if (transaction != 0) {
    // A row added earlier in the transaction is recorded, not cached: the
    // delete cancels its add.
    if (!changes_.FindRecordedRow(transaction, *entity) && !FindCachedRow(table, *entity)) {
      GATE_LOG(1, "INFO - Can't find '%s:%d' entity in store.\r\n", table.c_str(), id);
      return true;
    }
    changes_.AddChange(transaction, CTransactionChanges::kDelete, copy);
    return true;
  }
  if (!EnsureCached(table)) return true;
  if (ChangeCachedRows(table, EraseRow(copy)) == ChangeResult::kRowMissing) {
    GATE_LOG(1, "INFO - Can't find '%s:%d' entity in store.\r\n", table.c_str(), id);
  }
  return true;
}

void CDataStore::ForgetRowTheDatabaseLacks(const std::string& table, const CDBEntity& row, int transaction) {
  if (row.IsExcludedFromCache()) return;
  EntityPtr copy = CloneForCache(row);
  if (!copy) return;
  if (transaction != 0) {
    // The transaction may still be rolled back after deleting the row itself:
    // the cache follows only at the commit.
    if (FindCachedRow(table, row)) changes_.AddChange(transaction, CTransactionChanges::kDelete, copy);
    return;
  }
  if (ChangeCachedRows(table, EraseRow(copy)) == ChangeResult::kApplied) {
    GATE_LOG(1, "INFO - '%s:%d' is not in the database: its cached copy is dropped.\r\n", table.c_str(),
             row.GetID());
  }
}

bool CDataStore::CommitTransaction(int transaction) {
  bool committed = true;
  IDataService* service = service_.load();
  if (transaction > 0 && service) committed = service->CommitTransaction(transaction);
  const CTransactionChanges::ChangeList changes = changes_.GetChanges(transaction);
  changes_.RemoveTransaction(transaction);
  if (!committed) {
    // Nothing of a transaction the database did not commit may reach the cache.
    if (!changes.empty()) {
      GATE_LOG(1, "ERROR - Transaction %d was not committed: its %d changes are dropped.\r\n", transaction,
               static_cast<int>(changes.size()));
    }
    return false;
  }
  for (const CTransactionChanges::Change& change : changes) {
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
  return true;
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
  if (copy) CacheAddedRow(table, copy);
}

void CDataStore::OnDataUpdated(CDBEntity* entity) {
  if (!entity || entity->IsExcludedFromCache()) return;
  const std::string table = entity->GetTableName();
  CScopedLock tableHold(GetTableLock(table));
  EntityPtr source = CloneForCache(*entity);
  if (!source || !EnsureCached(table)) return;
  if (ChangeCachedRows(table, UpdateRow(source, nullptr)) == ChangeResult::kRowMissing) {
    GATE_LOG(1, "ERROR - Can't find '%s:%d' entity in store.\r\n", table.c_str(), entity->GetID());
  }
}

void CDataStore::OnDataDeleted(CDBEntity* entity) {
  if (!entity || entity->IsExcludedFromCache()) return;
  const std::string table = entity->GetTableName();
  CScopedLock tableHold(GetTableLock(table));
  EntityPtr copy = CloneForCache(*entity);
  if (!copy || !EnsureCached(table)) return;
  if (ChangeCachedRows(table, EraseRow(copy)) == ChangeResult::kRowMissing) {
    GATE_LOG(1, "INFO - Can't find '%s:%d' entity in store.\r\n", table.c_str(), entity->GetID());
  }
}
