#include "database/MariaDB.h"

#include <errmsg.h>
#include <mysql.h>

#include "foundation/StringUtil.h"

namespace {

std::string FormatError(const char* message, unsigned number) {
  return std::string(message ? message : "") + " (errcode:" + std::to_string(number) + ")";
}

void ClearOutputs(unsigned* error_number, std::string* error_text) {
  if (error_number) *error_number = 0;
  if (error_text) error_text->clear();
}

// Appends the cells of `row` to `out`, byte-exact, NULL as "".
void AppendCells(MYSQL_RES* result, MYSQL_ROW row, unsigned columns, std::vector<std::string>* out) {
  unsigned long* lengths = mysql_fetch_lengths(result);
  for (unsigned c = 0; c < columns; ++c) {
    if (row[c]) {
      out->emplace_back(row[c], lengths[c]);
    } else {
      out->emplace_back();
    }
  }
}

}  // namespace

CMariaDB::~CMariaDB() { Close(); }

unsigned CMariaDB::ErrorNumberOf(MYSQL* handle) const {
  unsigned number = handle ? mysql_errno(handle) : 0;
  // The client library reports a TCP server that cannot be reached as
  // CR_CONNECTION_ERROR (2002) with the message of CR_CONN_HOST_ERROR, which
  // its header calls "message only". The system's rule for that case, and the
  // number older libraries sent, is 2003: record that.
  if (number == CR_CONNECTION_ERROR && overTcp_) number = CR_CONN_HOST_ERROR;
  return number;
}

void CMariaDB::RecordError() {
  lastErrorNumber_ = ErrorNumberOf(handle_);
  lastErrorText_ =
      lastErrorNumber_ ? FormatError(mysql_error(handle_), lastErrorNumber_) : std::string();
}

void CMariaDB::RecordError(unsigned error_number, const std::string& message) {
  lastErrorNumber_ = error_number;
  lastErrorText_ = error_number ? FormatError(message.c_str(), error_number) : std::string();
}

bool CMariaDB::IsConnectionError(unsigned error_number) {
  switch (error_number) {
    case CR_SOCKET_CREATE_ERROR:
    case CR_CONNECTION_ERROR:
    case CR_CONN_HOST_ERROR:
    case CR_IPSOCK_ERROR:
    case CR_UNKNOWN_HOST:
    case CR_SERVER_GONE_ERROR:
    case CR_SERVER_HANDSHAKE_ERR:
    case CR_SERVER_LOST:
    case CR_SSL_CONNECTION_ERROR:
    case CR_SERVER_LOST_EXTENDED:
      return true;
    default:
      return false;
  }
}

void CMariaDB::CopyError(unsigned* error_number, std::string* error_text) const {
  if (error_number) *error_number = lastErrorNumber_;
  if (error_text) *error_text = lastErrorText_;
}

bool CMariaDB::Connect(const std::string& host, int port, const std::string& user,
                       const std::string& password, const std::string& database,
                       unsigned* error_number, std::string* error_text) {
  ClearOutputs(error_number, error_text);
  Close();  // callers connect only without a handle; never leak one
  overTcp_ = host != "localhost";  // the library takes "localhost" as its local socket
  handle_ = mysql_init(nullptr);
  if (!handle_) return false;
  resultUnread_ = false;
  my_bool reconnect = 1;
  bool ok = mysql_options(handle_, MYSQL_OPT_RECONNECT, &reconnect) == 0;
  if (ok) {
    unsigned read_timeout = kReadTimeoutSeconds;
    unsigned write_timeout = kWriteTimeoutSeconds;
    mysql_options(handle_, MYSQL_OPT_CONNECT_TIMEOUT, &connectTimeout_);
    mysql_options(handle_, MYSQL_OPT_READ_TIMEOUT, &read_timeout);
    mysql_options(handle_, MYSQL_OPT_WRITE_TIMEOUT, &write_timeout);
    mysql_options(handle_, MYSQL_SET_CHARSET_NAME, "euckr");
    // The library runs the init command after every connect, its own
    // automatic reconnects included, so the mode can never be lost.
    const std::string pin_mode = std::string("SET SESSION sql_mode = '") + kSessionSqlMode + "'";
    mysql_options(handle_, MYSQL_INIT_COMMAND, pin_mode.c_str());
    // Matched rows, not changed rows: an UPDATE that writes a row's present
    // values still reports the row, so 0 always means "no such row".
    ok = mysql_real_connect(handle_, host.c_str(), user.c_str(), password.c_str(), database.c_str(),
                            static_cast<unsigned>(port), nullptr, CLIENT_FOUND_ROWS) != nullptr;
  }
  if (!ok) {
    RecordError();
    CopyError(error_number, error_text);
    Close();
    return false;
  }
  connected_ = 1;
  SetParameters(host, port, user, password, database);
  return true;
}

