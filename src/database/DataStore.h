// CDataStore: the entity cache store. It keeps whole tables in memory: the
// first request for a row or the rows of a table loads the table once from the
// database service behind it, and later look-ups are answered from memory.
// Requests with a condition or a whole query go to the database service
// unchanged. Writes go to the database service first and reach the cache only
// when it accepted them; inside a transaction (id above 0: a database
// transaction, below 0: a store-only id from NewTransactionId) the cache waits
// for a successful commit. Deleting a row first follows its relations (mode 1
// deletes the related rows, mode 2 sets their column to 0). Without a database
// service the store is purely in memory.
//
// Rows are cached under their full key (GetID64: all 64 bits of a 64-bit key,
// the id of a 32-bit key, the hidden row id of a keyless or two-column-key
// row); a written row of a two-column key finds its cached row by its two key
// values. Rows handed out by FindCachedEntity, GetCachedEntityList and
// GetRelatedEntityList are the cached objects themselves; rows passed in stay
// the caller's, the cache keeps clones.
//
// Locks, in this order: a table's write lock, then the cache lock, then the
// change list's own lock. The cache lock (a CCacheLock, not re-entrant) guards
// the cached tables, the versions, the loads in flight and the relation index;
// look-ups hold it shared, and changes of the cache hold it exclusively only
// for the change in memory. No database call runs under it. A table's write
// lock (re-entrant) serialises the writes of its table, database step and
// cache step; look-ups never take it, and no thread holds two of them.
// A load reads the table with no lock held into a fresh map, then swaps it in
// under the cache lock; changes of the table made while it was being read are
// applied to the fresh map before it goes in, so a load never loses a write.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "database/CacheLock.h"
#include "database/CachedRowMap.h"
#include "database/DBSchema.h"
#include "database/IDataStore.h"
#include "database/TransactionChanges.h"
#include "foundation/Lock.h"

class CDataStore : public IDataStore {
 public:
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
  // Commits the database transaction (id above 0); only when that succeeded
  // (always for an id below 0) applies the id's recorded changes to the cache
  // in order. The records are dropped either way. The commit's result.
  bool CommitTransaction(int transaction) override;
  // Rolls back the database transaction (id above 0) and drops the records.
  bool RollbackTransaction(int transaction) override;
  // FindCachedEntity: the key column is not used.
  EntityPtr FindEntity(const char* table, const char* key_column, int id) override;
  // Database first, then a clone into the cache (or the transaction's
  // records). False when the database refused it. Holds the table's write lock.
  bool AddEntity(CDBEntity* entity, int transaction) override;
  // With `columns` (exact names) the database and the cache both take only
  // those columns, else every column; in a transaction the cache takes them
  // at commit. A row added earlier in the same transaction is updated in its
  // record. Failed when the database refused it or the row is neither cached
  // nor recorded (the database is updated then). No row matched when the
  // database holds no such row: the cache then drops its copy (inside a
  // transaction, at its commit), so it follows the database.
  DBWriteResult UpdateEntity(CDBEntity* entity, const ColumnList* columns, int transaction) override;
  DBWriteResult UpdateEntity(CDBEntity* entity, int transaction) override;
  DBWriteResult DeleteEntity(CDBEntity* entity, int transaction) override;
  // Follows the row's relations depth first (a row already being deleted in
  // this call is not visited again), then deletes it. False on the first
  // failure; changes made before it stay. Holds one table's write lock at a
  // time, never two, so deletes entering a relation cycle from both ends
  // cannot wait for each other. A row the database no longer holds gives no
  // row matched and leaves the cache, as for an update.
  DBWriteResult DeleteEntityEx(CDBEntity* entity, bool physical, int transaction) override;
  void GetEntityList(const char* table, const char* clause, EntityMap64& entities) override;
  // Clones of every cached row of the table; the clause is not evaluated.
  void GetEntityList(const char* table, const char* clause, EntityMap& entities) override;
  // Forwards to the service; false without one.
  bool ReadCacheRows(const char* table, EntityMap64& entities) override;
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
  // Look-ups of a cached table hold the cache lock shared and never wait for
  // the database; the first look-up of a table loads it (no lock held while
  // the database is read). A table that cannot be read stays not cached, and
  // its look-ups give empty results until a load succeeds.
  int GetStoreId() override { return storeNo_; }
  IDataService* GetDBDataStore() override { return service_.load(); }
  std::string GetStoreText() override;
  EntityPtr FindCachedEntity(const char* table, int id) override;
  EntityPtr FindCachedEntity64(const char* table, uint64_t key) override;
  EntityMap GetCachedEntityList(const char* table) override;
  EntityMap64 GetCachedEntityList64(const char* table) override;
  int HasEntityList(const char* table) override;
  // The cached rows of `related_table` whose `column` holds `owner_id`, from
  // an index rebuilt whenever the related table's version moved.
  EntityMap GetRelatedEntityList(const char* owner_table, int owner_id, const char* related_table,
                                 const char* column) override;
  // Reads the whole table (no lock held), then swaps it in for the cached
  // rows; logs the load and its total time. When the read fails, the table is
  // left not cached.
  void LoadEntityList(const char* table) override;
  void UnloadEntityList(const char* table) override;
  void Clear() override;
  int GetTableVersion(const char* table) override;
  int NewTransactionId() override;
  bool IsCacheOnly() override { return cacheOnly_.load(); }
  void SetCacheOnly(bool cache_only) override { cacheOnly_.store(cache_only); }
  void SetDBDataStore(IDataService* service) override { service_.store(service); }

