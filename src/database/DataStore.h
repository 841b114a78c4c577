// CDataStore: the entity cache store. It keeps whole tables in memory: the
// first request for a row or the rows of a table loads the table once from the
// database service behind it, and later look-ups by id are answered from
// memory. Requests with a condition or a whole query go to the database service
// unchanged. Writes go to the database service first and reach the cache only
// when it accepted them; inside a transaction (id above 0: a database
// transaction, below 0: a store-only id from NewTransactionId) the cache waits
// for the commit. Deleting a row first follows its relations (mode 1 deletes
// the related rows, mode 2 sets their column to 0). Without a database service
// the store is purely in memory.
//
// Rows handed out by FindCachedEntity, GetCachedEntityList and
// GetRelatedEntityList are the cached objects themselves; rows passed in stay
// the caller's, the cache keeps clones.
//
// Locks (all re-entrant), in this order: a table's lock, then the store lock,
// then the change list's own lock. The store lock guards the cache, every table
// map in it, the versions, the table-lock map and the relation index; a table
// lock serialises the writes of its table. Table maps are read and changed only
// under the store lock, so a load (which holds the store lock throughout) never
// races a look-up. Code that runs under the store lock and needs more tables
// (a subclass's LoadEntityList) uses the *Locked accessors, which take no
// table lock.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "database/DBSchema.h"
#include "database/IDataStore.h"
#include "database/TransactionChanges.h"
#include "foundation/Lock.h"

class CDataStore : public IDataStore {
 public:
  using EntityMapPtr = std::shared_ptr<EntityMap>;

  // `service` (not owned, may be null) must outlive the store. Takes the next
  // store number of the ID source ("_DATASTORE").
  explicit CDataStore(IDataService* service);
  ~CDataStore() override;
  CDataStore(const CDataStore&) = delete;
  CDataStore& operator=(const CDataStore&) = delete;

  // ---- IDataService ----
  std::string GetTypeName() override;  // "DataStore"
  int OpenConnection() override;
  bool IsConnected(int connection) override;
  void CloseConnection(int connection) override;
  int BeginTransaction() override;
  // Commits the database transaction (id above 0), then applies the id's
  // recorded changes to the cache in order. The database's result, true for
  // an id below 0.
  bool CommitTransaction(int transaction) override;
  // Rolls back the database transaction (id above 0) and drops the records.
  bool RollbackTransaction(int transaction) override;
  // FindCachedEntity: the key column is not used.
  EntityPtr FindEntity(const char* table, const char* key_column, int id) override;
  // Database first, then a clone into the cache (or the transaction's
  // records). False when the database refused it. Holds the table lock.
  bool AddEntity(CDBEntity* entity, int transaction) override;
  // With `columns` (exact names) the database and the cache both take only
  // those columns, else every column; in a transaction the cache takes them
  // at commit. False when the database refused it or the row is not cached.
  bool UpdateEntity(CDBEntity* entity, const ColumnList* columns, int transaction) override;
  bool UpdateEntity(CDBEntity* entity, int transaction) override;
  bool DeleteEntity(CDBEntity* entity, int transaction) override;
  // Follows the row's relations depth first (a row already being deleted in
  // this call is not visited again), then deletes it. False on the first
  // failure; changes made before it stay.
  bool DeleteEntityEx(CDBEntity* entity, bool physical, int transaction) override;
  void GetEntityList(const char* table, const char* clause, EntityMap64& entities) override;
  // Clones of every cached row of the table; the clause is not evaluated.
  void GetEntityList(const char* table, const char* clause, EntityMap& entities) override;
  // "DataStore<n> (<service name>)" or "DataStore<n>".
  std::string GetName() override;
  CDBSchema* GetDBSchema() override;
  EntityPtr FindEntity(const char* table, const char* condition) override;
  EntityPtr FindDBEntity(const char* table, const char* key_column, int id) override;
  EntityPtr FindEntityEx(const char* table, const char* query) override;
  void GetEntityList(const char* table, const char* clause, EntityCallback callback,
                     void* context) override;
  void GetDBEntityList(const char* table, const char* clause, EntityMap64& entities) override;
  void GetDBEntityList(const char* table, const char* clause, EntityMap& entities) override;
  void GetEntityListEx(const char* table, const char* query, EntityCallback callback,
                       void* context) override;
  int GetEntityCount(const char* table, const char* clause) override;
  // Deletes in the database only: the cached row stays until the table is reloaded.
  bool DeleteEntity(const char* table, const char* key_column, int id) override;

