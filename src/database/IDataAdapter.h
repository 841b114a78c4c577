// IDataAdapter: one database connection as the entity service sees it:
// connect and disconnect, transactions, the entity operations that write SQL
// text, the schema of the database, raw statements and results, and the
// maintenance operations. CMariaAdapter is the only implementation; adapters
// are made by CreateDataAdapter and destroyed through the virtual destructor.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "database/EntityMaps.h"
#include "database/QueryResult.h"

class CDBSchema;

// The library's current error of a connection.
struct DBErrorInfo {
  int failed = 0;         // 1 when the error number is non-zero
  int error_number = 0;
  std::string error_text;  // "%s (errcode:%d)", or "" when the number is 0
};

// The outcome of a write that names its row (an update or a delete): written;
// no row matched (the database holds no such row, so nothing changed); or
// failed (no statement could be built, or the server refused it or could not
// be reached). Tests true only when written, so a caller that asks only
// whether it worked reads it as a bool.
class DBWriteResult {
 public:
  enum Outcome { kWritten, kNoRowMatched, kFailed };
  DBWriteResult(bool written) : outcome_(written ? kWritten : kFailed) {}  // a plain success or failure
  DBWriteResult(Outcome outcome) : outcome_(outcome) {}
  operator bool() const { return outcome_ == kWritten; }
  Outcome outcome() const { return outcome_; }
  bool NoRowMatched() const { return outcome_ == kNoRowMatched; }

 private:
  Outcome outcome_;
};

// Column names of an update (compared with the row's names exactly).
using ColumnList = std::vector<std::string>;

class IDataAdapter {
 public:
  IDataAdapter() = default;
  virtual ~IDataAdapter() = default;
  IDataAdapter(const IDataAdapter&) = delete;
  IDataAdapter& operator=(const IDataAdapter&) = delete;

  // The adapter's kind, "MARIADB".
  virtual std::string GetTypeName() const = 0;
  // Connects (a null user: "root" with the built-in password). Blocks for a
  // reachability probe of up to 2 s and a connect of up to 10 s. False on failure.
  virtual bool Connect(const char* host, int port, const char* database, const char* user,
                       const char* password) = 0;
  virtual void Disconnect() = 0;
  // The state of the last connect or disconnect.
  virtual bool IsConnected() const = 0;
  // A free text kept for the owner.
  virtual std::string GetAdapterType() const = 0;
  virtual void SetAdapterType(const std::string& type) = 0;
  // Transactions on this connection; each is false when the server refused
  // it, and a commit is false when anything of the transaction may be lost.
  virtual bool BeginTransaction() = 0;
  virtual bool CommitTransaction() = 0;
  virtual bool RollbackTransaction() = 0;

  // Row operations. Rows handed out are new objects made through the table
  // registry; rows passed in stay the caller's (an insert stores the new
  // auto-increment id into the row). Failures are logged with the statement.
  // The first row of "SELECT * FROM <table> WHERE <condition>"; empty when none.
  virtual EntityPtr FindEntity(const char* table, const char* condition) = 0;
  // The row whose key column equals `id`; empty when none.
  virtual EntityPtr FindEntity(const char* table, const char* key_column, int id) = 0;
  // The first row of a whole query; empty when none.
  virtual EntityPtr FindEntityEx(const char* table, const char* query) = 0;
  // INSERT of the columns the table has (not an auto-increment key, not empty dates).
  virtual bool AddEntity(CDBEntity* entity) = 0;
  virtual bool AddEntityEx(CDBEntity* entity, const char* table) = 0;
  // UPDATE by key of the columns the table has; with `columns`, only those
  // (exact names). Failed for a row without a key; no row matched when the
  // statement found no row (logged as such).
  virtual DBWriteResult UpdateEntity(CDBEntity* entity, const ColumnList* columns) = 0;
  virtual DBWriteResult UpdateEntityEx(CDBEntity* entity, const char* table, const ColumnList* columns) = 0;
  virtual DBWriteResult UpdateEntity(CDBEntity* entity, const char* column) = 0;
  // Marks the row deleted (IsDeleted = 1) where the table has that column and
  // `hard_delete` is off; otherwise DELETE. No row matched as for an update.
  virtual DBWriteResult DeleteEntity(CDBEntity* entity, bool hard_delete) = 0;
  // "SELECT * FROM <table>" and `clause` (null: rows not marked deleted; ""
  // every row; else appended after a blank), streamed to `callback` until it
  // returns 0. The map forms empty the map first.
  virtual bool GetEntityList(const char* table, const char* clause, EntityCallback callback,
                             void* context) = 0;
  virtual bool GetEntityList(const char* table, EntityMap64& entities) = 0;
  virtual bool GetEntityList(const char* table, EntityMap& entities) = 0;
  virtual bool GetEntityList(const char* table, const char* clause, EntityMap64& entities) = 0;
  virtual bool GetEntityList(const char* table, const char* clause, EntityMap& entities) = 0;
  // The rows of a whole query.
  virtual bool GetEntityListEx(const char* table, const char* query, EntityCallback callback,
                               void* context) = 0;
  virtual bool GetEntityListEx(const char* table, const char* query, EntityMap64& entities) = 0;
  virtual bool GetEntityListEx(const char* table, const char* query, EntityMap& entities) = 0;
  // "SELECT COUNT(*) FROM <table>" with the clause; 0 on failure.
  virtual int GetEntityCount(const char* table, const char* clause) = 0;

  // Schema, statements and maintenance: see CMariaAdapter.
  virtual bool GetTableList(const char* database, std::vector<std::string>& tables) = 0;
  virtual bool TrimTable(const char* table, int keep_rows, const std::string& key_column,
                         bool descending) = 0;
  virtual bool DropTable(const char* table) = 0;
  virtual CDBSchema* GetDBSchema() = 0;
  // True once the schema was read whole (GetDBSchema reads it when not).
  virtual bool IsDBSchemaLoaded() = 0;
  virtual void ResetDBSchema() = 0;
  virtual bool ExecuteQuery(const std::string& statement) = 0;
  virtual bool ExecuteQuery(const std::string& statement, ColumnIndex& columns,
                            ResultRows& rows) = 0;
  virtual uint64_t GetInsertId() = 0;
  virtual bool CreateDatabase(const std::string& create_script,
                              const std::string& initialize_script) = 0;
  virtual bool AddColumn(const char* table, const char* column, const char* type,
                         const char* after_column) = 0;
  virtual bool ModifyColumn(const char* table, const char* column, const char* type) = 0;
  virtual bool ChangeColumn(const char* table, const char* column, const char* new_column,
                            const char* type) = 0;
  virtual bool DropColumn(const char* table, const char* column) = 0;
  virtual bool ColumnExists(const char* table, const char* column) = 0;
  virtual bool ChangePassword(const char* user, const char* password) = 0;
  virtual DBErrorInfo GetLastErrorText() = 0;
};

// A new adapter for `type` (owned by the caller), or null: an empty type or
// "mariadb" in any letter case gives the MariaDB adapter.
IDataAdapter* CreateDataAdapter(const std::string& type);
// Destroys the adapter (when there is one) and sets the pointer to null.
void ReleaseDataAdapter(IDataAdapter*& adapter);