  // The table's write lock, created on first use.
  CLock& GetTableLock(const std::string& table);

  // Apply a committed change to the cache (each under its table's write lock).
  void OnDataAdded(CDBEntity* entity);
  void OnDataUpdated(CDBEntity* entity);
  void OnDataDeleted(CDBEntity* entity);

 protected:
  // The cached rows of one table by full key: a flat hash map, so that a
  // look-up costs one probe of one array, not a walk over scattered nodes.
  using CachedRows = CCachedRowMap;

  // ---- For a subclass's steps of a load ----
  // Called with no lock held on the freshly read rows of `table` (only when a
  // database service is set), before they go into the cache. The rows are the
  // calling thread's alone; its look-ups of `table` meanwhile answer from them.
  virtual void PrepareLoadedRows(const std::string& table, EntityMap64& rows);
  // Called under the exclusive cache lock right after `table`'s rows went in.
  // May change other cached tables through CachedRowsLocked; must not call
  // the store or block.
  virtual void OnRowsInstalled(const std::string& table, CachedRows& rows) REQUIRES(cacheLock_);
  // The cached rows of `table`, made cached and empty first when `create`;
  // null when not cached. Only under the exclusive cache lock (OnRowsInstalled).
  CachedRows* CachedRowsLocked(const std::string& table, bool create) REQUIRES(cacheLock_);
  // Attaches this store to the row (its owner store and number).
  void Attach(CDBEntity* row) { row->SetDataStore(this); }

  // The cache lock: guards the cached tables, the versions, the loads in
  // flight and the relation index (the private members so marked).
  CCacheLock cacheLock_;

 private:
  // What a change of a cached table found: the row it changes, or none.
  enum class ChangeResult { kApplied, kRowMissing };
  using RowChange = std::function<ChangeResult(CachedRows&)>;
  // A load in flight: the changes of its table made meanwhile.
  struct PendingLoad {
    std::vector<RowChange> changes;
  };
  using RelationGroups = std::map<int, EntityMap>;  // column value -> rows
  using VisitedRows = std::set<std::pair<std::string, uint64_t>>;

