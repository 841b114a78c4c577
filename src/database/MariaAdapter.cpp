// The connection, transaction, statement and schema operations of the MariaDB
// adapter. The entity operations are in MariaAdapterEntities.cpp, the
// maintenance operations in MariaAdapterMaintenance.cpp.
#include "database/MariaAdapter.h"

#include "database/PerformanceChecker.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"
#include "net/Sock.h"

namespace {

// The reachability probe in front of every connect: a port whose low 16 bits
// are 0 fails at once; otherwise a TCP connect of at most 2000 ms.
bool ProbeServer(const std::string& host, int port) {
  unsigned short tcp_port = static_cast<unsigned short>(port & 0xFFFF);
  if (tcp_port == 0) return false;
  return sock::IsReachable(host, tcp_port, CMariaAdapter::kProbeTimeoutMs);
}

}  // namespace

IDataAdapter* CreateDataAdapter(const std::string& type) {
  if (type.empty() || StrEqualNoCase(type, "mariadb")) return new CMariaAdapter();
  return nullptr;
}

void ReleaseDataAdapter(IDataAdapter*& adapter) {
  delete adapter;  // the virtual destructor of whatever kind it is
  adapter = nullptr;
}

CMariaAdapter::OperationHold::OperationHold(CMariaAdapter& adapter) NO_THREAD_SAFETY_ANALYSIS : adapter_(adapter) {
  const uint64_t failures = adapter_.connectionFailures_.load();
  adapter_.lock_.Lock();
  if (adapter_.holdDepth_++ == 0) adapter_.failuresAtEntry_ = failures;
}

CMariaAdapter::OperationHold::~OperationHold() NO_THREAD_SAFETY_ANALYSIS {
  --adapter_.holdDepth_;
  adapter_.lock_.Unlock();
}

CMariaAdapter::~CMariaAdapter() { Disconnect(); }

std::string CMariaAdapter::GetTypeName() const { return "MARIADB"; }

bool CMariaAdapter::Connect(const char* host, int port, const char* database, const char* user,
                            const char* password) {
  OperationHold hold(*this);
  if (!client_) {
    client_ = std::make_unique<CMariaDB>();
    client_->SetAlternateServers(alternates_);
  }
  client_->Close();
  inTransaction_ = false;
  client_->SetParameters(host ? host : "", port, user ? user : "root",
                         user ? (password ? password : "") : kDefaultPassword,
                         database ? database : "");
  return OpenClient();
}

bool CMariaAdapter::OpenClient() {
  client_->Close();
  const std::string& host = client_->GetHost();
  const int port = client_->GetPort();
  bool ok;
  if (ProbeServer(host, port)) {
    ok = client_->Connect(host, port, client_->GetUser(), client_->GetPassword(),
                          client_->GetDatabase());
  } else {
    ok = false;
    client_->RecordError(CMariaDB::kErrorCannotReachServer,
                         StrFormat("Can't connect to server on '%s:%d': no TCP connection within %d ms",
                                   host.c_str(), port, kProbeTimeoutMs));
  }
  if (!ok) NoteFailure(client_->GetLastErrorNumber());
  connected_.store(client_->IsConnected());
  return ok;
}

void CMariaAdapter::NoteFailure(unsigned error_number) {
  if (CMariaDB::IsConnectionError(error_number)) connectionFailures_.fetch_add(1);
}

void CMariaAdapter::Disconnect() {
  OperationHold hold(*this);
  if (client_) {
    client_->Close();
    client_.reset();
  }
  inTransaction_ = false;
  schemaLoaded_ = false;
  connected_.store(false);
}

bool CMariaAdapter::IsConnected() const { return connected_.load(); }

std::string CMariaAdapter::GetAdapterType() const {
  CScopedLock hold(lock_);
  return adapterType_;
}

void CMariaAdapter::SetAdapterType(const std::string& type) {
  CScopedLock hold(lock_);
  adapterType_ = type;
}

unsigned long CMariaAdapter::GetSessionId() {
  CScopedLock hold(lock_);
  return client_ ? client_->GetThreadId() : 0;
}

void CMariaAdapter::SetAlternateServers(std::vector<std::shared_ptr<CDBServerInfo>> servers) {
  CScopedLock hold(lock_);
  alternates_ = std::move(servers);
  if (client_) client_->SetAlternateServers(alternates_);
}

bool CMariaAdapter::Query(const std::string& statement, unsigned* error_number,
                          std::string* error_text) {
  OperationHold hold(*this);
  if (!client_) return false;
  if (connectionFailures_.load() != failuresAtEntry_) {
    // The server failed another caller (or this operation) while this one
    // waited: a second attempt would only hold up the callers queued behind.
    client_->ReadCurrentError(error_number, error_text);
    return false;
  }
  if (!client_->HasHandle() && !OpenClient()) {
    client_->ReadCurrentError(error_number, error_text);
    return false;
  }
  bool ok = client_->Execute(statement, error_number, error_text);
  if (!ok) NoteFailure(client_->GetLastErrorNumber());
  connected_.store(client_->IsConnected());
  return ok;
}