void CMariaDB::Close() {
  if (handle_) mysql_close(handle_);
  handle_ = nullptr;
  connected_ = 0;
}

bool CMariaDB::Execute(const std::string& statement, unsigned* error_number,
                       std::string* error_text) {
  ClearOutputs(error_number, error_text);
  if (!handle_) return false;
  DiscardResult();
  if (Send(statement)) return true;
  size_t attempt = 1;
  for (;;) {
    RecordError();
    CopyError(error_number, error_text);
    if (lastErrorNumber_ != kErrorCannotReachServer) return false;
    if (attempt >= alternates_.size()) return false;
    ++attempt;
    if (!ConnectNextServer()) return false;
    if (Send(statement)) return true;
  }
}

bool CMariaDB::Send(const std::string& statement) {
  if (mysql_real_query(handle_, statement.data(), statement.size()) != 0) return false;
  resultUnread_ = mysql_field_count(handle_) > 0;
  return true;
}

void CMariaDB::DiscardResult() {
  if (!handle_) return;
  if (resultUnread_) {
    resultUnread_ = false;
    if (MYSQL_RES* result = mysql_use_result(handle_)) mysql_free_result(result);  // reads the rest
  }
  // Further results (a procedure call's status, say) are read and dropped too.
  while (mysql_more_results(handle_) && mysql_next_result(handle_) == 0) {
    if (MYSQL_RES* result = mysql_use_result(handle_)) mysql_free_result(result);
  }
}

uint64_t CMariaDB::GetAffectedRows() const {
  if (!handle_) return 0;
  my_ulonglong rows = mysql_affected_rows(handle_);
  return rows == static_cast<my_ulonglong>(-1) ? 0 : rows;
}

bool CMariaDB::ConnectNextServer() {
  Close();
  if (alternates_.empty()) return false;
  std::shared_ptr<CDBServerInfo> server = alternates_[nextServer_ % alternates_.size()];
  ++nextServer_;
  return Connect(server->host, server->port, server->user, server->password, server->database);
}

MYSQL_RES* CMariaDB::TakeResult(bool streamed, unsigned* error_number, std::string* error_text) {
  ClearOutputs(error_number, error_text);
  if (!handle_) return nullptr;
  MYSQL_RES* result = streamed ? mysql_use_result(handle_) : mysql_store_result(handle_);
  resultUnread_ = false;
  if (!result) {
    RecordError();
    CopyError(error_number, error_text);
  }
  return result;
}

bool CMariaDB::Select(std::vector<std::string>* cells, int* rows, int* columns,
                      unsigned* error_number, std::string* error_text) {
  MYSQL_RES* result = TakeResult(false, error_number, error_text);
  if (!result) return false;
  int row_count = static_cast<int>(mysql_num_rows(result));
  unsigned column_count = mysql_num_fields(result);
  if (rows) *rows = row_count;
  if (columns) *columns = static_cast<int>(column_count);
  if (row_count > 0 && cells) {
    cells->clear();
    cells->reserve(static_cast<size_t>(row_count) * column_count);
    while (MYSQL_ROW row = mysql_fetch_row(result)) AppendCells(result, row, column_count, cells);
  }
  mysql_free_result(result);
  return true;
}

