// IDataService: the database-facing operations every service reads and writes
// through: connections, transactions, finding, adding, updating and deleting
// rows, row lists (whole, filtered, streamed), counts, the service's name and
// the database schema. CDBDataStore implements it over the database; the
// entity stores implement it in front of a CDBDataStore.
//
// Texts are zero-terminated multi-byte texts; a null text counts as empty,
// except where a null WHERE clause means "every row not marked deleted".
// Connection ids above 0 name one connection (a transaction's or one opened
// with OpenConnection); 0 or below: the calling thread's connection, else the
// default one. Rows passed in stay the caller's; rows handed out are new
// objects unless an operation says otherwise. No operation throws.
#pragma once

#include <string>

#include "database/EntityMaps.h"
#include "database/IDataAdapter.h"

class CDBSchema;

class IDataService {
 public:
  IDataService() = default;
  virtual ~IDataService() = default;
  IDataService(const IDataService&) = delete;
  IDataService& operator=(const IDataService&) = delete;

  // "CDBDataStore", "DataStore" or "ClientDataStore".
  virtual std::string GetTypeName() = 0;
  // Opens a new connection owned by the calling thread; its id also when
  // connecting failed (IsConnected tells). 0 without a database service.
  virtual int OpenConnection() = 0;
  virtual bool IsConnected(int connection) = 0;
  // Closes and forgets that connection (0 or below: the calling thread's own).
  virtual void CloseConnection(int connection) = 0;
  // A new connection of the calling thread with a transaction begun on it;
  // its id, or 0 on failure.
  virtual int BeginTransaction() = 0;
  // Commits and closes the transaction's connection. False when nothing was
  // committed (unknown id, lost connection, refused COMMIT).
  virtual bool CommitTransaction(int connection) = 0;
  // Rolls back and closes the transaction's connection.
  virtual bool RollbackTransaction(int connection) = 0;
  // The row whose key column equals `id`; empty when none.
  virtual EntityPtr FindEntity(const char* table, const char* key_column, int id) = 0;
  virtual bool AddEntity(CDBEntity* entity, int connection) = 0;
  // Updates the row; with `columns`, only the named columns (exact names).
  // No row matched when the database holds no such row.
  virtual DBWriteResult UpdateEntity(CDBEntity* entity, const ColumnList* columns, int connection) = 0;
  virtual DBWriteResult UpdateEntity(CDBEntity* entity, int connection) = 0;
  // DeleteEntityEx with the physical-delete flag off.
  virtual DBWriteResult DeleteEntity(CDBEntity* entity, int connection) = 0;
  // Without `physical`, a table with the soft-delete column only marks the
  // row deleted. No row matched as for an update.
  virtual DBWriteResult DeleteEntityEx(CDBEntity* entity, bool physical, int connection) = 0;
  // Fills `entities` with the table's rows (a null clause: those not marked deleted).
  virtual void GetEntityList(const char* table, const char* clause, EntityMap64& entities) = 0;
  virtual void GetEntityList(const char* table, const char* clause, EntityMap& entities) = 0;
  // The rows an entity cache keeps of the table (those not marked deleted),
  // keyed by their 64-bit key; false when the database could not be read, and
  // the rows are then not the table's. By default GetEntityList, always true.
  virtual bool ReadCacheRows(const char* table, EntityMap64& entities) {
    GetEntityList(table, nullptr, entities);
    return true;
  }
  // "host:port", or "DataStore<n>" for a store.
  virtual std::string GetName() = 0;
  // The database's schema; null when there is no connection at all.
  virtual CDBSchema* GetDBSchema() = 0;
  // The first row that meets `condition` (bare, without WHERE); empty when none.
  virtual EntityPtr FindEntity(const char* table, const char* condition) = 0;
  // As FindEntity by key, but always from the database, also through a store.
  virtual EntityPtr FindDBEntity(const char* table, const char* key_column, int id) = 0;
  // The first row of a whole query; empty when none.
  virtual EntityPtr FindEntityEx(const char* table, const char* query) = 0;
  // Streams the rows to `callback` until they end or it returns 0.
  virtual void GetEntityList(const char* table, const char* clause, EntityCallback callback,
                             void* context) = 0;
  // As GetEntityList, but a null clause counts as empty (deleted rows included),
  // and always from the database.
  virtual void GetDBEntityList(const char* table, const char* clause, EntityMap64& entities) = 0;
  virtual void GetDBEntityList(const char* table, const char* clause, EntityMap& entities) = 0;
  // Streams the rows of a whole query like GetEntityList.
  virtual void GetEntityListEx(const char* table, const char* query, EntityCallback callback,
                               void* context) = 0;
  // Rows the clause selects (deleted rows included for a null clause); 0 on failure.
  virtual int GetEntityCount(const char* table, const char* clause) = 0;
  // Finds the row by key and deletes it physically; false when not found.
  virtual bool DeleteEntity(const char* table, const char* key_column, int id) = 0;
};