bool CMariaAdapter::FetchResult(ColumnIndex& columns, ResultRows& rows, unsigned* error_number,
                                std::string* error_text) {
  OperationHold hold(*this);
  if (!client_) return false;
  return client_->FetchRowsByName(&columns, &rows, error_number, error_text);
}

bool CMariaAdapter::HasResultRows(unsigned* error_number, std::string* error_text) {
  ColumnIndex columns;
  ResultRows rows;
  return FetchResult(columns, rows, error_number, error_text) && !rows.empty();
}

bool CMariaAdapter::SendTransactionStatement(const char* statement) {
  bool ok = client_->Execute(statement);
  if (!ok) NoteFailure(client_->GetLastErrorNumber());
  connected_.store(client_->IsConnected());
  return ok;
}

void CMariaAdapter::EndTransaction() {
  inTransaction_ = false;
  transactionSession_ = 0;
  if (client_) client_->SetAutoReconnect(true);
}

bool CMariaAdapter::BeginTransaction() {
  OperationHold hold(*this);
  if (!client_ || !client_->HasHandle()) return false;
  // Sent with the automatic reconnect still on: a connection lost before the
  // transaction is re-made first, and the transaction lives on the new session.
  if (!SendTransactionStatement("START TRANSACTION")) return false;
  client_->SetAutoReconnect(false);
  inTransaction_ = true;
  transactionSession_ = client_->GetThreadId();
  return true;
}

bool CMariaAdapter::CommitTransaction() {
  OperationHold hold(*this);
  if (!client_ || !client_->HasHandle()) {
    inTransaction_ = false;
    return false;
  }
  bool ok;
  if (inTransaction_ && client_->GetThreadId() != transactionSession_) {
    // The session that held the transaction is gone; the server rolled it back.
    GATE_LOG(1,
             "ERROR - The connection was lost during the transaction; nothing was committed.\r\n");
    ok = false;
  } else {
    ok = SendTransactionStatement("COMMIT");
    if (!ok) {
      DBErrorInfo error = GetLastErrorText();
      GATE_LOG(1, "ERROR - Error raised while commit transaction. the error is %s\r\n",
               error.error_text.c_str());
      SendTransactionStatement("ROLLBACK");  // end whatever is left of it
    }
  }
  EndTransaction();
  return ok;
}

bool CMariaAdapter::RollbackTransaction() {
  OperationHold hold(*this);
  if (!client_ || !client_->HasHandle()) {
    inTransaction_ = false;
    return false;
  }
  bool ok = SendTransactionStatement("ROLLBACK");
  EndTransaction();
  return ok;
}

bool CMariaAdapter::ExecuteQuery(const std::string& statement) {
  OperationHold hold(*this);
  if (!Query(statement, nullptr, nullptr)) return false;
  client_->DiscardResult();  // rows nobody reads would fail every later statement (2014)
  return true;
}

bool CMariaAdapter::ExecuteQuery(const std::string& statement, ColumnIndex& columns,
                                 ResultRows& rows) {
  return QueryAndFetch("CMariaAdapter::ExecuteQuery", statement, columns, rows);
}

bool CMariaAdapter::QueryLogged(const char* function, const std::string& statement,
                                unsigned* error_number_out) {
  unsigned error_number = 0;
  std::string error_text;
  bool ok = Query(statement, &error_number, &error_text);
  if (error_number_out) *error_number_out = error_number;
  if (ok) return true;
  const LogCallSite site{__FILE__, function, __LINE__, nullptr};
  WriteLog(site, 1, "ERROR - Error raised while execute query (%s). the error is %s\r\n",
           statement.c_str(), error_text.c_str());
  return false;
}

bool CMariaAdapter::QueryAndFetch(const char* function, const std::string& statement,
                                  ColumnIndex& columns, ResultRows& rows,
                                  unsigned* error_number_out) {
  return QueryAndRead(function, statement, error_number_out, [&](unsigned* number, std::string* text) {
    return FetchResult(columns, rows, number, text);
  });
}

bool CMariaAdapter::QueryAndVisit(const char* function, const std::string& statement,
                                  ColumnIndex& columns, const ResultRowVisitor& visit) {
  return QueryAndRead(function, statement, nullptr, [&](unsigned* number, std::string* text) {
    OperationHold hold(*this);  // already held by QueryAndRead; the hold nests
    return client_ && client_->VisitRows(&columns, visit, number, text);
  });
}