bool CMariaDB::FetchRowsByName(ColumnIndex* columns, ResultRows* rows, unsigned* error_number,
                               std::string* error_text) {
  const size_t kept = rows->size();
  const bool ok = VisitRows(
      columns,
      [rows](const CKeyValueData::Cell* cells, size_t count) {
        ResultRow& values = rows->emplace_back();
        values.reserve(count);
        for (size_t c = 0; c < count; ++c) values.emplace_back(cells[c].data ? cells[c].data : "", cells[c].size);
        return true;
      },
      error_number, error_text);
  if (!ok) rows->resize(kept);  // a result cut off part way gives no rows
  return ok;
}

bool CMariaDB::VisitRows(ColumnIndex* columns, const ResultRowVisitor& visit, unsigned* error_number,
                         std::string* error_text) {
  // Rows are read as the server sends them, so the caller's work on each row
  // overlaps the transfer of the next, and only one row is buffered at a time.
  MYSQL_RES* result = TakeResult(true, error_number, error_text);
  if (!result) return false;
  const unsigned column_count = mysql_num_fields(result);
  std::vector<CKeyValueData::Cell> cells;
  bool stopped = false;
  while (MYSQL_ROW row = mysql_fetch_row(result)) {
    if (cells.empty()) {
      MYSQL_FIELD* fields = mysql_fetch_fields(result);
      for (unsigned c = 0; c < column_count; ++c) {
        (*columns)[StrToLower(fields[c].name ? fields[c].name : "")] = static_cast<int>(c);
      }
      cells.resize(column_count);
    }
    const unsigned long* lengths = mysql_fetch_lengths(result);
    for (unsigned c = 0; c < column_count; ++c) cells[c] = {row[c], row[c] ? lengths[c] : 0};
    if (!visit(cells.data(), cells.size())) {
      stopped = true;
      break;
    }
  }
  // The end of the rows and a failed read (the connection lost part way)
  // both end the loop; only the error number tells them apart.
  const bool failed = !stopped && mysql_errno(handle_) != 0;
  if (failed) {
    RecordError();
    CopyError(error_number, error_text);
  }
  mysql_free_result(result);  // reads and drops the rows a stopped walk left
  return !failed;
}

uint64_t CMariaDB::GetInsertId(std::string* error_text) {
  if (!handle_) return 0;
  uint64_t id = mysql_insert_id(handle_);
  if (id != 0) return id;
  RecordError();
  if (error_text) *error_text = lastErrorText_;
  return 0;
}

void CMariaDB::SetParameters(const std::string& host, int port, const std::string& user,
                             const std::string& password, const std::string& database) {
  host_ = host;
  port_ = port;
  user_ = user;
  password_ = password;
  database_ = database;
}

void CMariaDB::SetAlternateServers(std::vector<std::shared_ptr<CDBServerInfo>> servers) {
  alternates_ = std::move(servers);
}

unsigned long CMariaDB::GetThreadId() const { return handle_ ? mysql_thread_id(handle_) : 0; }

bool CMariaDB::SetAutoReconnect(bool on) {
  if (!handle_) return false;
  my_bool value = on ? 1 : 0;
  return mysql_options(handle_, MYSQL_OPT_RECONNECT, &value) == 0;
}

uint64_t CMariaDB::GetLastInsertId() const { return handle_ ? mysql_insert_id(handle_) : 0; }

void CMariaDB::ReadCurrentError(unsigned* error_number, std::string* error_text) const {
  if (!handle_) {
    CopyError(error_number, error_text);
    return;
  }
  unsigned number = ErrorNumberOf(handle_);
  if (error_number) *error_number = number;
  if (error_text) *error_text = number ? FormatError(mysql_error(handle_), number) : std::string();
}
