// CMariaAdapter: the MariaDB implementation of IDataAdapter. It drives one
// CMariaDB client, keeps the database schema it reads at first use, writes the
// SQL text of every entity operation and runs the maintenance statements.
//
// Locking: one re-entrant lock (lock_) guards the client and the schema's
// loading; every operation that sends a statement holds it from the statement
// until its result is read (entity callbacks included), so a connection shared
// by several threads never interleaves their statements. A row callback may
// use the same adapter from the same thread, but must not wait for another
// thread that uses it.
//
// Transactions: while one is open the library's automatic reconnect is off, so
// a lost connection fails the statements that follow instead of silently
// running them outside the transaction; a commit on a session other than the
// one that began the transaction fails.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "database/DBSchema.h"
#include "database/IDataAdapter.h"
#include "database/MariaDB.h"
#include "foundation/Lock.h"

class CColumnValue;
class CPerformanceChecker;

class CMariaAdapter : public IDataAdapter {
 public:
  CMariaAdapter() = default;
  ~CMariaAdapter() override;

  // "MARIADB".
  std::string GetTypeName() const override;
  // Keeps the parameters on the client (a null user logs in as "root" with the
  // built-in default password), probes host:port for up to 2000 ms, then
  // connects (up to 10 s). False for port 0, an unreachable host or a refused
  // login; nothing is logged here.
  bool Connect(const char* host, int port, const char* database, const char* user,
               const char* password) override;
  // Closes and deletes the client; the schema will be read again on next use.
  void Disconnect() override;
  // The state of the last connect or close (not a lost server connection). Lock-free.
  bool IsConnected() const override;
  std::string GetAdapterType() const override;
  void SetAdapterType(const std::string& type) override;
  // "START TRANSACTION". False without an open handle or when the server refuses.
  bool BeginTransaction() override;
  // "COMMIT". False when nothing could be committed: no open handle, the
  // session was lost or replaced since BeginTransaction, or the server refused
  // (then "ROLLBACK" ends what is left). Logs the failure.
  bool CommitTransaction() override;
  // "ROLLBACK". False without an open handle or when the server refused.
  bool RollbackTransaction() override;

  EntityPtr FindEntity(const char* table, const char* condition) override;
  EntityPtr FindEntity(const char* table, const char* key_column, int id) override;
  EntityPtr FindEntityEx(const char* table, const char* query) override;
  bool AddEntity(CDBEntity* entity) override;
  bool AddEntityEx(CDBEntity* entity, const char* table) override;
  bool UpdateEntity(CDBEntity* entity, const ColumnList* columns) override;
  bool UpdateEntityEx(CDBEntity* entity, const char* table, const ColumnList* columns) override;
  bool UpdateEntity(CDBEntity* entity, const char* column) override;
  bool DeleteEntity(CDBEntity* entity, bool hard_delete) override;
  bool GetEntityList(const char* table, const char* clause, EntityCallback callback,
                     void* context) override;
  bool GetEntityList(const char* table, EntityMap64& entities) override;
  bool GetEntityList(const char* table, EntityMap& entities) override;
  bool GetEntityList(const char* table, const char* clause, EntityMap64& entities) override;
  bool GetEntityList(const char* table, const char* clause, EntityMap& entities) override;
  bool GetEntityListEx(const char* table, const char* query, EntityCallback callback,
                       void* context) override;
  bool GetEntityListEx(const char* table, const char* query, EntityMap64& entities) override;
  bool GetEntityListEx(const char* table, const char* query, EntityMap& entities) override;
  int GetEntityCount(const char* table, const char* clause) override;

