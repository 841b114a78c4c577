// The maintenance operations of the MariaDB adapter: script files, columns,
// trimming and dropping tables, and account passwords. Table names, key
// columns and type texts are written bare; column names in backticks.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "database/MariaAdapter.h"
#include "database/SqlWhereClause.h"
#include "foundation/Log.h"
#include "foundation/StrList.h"
#include "foundation/StringUtil.h"

namespace {

const char* TextOrEmpty(const char* text) { return text ? text : ""; }

}  // namespace

bool CMariaAdapter::TrimTable(const char* table, int keep_rows, const std::string& key_column,
                              bool descending) {
  std::string statement = StrFormat("DELETE FROM %s", TextOrEmpty(table));
  if (!key_column.empty()) {
    statement += StrFormat(
        " WHERE %s not in( SELECT * FROM (SELECT %s FROM %s ORDER BY %s %s LIMIT %d)r)",
        key_column.c_str(), key_column.c_str(), TextOrEmpty(table), key_column.c_str(),
        descending ? "DESC" : "ASC", keep_rows);
  }
  return ExecuteQuery(statement);
}

bool CMariaAdapter::DropTable(const char* table) {
  return ExecuteQuery(StrFormat("DROP TABLE IF EXISTS %s", TextOrEmpty(table)));
}

bool CMariaAdapter::AddColumn(const char* table, const char* column, const char* type,
                              const char* after_column) {
  std::string position = after_column ? StrFormat("AFTER `%s`", after_column) : "FIRST";
  return Query(StrFormat("ALTER TABLE %s ADD COLUMN `%s` %s %s\r\n", TextOrEmpty(table), TextOrEmpty(column),
                         TextOrEmpty(type), position.c_str()),
               nullptr, nullptr);
}

bool CMariaAdapter::ModifyColumn(const char* table, const char* column, const char* type) {
  return Query(StrFormat("ALTER TABLE %s\r\nMODIFY COLUMN `%s` %s\r\n", TextOrEmpty(table), TextOrEmpty(column),
                         TextOrEmpty(type)),
               nullptr, nullptr);
}

bool CMariaAdapter::ChangeColumn(const char* table, const char* column, const char* new_column,
                                 const char* type) {
  return Query(StrFormat("ALTER TABLE %s\r\nCHANGE COLUMN `%s` `%s` %s\r\n", TextOrEmpty(table),
                         TextOrEmpty(column), TextOrEmpty(new_column), TextOrEmpty(type)),
               nullptr, nullptr);
}

bool CMariaAdapter::DropColumn(const char* table, const char* column) {
  return Query(StrFormat("ALTER TABLE %s\r\nDROP COLUMN `%s`\r\n", TextOrEmpty(table), TextOrEmpty(column)),
               nullptr, nullptr);
}

bool CMariaAdapter::ColumnExists(const char* table, const char* column) {
  OperationHold hold(*this);  // the statement and its result belong together
  unsigned error_number = 0;
  std::string error_text;
  if (!Query(StrFormat("SHOW COLUMNS FROM %s LIKE '%s'", TextOrEmpty(table), TextOrEmpty(column)), &error_number,
             &error_text)) {
    return false;
  }
  return HasResultRows(&error_number, &error_text);
}

bool CMariaAdapter::ReadSqlFile(const std::string& path, std::string* text) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    GATE_LOG(1, "ERROR - Error raised when open '%s' file. the error is %u\r\n", path.c_str(),
             static_cast<unsigned>(errno));
    return false;
  }
  struct stat info;
  std::string bytes;
  bool ok = fstat(fd, &info) == 0;
  if (ok) {
    bytes.resize(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (ok && done < bytes.size()) {
      ssize_t n = read(fd, &bytes[done], bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ok = false;
        if (n == 0) errno = EIO;  // the file shrank while it was read
      } else {
        done += static_cast<size_t>(n);
      }
    }
  }
  if (!ok) {
    GATE_LOG(1, "ERROR - Error raised when read data from '%s' file. the error is %u\r\n",
             path.c_str(), static_cast<unsigned>(errno));
    close(fd);
    return false;
  }
  close(fd);
  *text = bytes.substr(0, bytes.find('\0'));  // the text ends at its first zero byte
  return true;
}

bool CMariaAdapter::RunScript(const std::string& text) {
  CStrList statements;
  statements.Split(text, "\r\n\r\n");
  for (const std::string& statement : statements.Items()) {
    if (!ExecuteQuery(statement)) return false;
  }
  return true;
}

bool CMariaAdapter::CreateDatabase(const std::string& create_script,
                                   const std::string& initialize_script) {
  std::string text;
  if (!ReadSqlFile(create_script, &text)) {
    GATE_LOG(1, "ERROR - Error raised when read sql file for create\r\n");
    return false;
  }
  if (!RunScript(text)) return false;
  if (!ReadSqlFile(initialize_script, &text)) {
    GATE_LOG(1, "ERROR - Error raised when read sql file for initialize\r\n");
    return false;
  }
  return RunScript(text);
}

bool CMariaAdapter::ChangePassword(const char* user, const char* password) {
  const std::string name = TextOrEmpty(user);
  OperationHold hold(*this);
  unsigned error_number = 0;
  std::string error_text;
  auto fail = [&](const std::string& reason) {
    const LogCallSite site{__FILE__, "CMariaAdapter::ChangePassword", __LINE__, nullptr};
    WriteLog(site, 1, "ERROR - Error raised when change '%s' user password. the error is %s\r\n",
             name.c_str(), reason.c_str());
    return false;
  };
  // Every account of the user, with its password hash to put back on failure.
  // (Roles share the table; they are told apart in code, since comparing the
  // view's computed columns with a literal of this connection's character set
  // is refused as a mix of collations.)
  ColumnIndex columns;
  ResultRows rows;
  std::string list = "SELECT Host, Password, is_role FROM mysql.user WHERE User = " + SqlQuote(name) +
                     " ORDER BY Host";
  if (!Query(list, &error_number, &error_text) ||
      !FetchResult(columns, rows, &error_number, &error_text)) {
    return fail(error_text);
  }
  ResultRows accounts;
  for (ResultRow& row : rows) {
    if (row.size() > 2 && row[2] != "Y") accounts.push_back(std::move(row));
  }
  if (accounts.empty()) return fail("no such user");
  auto account = [&](const ResultRow& row) {
    return SqlQuote(name) + "@" + SqlQuote(row.empty() ? std::string() : row[0]);
  };
  for (size_t i = 0; i < accounts.size(); ++i) {
    std::string statement = "SET PASSWORD FOR " + account(accounts[i]) + " = PASSWORD(" +
                            SqlQuote(TextOrEmpty(password)) + ")";
    if (Query(statement, &error_number, &error_text)) continue;
    std::string reason = error_text;
    // Account statements commit at once; put the old passwords back by hand.
    for (size_t j = 0; j < i; ++j) {
      const std::string& old_hash = accounts[j].size() > 1 ? accounts[j][1] : std::string();
      Query("SET PASSWORD FOR " + account(accounts[j]) + " = " + SqlQuote(old_hash), nullptr,
            nullptr);
    }
    return fail(reason);
  }
  // The client reconnects with its stored password: keep it current.
  if (client_ && client_->GetUser() == name) {
    client_->SetParameters(client_->GetHost(), client_->GetPort(), client_->GetUser(),
                           TextOrEmpty(password), client_->GetDatabase());
  }
  return true;
}
