// CMariaAdapter: the MariaDB implementation of IDataAdapter. It drives one
// CMariaDB client, keeps the database schema it reads at first use, writes the
// SQL text of every entity operation and runs the maintenance statements.
//
// Locking: one re-entrant lock (lock_) guards the client and the schema; every
// operation that sends a statement holds it from the statement until its
// result is read (entity callbacks included), so a connection shared by
// several threads never interleaves their statements. A row callback may use
// the same adapter from the same thread, but must not wait for another thread
// that uses it.
//
// Waits: one operation makes at most one attempt on the network that can end
// in a time-out: a reconnect (2 s probe, 10 s connect) or a statement (30 s
// write, 30 s read). When a connection failure happens while a caller waits
// for the lock (or earlier in its own operation), the caller gives up at once
// with that error instead of trying again, so a dead or silent server holds up
// the others queued on this adapter for at most that one attempt.
//
// Statements built from the schema (add, update, delete, the list filter) are
// never built without it: a schema that could not be read fails them with a
// log line, and is read again at the next use.
//
// Transactions: while one is open the library's automatic reconnect is off, so
// a lost connection fails the statements that follow instead of silently
// running them outside the transaction; a commit on a session other than the
// one that began the transaction fails.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
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
  // login, with the reason in GetLastErrorText; nothing is logged here.
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
  DBWriteResult UpdateEntity(CDBEntity* entity, const ColumnList* columns) override;
  DBWriteResult UpdateEntityEx(CDBEntity* entity, const char* table, const ColumnList* columns) override;
  DBWriteResult UpdateEntity(CDBEntity* entity, const char* column) override;
  DBWriteResult DeleteEntity(CDBEntity* entity, bool hard_delete) override;
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
  // The schema, read on first use. A read that fails (the server cannot be
  // reached, say) is logged, leaves the schema as it was (empty before the
  // first success) and not loaded, and is tried again at the next use. A table
  // whose columns the server refuses to list (a view over a dropped table) is
  // logged and left out; the others are read.
  CDBSchema* GetDBSchema() override;
  bool IsDBSchemaLoaded() override;
  void ResetDBSchema() override;
  // Runs one statement (reconnecting first when the handle is closed) and
  // frees any rows it returned. Nothing is logged.
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
  // The library's current error of the open handle; without one the error of
  // the last failed connect or probe ({0, ""} when there was none).
  DBErrorInfo GetLastErrorText() override;

  // The session id of the open handle (0 without); it changes when the library reconnects.
  unsigned long GetSessionId();
  // Alternate servers for the client's retry on error 2003 (kept across reconnects).
  void SetAlternateServers(std::vector<std::shared_ptr<CDBServerInfo>> servers);

  // The built-in password used when no user is given.
  static constexpr const char* kDefaultPassword = "qotrafuvnexib";
  static constexpr int kProbeTimeoutMs = 2000;
  static constexpr unsigned kErrorUnknownColumn = 1054;

 protected:
  // Sends one statement. When the client has no open handle it first probes
  // the stored host and port and connects again (a failure returns false with
  // the connect's error in the outputs). Fails at once, with the last error,
  // when a connection failure happened since the operation began to wait for
  // the lock. Takes the lock.
  virtual bool Query(const std::string& statement, unsigned* error_number,
                     std::string* error_text);
  // Reads the whole result of the last statement. Takes the lock.
  virtual bool FetchResult(ColumnIndex& columns, ResultRows& rows, unsigned* error_number,
                           std::string* error_text);
  // True when the last statement's result has at least one row (read and discarded).
  virtual bool HasResultRows(unsigned* error_number, std::string* error_text);

 private:
  // Holds lock_ for one operation. The outermost hold of a thread notes the
  // count of connection failures before it waited for the lock.
  class SCOPED_CAPABILITY OperationHold {
   public:
    explicit OperationHold(CMariaAdapter& adapter) ACQUIRE(adapter.lock_);
    ~OperationHold() RELEASE();
    OperationHold(const OperationHold&) = delete;
    OperationHold& operator=(const OperationHold&) = delete;

   private:
    CMariaAdapter& adapter_;
  };
  // Builds a statement from the table's schema; false (logged) when it cannot.
  using StatementBuilder = std::function<bool(const CDBTableSchema& table, std::string* statement)>;

  // Probes and connects the client with its stored parameters; a failure is
  // recorded on the client (the probe's as error 2003) and counted when it is
  // a connection failure.
  bool OpenClient() REQUIRES(lock_);
  // Counts `error_number` when it is a connection failure.
  void NoteFailure(unsigned error_number);
  // Query with error outputs; a failure is logged under `function`.
  bool QueryLogged(const char* function, const std::string& statement,
                   unsigned* error_number = nullptr) REQUIRES(lock_);
  // QueryLogged, then the whole result; a failed read is logged under `function`.
  bool QueryAndFetch(const char* function, const std::string& statement, ColumnIndex& columns,
                     ResultRows& rows, unsigned* error_number = nullptr);
  // The same, handing each row's cells in place to `visit` (no text copied;
  // see CMariaDB::VisitRows).
  bool QueryAndVisit(const char* function, const std::string& statement, ColumnIndex& columns,
                     const ResultRowVisitor& visit);
  // QueryLogged, then `read` of the result with error outputs; a failed read is
  // logged under `function`.
  bool QueryAndRead(const char* function, const std::string& statement, unsigned* error_number_out,
                    const std::function<bool(unsigned*, std::string*)>& read);
  bool LoadDBSchema();
  // "SHOW COLUMNS FROM <table>" into a table schema; failures logged under `function`.
  bool ReadTableColumns(const char* function, const std::string& table, CDBTableSchema* into,
                        unsigned* error_number) REQUIRES(lock_);
  // The loaded schema's table (loading the schema when needed). Null when the
  // schema cannot be read (logged under `function`) or has no such table
  // (logged when `log_unknown`).
  const CDBTableSchema* SchemaTable(const char* function, const std::string& table,
                                    bool log_unknown);
  // Builds a statement on `table` from the schema and sends it. When the
  // server does not know one of its columns (error 1054) the table's columns
  // are read again, once per run of such errors, and the statement is built
  // and sent once more. Failures are logged under `function`; `sent` receives
  // the statement.
  bool SendFromSchema(const char* function, const std::string& table, bool log_unknown,
                      const StatementBuilder& build, std::string* sent);
  // False (logged under `function`) when the last statement matched no row.
  DBWriteResult MatchedARow(const char* function, const std::string& statement) REQUIRES(lock_);
  // Reads `table`'s columns again unless that was done since its last
  // successful statement. True when they were read.
  bool ReloadTableSchema(const std::string& table);
  // Takes one row; false to stop.
  using EntitySink = std::function<bool(EntityPtr entity)>;
  // Runs `query`, makes a new row of `table` through the registry from each of
  // its first `max_rows` rows, and once the whole result has arrived hands them
  // to `deliver` until it returns false. Failures are logged under `function`.
  // `checker` (when given) takes a lap after the rows are made and one after
  // they are handed on. False when the query or the read failed (nothing
  // handed on) or the registry does not know the table.
  bool ReadEntities(const char* function, const char* table, const std::string& query,
                    CPerformanceChecker* checker, const EntitySink& deliver,
                    size_t max_rows = SIZE_MAX);
  template <typename Map, typename KeyOf>
  bool ReadEntityMap(const char* table, const char* query, Map& entities, KeyOf key);
  template <typename Map>
  bool ListEntityMap(const char* table, const char* clause, Map& entities);
  // The columns of `entity` that a statement on `table` writes (see the .cpp).
  std::vector<CColumnValue> WrittenColumns(const CDBEntity& entity, const CDBTableSchema& table,
                                           bool skip_auto_key, bool skip_soft_delete);
  // "SELECT * FROM <table>" and the clause rule; false (logged under
  // `function`) when a null clause needs the schema and it cannot be read.
  bool ListStatement(const char* function, const char* table, const char* clause,
                     std::string* statement) REQUIRES(lock_);
  bool ReadSqlFile(const std::string& path, std::string* text);
  bool RunScript(const std::string& text);
  // Sends a transaction statement on the open handle: no probe, no reconnect.
  bool SendTransactionStatement(const char* statement) REQUIRES(lock_);
  void EndTransaction() REQUIRES(lock_);

  mutable CLock lock_;
  std::unique_ptr<CMariaDB> client_ GUARDED_BY(lock_);
  CDBSchema schema_ GUARDED_BY(lock_);
  bool schemaLoaded_ GUARDED_BY(lock_) = false;
  // Tables whose columns were read again after error 1054 and have had no
  // successful statement since (lower-case names).
  std::set<std::string> driftReloaded_ GUARDED_BY(lock_);
  std::string adapterType_ GUARDED_BY(lock_);
  std::vector<std::shared_ptr<CDBServerInfo>> alternates_ GUARDED_BY(lock_);
  bool inTransaction_ GUARDED_BY(lock_) = false;
  unsigned long transactionSession_ GUARDED_BY(lock_) = 0;
  std::atomic<bool> connected_{false};  // mirrors the client's connected flag
  // Connection failures so far; read before waiting for lock_.
  std::atomic<uint64_t> connectionFailures_{0};
  int holdDepth_ GUARDED_BY(lock_) = 0;  // nested OperationHolds of the owner
  uint64_t failuresAtEntry_ GUARDED_BY(lock_) = 0;  // the count when the outermost hold began to wait
};