  // Appends the tables of "SHOW TABLES FROM <database>" to `tables`.
  bool GetTableList(const char* database, std::vector<std::string>& tables) override;
  // Keeps the `keep_rows` rows with the largest (descending) or smallest key
  // values and deletes the others; an empty key column deletes every row.
  bool TrimTable(const char* table, int keep_rows, const std::string& key_column,
                 bool descending) override;
  bool DropTable(const char* table) override;
  // The schema, read on first use (once, also when that read fails: a failed
  // read is logged and leaves what was read until ResetDBSchema).
  CDBSchema* GetDBSchema() override;
  void ResetDBSchema() override;
  // Runs one statement (reconnecting first when the handle is closed). Nothing is logged.
  bool ExecuteQuery(const std::string& statement) override;
  // Runs one statement and reads its whole result; failures are logged.
  bool ExecuteQuery(const std::string& statement, ColumnIndex& columns,
                    ResultRows& rows) override;
  // The library's id of the last insert; 0 when none or without an open handle.
  uint64_t GetInsertId() override;
  // Runs the statements of the two script files (blocks separated by an empty
  // CR LF line), stopping at the first failure; nothing is undone.
  bool CreateDatabase(const std::string& create_script,
                      const std::string& initialize_script) override;
  bool AddColumn(const char* table, const char* column, const char* type,
                 const char* after_column) override;
  bool ModifyColumn(const char* table, const char* column, const char* type) override;
  bool ChangeColumn(const char* table, const char* column, const char* new_column,
                    const char* type) override;
  bool DropColumn(const char* table, const char* column) override;
  // Whether "SHOW COLUMNS FROM <table> LIKE '<column>'" gives a row (the name is a LIKE pattern).
  bool ColumnExists(const char* table, const char* column) override;
  // Sets the password of every account (host) of `user` with SET PASSWORD;
  // when one fails, the accounts already changed get their old password back.
  // The connection stays on its own database.
  bool ChangePassword(const char* user, const char* password) override;
  DBErrorInfo GetLastErrorText() override;

  // The session id of the open handle (0 without); it changes when the library reconnects.
  unsigned long GetSessionId();
  // Alternate servers for the client's retry on error 2003 (kept across reconnects).
  void SetAlternateServers(std::vector<std::shared_ptr<CDBServerInfo>> servers);

  // The built-in password used when no user is given.
  static constexpr const char* kDefaultPassword = "qotrafuvnexib";
  static constexpr int kProbeTimeoutMs = 2000;

 protected:
  // Sends one statement. When the client has no open handle it first probes
  // the stored host and port and connects again (a failure returns false with
  // the outputs left as they were). Takes the lock.
  virtual bool Query(const std::string& statement, unsigned* error_number,
                     std::string* error_text);
  // Reads the whole result of the last statement. Takes the lock.
  virtual bool FetchResult(ColumnIndex& columns, ResultRows& rows, unsigned* error_number,
                           std::string* error_text);
  // True when the last statement's result has at least one row (read and discarded).
  virtual bool HasResultRows(unsigned* error_number, std::string* error_text);

 private:
  // Query with error outputs; a failure is logged under `function`.
  bool QueryLogged(const char* function, const std::string& statement);
  // QueryLogged, then the whole result; a failed read is logged under `function`.
  bool QueryAndFetch(const char* function, const std::string& statement, ColumnIndex& columns,
                     ResultRows& rows);
  bool LoadDBSchema();
  // Takes one row; false to stop.
  using EntitySink = std::function<bool(EntityPtr entity)>;
  // Runs `query` and hands its rows, each a new row of `table` made through
  // the registry, to `deliver` until it returns false. Failures are logged
  // under `function`. `checker` (when given) takes a lap after the read and
  // one after the rows. False when the query failed or the registry does not know the table.
  bool ReadEntities(const char* function, const char* table, const std::string& query,
                    CPerformanceChecker* checker, const EntitySink& deliver);
  template <typename Map, typename KeyOf>
  bool ReadEntityMap(const char* table, const char* query, Map& entities, KeyOf key);
  // The columns of `entity` that a statement on `table` writes.
  std::vector<CColumnValue> WrittenColumns(const CDBEntity& entity, const std::string& table,
                                           bool skip_auto_key);
  // "SELECT * FROM <table>" and the clause rule.
  std::string ListStatement(const char* table, const char* clause);
  bool ReadSqlFile(const std::string& path, std::string* text);
  bool RunScript(const std::string& text);
  // Sends a transaction statement on the open handle: no probe, no reconnect.
  bool SendTransactionStatement(const char* statement);
  void EndTransaction();

  mutable CLock lock_;
  std::unique_ptr<CMariaDB> client_;  // guarded by lock_
  CDBSchema schema_;                  // loaded under lock_
  bool schema_loaded_ = false;        // guarded by lock_
  std::string adapter_type_;          // guarded by lock_
  std::vector<std::shared_ptr<CDBServerInfo>> alternates_;  // guarded by lock_
  bool in_transaction_ = false;                             // guarded by lock_
  unsigned long transaction_session_ = 0;                   // guarded by lock_
  std::atomic<bool> connected_{false};  // mirrors the client's connected flag
};
