// CDBDataStore: the database entity service. It implements IDataService by
// choosing a connection (the id's, else the calling thread's own, else the
// default one made by Initialize) and calling that connection's adapter, which
// writes and runs the SQL. It keeps no rows. Memory-only rows (the live-status
// tables) never reach the database: their writes succeed at once and their
// lists are empty.
//
// Each component makes its own service; the usual start is SetAdapterType,
// Initialize on the thread that will use the database, then IsConnected(0).
// The state is the connection manager (guarded by its lock), the default
// connection id (written by Initialize before the service is shared) and the
// schema it hands out (its own copy, valid for the service's lifetime).
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "database/DBConnectionManager.h"
#include "database/DBSchema.h"
#include "database/IDataService.h"

class CDBDataStore : public IDataService {
 public:
  // A non-empty `adapter_type` replaces "MARIADB".
  explicit CDBDataStore(const std::string& adapter_type = "");
  // Releases the calling thread's own connection, then disconnects all others.
  ~CDBDataStore() override;

  // The adapter type of connections made from now on.
  void SetAdapterType(const std::string& type);
  // Keeps the parameters and opens the default connection on the calling
  // thread (blocks up to 2 s probe and 10 s connect). Ask IsConnected(0) next.
  void Initialize(const char* host, int port, const char* database, const char* user,
                  const char* password);
  // Id above 0: that connection; else the calling thread's, else the default one; else empty.
  std::shared_ptr<CDBConnectionInfo> GetConnection(int connection);
  std::string GetHost() const;
  CDBConnectionManager& GetConnectionManager() { return manager_; }

  std::string GetTypeName() override;
  int OpenConnection() override;
  bool IsConnected(int connection) override;
  void CloseConnection(int connection) override;
  // A new connection of the calling thread with "START TRANSACTION" sent; 0 on
  // failure, and then the new connection is released again.
  int BeginTransaction() override;
  // The adapter's COMMIT; the connection is released whatever the result.
  bool CommitTransaction(int connection) override;
  bool RollbackTransaction(int connection) override;
  EntityPtr FindEntity(const char* table, const char* key_column, int id) override;
  bool AddEntity(CDBEntity* entity, int connection) override;
  DBWriteResult UpdateEntity(CDBEntity* entity, const ColumnList* columns, int connection) override;
  DBWriteResult UpdateEntity(CDBEntity* entity, int connection) override;
  DBWriteResult DeleteEntity(CDBEntity* entity, int connection) override;
  DBWriteResult DeleteEntityEx(CDBEntity* entity, bool physical, int connection) override;
  void GetEntityList(const char* table, const char* clause, EntityMap64& entities) override;
  void GetEntityList(const char* table, const char* clause, EntityMap& entities) override;
  // The adapter's list of the table's rows not marked deleted; true and empty
  // for a memory-only table or one the registry does not know; false when
  // there is no connection or the read failed.
  bool ReadCacheRows(const char* table, EntityMap64& entities) override;
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
  bool DeleteEntity(const char* table, const char* key_column, int id) override;

 private:
  // The adapter of the calling thread's connection (or the default one); null when none.
  IDataAdapter* ReadAdapter(std::shared_ptr<CDBConnectionInfo>* keep);
  // The adapter of the write's connection; null (logged under `function`) when none.
  IDataAdapter* WriteAdapter(int connection, const char* function,
                             std::shared_ptr<CDBConnectionInfo>* keep);
  // Commits or rolls back the transaction of `connection`, then releases it.
  bool EndTransaction(int connection, bool commit);
  // False when the registry does not know the table or its rows are memory-only.
  static bool IsListedTable(const char* table);

  CDBConnectionManager manager_;
  std::atomic<int> defaultConnection_{0};
  // The schema handed out: a copy owned by the service, so that it outlives
  // the connection whose adapter read it. Filled on first success.
  CLock schemaLock_;
  CDBSchema schema_ GUARDED_BY(schemaLock_);
  bool schemaCopied_ GUARDED_BY(schemaLock_) = false;
};
