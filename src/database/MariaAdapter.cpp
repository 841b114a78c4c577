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

CMariaAdapter::~CMariaAdapter() { Disconnect(); }

std::string CMariaAdapter::GetTypeName() const { return "MARIADB"; }

bool CMariaAdapter::Connect(const char* host, int port, const char* database, const char* user,
                            const char* password) {
  CScopedLock hold(lock_);
  if (!client_) {
    client_ = std::make_unique<CMariaDB>();
    client_->SetAlternateServers(alternates_);
  }
  client_->Close();
  in_transaction_ = false;
  client_->SetParameters(host ? host : "", port, user ? user : "root",
                         user ? (password ? password : "") : kDefaultPassword,
                         database ? database : "");
  bool ok = ProbeServer(client_->GetHost(), port) &&
            client_->Connect(client_->GetHost(), client_->GetPort(), client_->GetUser(),
                             client_->GetPassword(), client_->GetDatabase());
  connected_.store(client_->IsConnected());
  return ok;
}

void CMariaAdapter::Disconnect() {
  CScopedLock hold(lock_);
  if (client_) {
    client_->Close();
    client_.reset();
  }
  in_transaction_ = false;
  schema_loaded_ = false;
  connected_.store(false);
}

bool CMariaAdapter::IsConnected() const { return connected_.load(); }

std::string CMariaAdapter::GetAdapterType() const {
  CScopedLock hold(lock_);
  return adapter_type_;
}

void CMariaAdapter::SetAdapterType(const std::string& type) {
  CScopedLock hold(lock_);
  adapter_type_ = type;
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
  CScopedLock hold(lock_);
  if (!client_) return false;
  if (!client_->HasHandle()) {
    client_->Close();
    bool reconnected =
        ProbeServer(client_->GetHost(), client_->GetPort()) &&
        client_->Connect(client_->GetHost(), client_->GetPort(), client_->GetUser(),
                         client_->GetPassword(), client_->GetDatabase());
    connected_.store(client_->IsConnected());
    if (!reconnected) return false;
  }
  bool ok = client_->Execute(statement, error_number, error_text);
  connected_.store(client_->IsConnected());
  return ok;
}

bool CMariaAdapter::FetchResult(ColumnIndex& columns, ResultRows& rows, unsigned* error_number,
                                std::string* error_text) {
  CScopedLock hold(lock_);
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
  connected_.store(client_->IsConnected());
  return ok;
}

void CMariaAdapter::EndTransaction() {
  in_transaction_ = false;
  transaction_session_ = 0;
  if (client_) client_->SetAutoReconnect(true);
}

bool CMariaAdapter::BeginTransaction() {
  CScopedLock hold(lock_);
  if (!client_ || !client_->HasHandle()) return false;
  // Sent with the automatic reconnect still on: a connection lost before the
  // transaction is re-made first, and the transaction lives on the new session.
  if (!SendTransactionStatement("START TRANSACTION")) return false;
  client_->SetAutoReconnect(false);
  in_transaction_ = true;
  transaction_session_ = client_->GetThreadId();
  return true;
}

bool CMariaAdapter::CommitTransaction() {
  CScopedLock hold(lock_);
  if (!client_ || !client_->HasHandle()) {
    in_transaction_ = false;
    return false;
  }
  bool ok;
  if (in_transaction_ && client_->GetThreadId() != transaction_session_) {
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
  CScopedLock hold(lock_);
  if (!client_ || !client_->HasHandle()) {
    in_transaction_ = false;
    return false;
  }
  bool ok = SendTransactionStatement("ROLLBACK");
  EndTransaction();
  return ok;
}

bool CMariaAdapter::ExecuteQuery(const std::string& statement) {
  return Query(statement, nullptr, nullptr);
}

bool CMariaAdapter::ExecuteQuery(const std::string& statement, ColumnIndex& columns,
                                 ResultRows& rows) {
  return QueryAndFetch("CMariaAdapter::ExecuteQuery", statement, columns, rows);
}

bool CMariaAdapter::QueryLogged(const char* function, const std::string& statement) {
  unsigned error_number = 0;
  std::string error_text;
  if (Query(statement, &error_number, &error_text)) return true;
  const LogCallSite site{__FILE__, function, __LINE__, nullptr};
  WriteLog(site, 1, "ERROR - Error raised while execute query (%s). the error is %s\r\n",
           statement.c_str(), error_text.c_str());
  return false;
}

bool CMariaAdapter::QueryAndFetch(const char* function, const std::string& statement,
                                  ColumnIndex& columns, ResultRows& rows) {
  CScopedLock hold(lock_);
  if (!QueryLogged(function, statement)) return false;
  unsigned error_number = 0;
  std::string error_text;
  if (FetchResult(columns, rows, &error_number, &error_text)) return true;
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
  CScopedLock hold(lock_);
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
  CScopedLock hold(lock_);
  if (schema_loaded_) return &schema_;
  schema_loaded_ = true;
  if (!LoadDBSchema()) GATE_LOG(1, "ERROR - Error raised while load database schema.\r\n");
  return &schema_;
}

void CMariaAdapter::ResetDBSchema() {
  CScopedLock hold(lock_);
  schema_loaded_ = false;
}

bool CMariaAdapter::LoadDBSchema() {
  static const char* const kFunction = "CMariaAdapter::LoadDBSchema";
  CScopedLock hold(lock_);
  schema_.Clear();
  schema_.SetAdapterType(GetTypeName());
  std::string database = client_ ? client_->GetDatabase() : std::string();
  schema_.SetName(database);
  if (!client_) return false;
  ColumnIndex table_columns;
  ResultRows table_rows;
  if (!QueryAndFetch(kFunction, StrFormat("SHOW TABLES FROM %s", database.c_str()), table_columns,
                     table_rows)) {
    return false;
  }
  for (const ResultRow& table_row : table_rows) {
    const std::string name = table_row.empty() ? std::string() : table_row[0];
    CDBTableSchema* table = schema_.AddTable(name);
    ColumnIndex columns;
    ResultRows rows;
    if (!QueryAndFetch(kFunction, StrFormat("SHOW COLUMNS FROM %s", name.c_str()), columns, rows)) {
      return false;
    }
    table->AddColumns(columns, rows);
  }
  return true;
}