bool CMariaAdapter::QueryAndRead(const char* function, const std::string& statement,
                                 unsigned* error_number_out,
                                 const std::function<bool(unsigned*, std::string*)>& read) {
  OperationHold hold(*this);
  if (!QueryLogged(function, statement, error_number_out)) return false;
  unsigned error_number = 0;
  std::string error_text;
  bool ok = read(&error_number, &error_text);
  if (error_number_out) *error_number_out = error_number;
  if (ok) return true;
  const LogCallSite site{__FILE__, function, __LINE__, nullptr};
  WriteLog(site, 1, "ERROR - Error raised while get query (%s) result. the error is %s\r\n",
           statement.c_str(), error_text.c_str());
  return false;
}

uint64_t CMariaAdapter::GetInsertId() {
  CScopedLock hold(lock_);
  return client_ ? client_->GetLastInsertId() : 0;
}

DBErrorInfo CMariaAdapter::GetLastErrorText() {
  CScopedLock hold(lock_);
  DBErrorInfo info;
  if (!client_) return info;
  unsigned number = 0;
  client_->ReadCurrentError(&number, &info.error_text);
  info.error_number = static_cast<int>(number);
  info.failed = number != 0 ? 1 : 0;
  return info;
}

bool CMariaAdapter::GetTableList(const char* database, std::vector<std::string>& tables) {
  OperationHold hold(*this);
  CPerformanceChecker checker("GetTableList");
  ColumnIndex columns;
  ResultRows rows;
  if (!QueryAndFetch("CMariaAdapter::GetTableList",
                     StrFormat("SHOW TABLES FROM %s", database ? database : ""), columns, rows)) {
    return false;
  }
  if (!rows.empty()) {
    checker.Check();
    for (const ResultRow& row : rows) tables.insert(tables.end(), row.begin(), row.end());
    checker.Check();
  }
  return true;
}

CDBSchema* CMariaAdapter::GetDBSchema() {
  OperationHold hold(*this);
  if (!schemaLoaded_) {
    schemaLoaded_ = LoadDBSchema();
    if (!schemaLoaded_) GATE_LOG(1, "ERROR - Error raised while load database schema.\r\n");
  }
  return &schema_;
}

bool CMariaAdapter::IsDBSchemaLoaded() {
  CScopedLock hold(lock_);
  return schemaLoaded_;
}

void CMariaAdapter::ResetDBSchema() {
  CScopedLock hold(lock_);
  schemaLoaded_ = false;
}

bool CMariaAdapter::ReadTableColumns(const char* function, const std::string& table,
                                     CDBTableSchema* into, unsigned* error_number) {
  ColumnIndex columns;
  ResultRows rows;
  if (!QueryAndFetch(function, StrFormat("SHOW COLUMNS FROM %s", table.c_str()), columns, rows,
                     error_number)) {
    return false;
  }
  into->AddColumns(columns, rows);
  return true;
}

// Read into a schema of its own and taken over whole on success, so a read
// that fails half-way never leaves a partial schema in use.
bool CMariaAdapter::LoadDBSchema() {
  static const char* const kFunction = "CMariaAdapter::LoadDBSchema";
  OperationHold hold(*this);
  if (!client_) return false;
  CDBSchema loaded;
  loaded.SetAdapterType(GetTypeName());
  const std::string database = client_->GetDatabase();
  loaded.SetName(database);
  ColumnIndex table_columns;
  ResultRows table_rows;
  if (!QueryAndFetch(kFunction, StrFormat("SHOW TABLES FROM %s", database.c_str()), table_columns,
                     table_rows)) {
    return false;
  }
  for (const ResultRow& table_row : table_rows) {
    const std::string name = table_row.empty() ? std::string() : table_row[0];
    CDBTableSchema table;
    table.SetName(name);
    unsigned error_number = 0;
    if (!ReadTableColumns(kFunction, name, &table, &error_number)) {
      // The server answered, but will not list this table's columns (a view
      // over a dropped table): leave the table out rather than fail every
      // statement of the others. No answer at all fails the whole read.
      if (error_number == 0 || CMariaDB::IsConnectionError(error_number)) return false;
      continue;
    }
    *loaded.AddTable(name) = table;
  }
  schema_.CopyFrom(loaded);
  return true;
}

bool CMariaAdapter::ReloadTableSchema(const std::string& table) {
  OperationHold hold(*this);
  if (!driftReloaded_.insert(StrToLower(table)).second) return false;
  GATE_LOG(1, "ERROR - Unknown column in '%s'; its columns are read again.\r\n", table.c_str());
  CDBTableSchema columns;
  columns.SetName(table);
  unsigned error_number = 0;
  if (!ReadTableColumns("CMariaAdapter::ReloadTableSchema", table, &columns, &error_number)) {
    return false;
  }
  *schema_.AddTable(table) = columns;
  return true;
}