  bool RunsDatabaseStep();
  // The rows of `related` whose `column` holds the key `id` of a row of
  // `table` that a delete follows: the cached ones, or, for a table whose
  // class the store does not cache (logs, histories), the ones the database
  // holds, since rows added through the store never reach a cached copy of it.
  EntityMap DependentRows(const std::string& table, int id, const std::string& related, const std::string& column);
  // A clone of `row` attached to this store; empty when the registry has no class.
  EntityPtr CloneForCache(const CDBEntity& row);
  void AttachAll(EntityMap& rows);
  void AttachAll(EntityMap64& rows);

  // Runs `visit` on the table's cached rows under the shared cache lock
  // (loading the table first when it is not cached); false, without a call,
  // when the table cannot be had.
  template <typename Visit>
  bool VisitRows(const char* table, Visit&& visit);
  // VisitRows without the rows this thread is loading: `visit` always runs
  // under the shared cache lock.
  template <typename Visit>
  bool VisitCachedRows(const char* table, Visit&& visit);
  // Puts an added row's cache copy into its table, loading the table first;
  // nothing when the table cannot be had (its next load reads the row).
  void CacheAddedRow(const std::string& table, const EntityPtr& copy);
  // Loads the table when it is not cached; false when it cannot be had.
  bool EnsureCached(const std::string& table);
  // Reads the table into a fresh map and swaps it in. With `replace` off, a
  // table cached meanwhile by another thread is kept and the read rows are
  // dropped. False when the read failed (the table is then left not cached).
  bool LoadTable(const std::string& table, bool replace);
  // Applies `change` to the cached table under the exclusive cache lock and
  // records it for the loads of the table in flight; raises the version when
  // it applied. Empty when the table is not cached.
  std::optional<ChangeResult> ChangeCachedRows(const std::string& table, const RowChange& change);
  // The changes of one row, as applied to a table map.
  static RowChange PutRow(EntityPtr copy);
  static RowChange UpdateRow(EntityPtr source, std::shared_ptr<const ColumnList> columns);
  static RowChange EraseRow(EntityPtr row);
  // The cached row of `rows` that is the same row as `row` (IsSameRow).
  template <typename Rows>
  static typename Rows::const_iterator FindSameRow(const Rows& rows, const CDBEntity& row);
  // The cached row that is the same row as `row`, loading the table first.
  EntityPtr FindCachedRow(const std::string& table, const CDBEntity& row);

  DBWriteResult DeleteFollowingRelations(CDBEntity* entity, bool physical, int transaction, VisitedRows* visited);
  // After a write that matched no row in the database: drops the cached copy
  // of `row` (inside a transaction, records its delete for the commit).
  // Requires the table's write lock.
  void ForgetRowTheDatabaseLacks(const std::string& table, const CDBEntity& row, int transaction);
  // The rows' relation groups of `column` (values as decimal integers).
  template <typename Rows>
  static RelationGroups GroupRows(const Rows& rows, const std::string& column);

  std::atomic<IDataService*> service_;  // not owned; replaced only before the store is shared
  std::atomic<bool> cacheOnly_{false};
  const int storeNo_;
  CTransactionChanges changes_;  // its own lock, innermost
  CDBSchema emptySchema_;       // what GetDBSchema answers without a service; stays empty

  CMutex tableLocksMutex_;  // a leaf
  std::map<std::string, std::unique_ptr<CLock>> tableLocks_ GUARDED_BY(tableLocksMutex_);

  std::map<std::string, CachedRows, std::less<>> cache_ GUARDED_BY(cacheLock_);
  std::map<std::string, int, std::less<>> versions_ GUARDED_BY(cacheLock_);
  std::multimap<std::string, PendingLoad*> loading_ GUARDED_BY(cacheLock_);
  std::map<std::string, RelationGroups> relationIndex_ GUARDED_BY(cacheLock_);
  std::map<std::string, int> relationVersions_ GUARDED_BY(cacheLock_);
};