  // ---- IDataStore ----
  int GetStoreId() override { return store_no_; }
  IDataService* GetDBDataStore() override { return service_.load(); }
  std::string GetStoreText() override;
  EntityPtr FindCachedEntity(const char* table, int id) override;
  EntityMap GetCachedEntityList(const char* table) override;
  int HasEntityList(const char* table) override;
  // The cached rows of `related_table` whose `column` holds `owner_id`, from
  // an index rebuilt whenever the related table's version moved. Holds the
  // related table's lock.
  EntityMap GetRelatedEntityList(const char* owner_table, int owner_id, const char* related_table,
                                 const char* column) override;
  // Loads (or reloads in place) the whole table under the store lock and logs
  // the load and its total time. An unreadable table is cached empty.
  void LoadEntityList(const char* table) override;
  void UnloadEntityList(const char* table) override;
  void Clear() override;
  int GetTableVersion(const char* table) override;
  int NewTransactionId() override;
  bool IsCacheOnly() override { return cache_only_.load(); }
  void SetCacheOnly(bool cache_only) override { cache_only_.store(cache_only); }
  void SetDBDataStore(IDataService* service) override { service_.store(service); }

  // The table's lock, created on first use (the store lock is taken and left inside).
  CLock& GetTableLock(const std::string& table);

  // Apply a committed change to the cache (each under its table's lock).
  void OnDataAdded(CDBEntity* entity);
  // Puts an added row's cache copy into its table, loading the table first if
  // it is not cached yet; false when the table cannot be had.
  bool CacheAddedRow(const std::string& table, const EntityPtr& copy);
  void OnDataUpdated(CDBEntity* entity);
  void OnDataDeleted(CDBEntity* entity);

 protected:
  // ---- For code that holds the store lock (a subclass's LoadEntityList) ----
  CLock& GetStoreLock() { return store_lock_; }
  // The table map, or empty when the table is not cached. Store lock.
  EntityMapPtr GetEntityMap(const std::string& table);
  // The table map, loading the table first (virtual LoadEntityList). Store lock.
  EntityMapPtr GetOrLoadEntityMap(const std::string& table);
  // The cached row, loading the table first; no table lock. Store lock.
  EntityPtr FindCachedEntityLocked(const std::string& table, int id);
  // A copy of the table map, loading the table first; no table lock. Store lock.
  EntityMap GetCachedEntityListLocked(const std::string& table);
  // Registers an empty table map when the table has none, without loading or
  // changing a version; returns the map. Store lock.
  EntityMapPtr EnsureEntityMapLocked(const std::string& table);
  // Attaches this store to the row (its owner store and number).
  void Attach(CDBEntity* row) { row->SetDataStore(this); }

 private:
  bool RunsDatabaseStep();
  void RaiseVersion(const std::string& table);
  // A clone of `row` attached to this store; empty when the registry has no class.
  EntityPtr CloneForCache(const CDBEntity& row);
  void AttachAll(EntityMap& rows);
  void AttachAll(EntityMap64& rows);
  using VisitedRows = std::set<std::pair<std::string, int>>;
  bool DeleteFollowingRelations(CDBEntity* entity, bool physical, int transaction, VisitedRows* visited);
  // Rebuilds the relation index entry `key`. Store lock and the related table's lock.
  void BuildRelationIndex(const std::string& key, const std::string& related_table, const std::string& column);
  EntityMap FindRelatedEntities(const std::string& key, int owner_id);

  using RelationGroups = std::map<int, EntityMap>;  // column value -> rows

  std::atomic<IDataService*> service_;  // not owned; replaced only before the store is shared
  std::atomic<bool> cache_only_{false};
  const int store_no_;
  CTransactionChanges changes_;  // its own lock, innermost
  CDBSchema empty_schema_;       // what GetDBSchema answers without a service; stays empty

  CLock store_lock_;  // guards everything below
  std::map<std::string, EntityMapPtr> cache_;
  std::map<std::string, int> versions_;
  std::map<std::string, std::unique_ptr<CLock>> table_locks_;
  std::map<std::string, RelationGroups> relation_index_;
  std::map<std::string, int> relation_versions_;
};
