// IDataStore: IDataService plus an in-memory store that keeps whole tables:
// cached look-ups, loading and unloading tables, table versions, transaction
// ids and the cache-only switch. The row base sees a store as its owner
// (IEntityOwnerStore, which gives GetStoreId). Implemented by the entity cache
// stores.
#pragma once

#include <cstdint>
#include <string>

#include "database/IDataService.h"
#include "entities/base/EntityOwnerStore.h"

class IDataStore : public IDataService, public IEntityOwnerStore {
 public:
  // The database service behind the store; null for a pure in-memory store.
  virtual IDataService* GetDBDataStore() = 0;
  // A copy of the store's text (empty: nothing sets it).
  virtual std::string GetStoreText() = 0;
  // The cached row with that id (the cached object itself), loading the table
  // first. For a table of 64-bit keys, the row whose key is `id` widened with its sign.
  virtual EntityPtr FindCachedEntity(const char* table, int id) = 0;
  // The cached row whose full 64-bit key is `key`, loading the table first.
  virtual EntityPtr FindCachedEntity64(const char* table, uint64_t key) = 0;
  // A copy of the cached table map (the same row objects), loading the table
  // first. Keyed by row id: rows of 64-bit keys are keyed by their low 32 bits,
  // so use GetCachedEntityList64 for those tables.
  virtual EntityMap GetCachedEntityList(const char* table) = 0;
  // The cached rows keyed by their full 64-bit key, loading the table first.
  virtual EntityMap64 GetCachedEntityList64(const char* table) = 0;
  // The number of cached rows of the table, loading it first.
  virtual int HasEntityList(const char* table) = 0;
  // The cached rows of `related_table` whose `column` holds `owner_id`.
  virtual EntityMap GetRelatedEntityList(const char* owner_table, int owner_id,
                                         const char* related_table, const char* column) = 0;
  // (Re)loads the table from the database service into the cache.
  virtual void LoadEntityList(const char* table) = 0;
  virtual void UnloadEntityList(const char* table) = 0;
  // Drops every cached table and every open transaction's changes.
  virtual void Clear() = 0;
  // The table's change counter; 0 when it has none.
  virtual int GetTableVersion(const char* table) = 0;
  // A new id below 0 for changes that reach the cache only on commit.
  virtual int NewTransactionId() = 0;
  virtual bool IsCacheOnly() = 0;
  virtual void SetCacheOnly(bool cache_only) = 0;
  ~IDataStore() override = default;
  // Sets (or replaces) the database service behind the store.
  virtual void SetDBDataStore(IDataService* service) = 0;
};
