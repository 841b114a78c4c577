// CMariaDB: the one place that talks to the MariaDB client library. It owns one
// client handle, opened with fixed options (automatic reconnect, a 10-second
// connect time-out, 30-second read and write time-outs, the character set
// "euckr", the session's sql_mode pinned at every connect and reconnect, and
// affected rows counted as matched rows), runs statements, reads whole results
// as texts, and keeps the last error as a number and a text of the form
// "%s (errcode:%d)".
//
// Not thread-safe: the owner (CMariaAdapter) serialises every use under its own
// lock, and between a statement and the reading of its result nothing else may
// run on the object.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "database/BaseSQL.h"
#include "database/QueryResult.h"

typedef struct st_mysql MYSQL;
typedef struct st_mysql_res MYSQL_RES;

// One alternate server that a statement may be retried on when the current one
// cannot be reached (error 2003).
struct CDBServerInfo {
  std::string host;
  int port = 0;
  std::string user;
  std::string password;
  std::string database;
};

class CMariaDB : public CBaseSQL {
 public:
  CMariaDB() = default;
  ~CMariaDB() override;

  // Opens a new handle and connects with the fixed options. On success the five
  // values become the current parameters. On failure the handle is closed again
  // and the error is recorded. Blocks up to the 10 s connect time-out.
  bool Connect(const std::string& host, int port, const std::string& user,
               const std::string& password, const std::string& database,
               unsigned* error_number = nullptr, std::string* error_text = nullptr) override;
  void Close() override;
  // Sends one statement (mysql_real_query), after discarding whatever result of
  // an earlier statement is still unread. On error 2003 (the server cannot be
  // reached) it retries on the alternate servers as they rotate, at most list
  // size - 1 times. Blocks up to the write and read time-outs (30 s each) on a
  // server that stops answering.
  bool Execute(const std::string& statement, unsigned* error_number = nullptr,
               std::string* error_text = nullptr) override;
  bool Select(std::vector<std::string>* cells, int* rows, int* columns,
              unsigned* error_number = nullptr, std::string* error_text = nullptr) override;
  uint64_t GetInsertId(std::string* error_text = nullptr) override;

  // Reads the whole result of the last statement as rows of texts (NULL as "")
  // and, from the first row, `columns` maps each lower-case column name to its
  // position. No rows: true, `columns` untouched. False when there is no result
  // (a statement without a result set gives error number 0 and an empty text)
  // or when it breaks off part way (`rows` then as before the call).
  bool FetchRowsByName(ColumnIndex* columns, ResultRows* rows, unsigned* error_number = nullptr,
                       std::string* error_text = nullptr);
  // The same read without copying any text, row by row as the server sends
  // them: `columns` is filled as above at the first row, then `visit` gets each
  // row's cells in order, read in place from the library's buffer and valid
  // only during that call; it returns false to stop (the rest is read and
  // dropped). False when there is no result, or when the result breaks off part
  // way (the error recorded; `visit` has then seen only the first rows, which
  // the caller must drop). Blocks up to the read time-out per row.
  bool VisitRows(ColumnIndex* columns, const ResultRowVisitor& visit,
                 unsigned* error_number = nullptr, std::string* error_text = nullptr);

  // Reads and frees any result of the last statement that is still unread, so
  // that the next statement is not refused as out of sync (error 2014).
  void DiscardResult();
  // The rows the last statement matched (an UPDATE counts the rows it found,
  // changed or not); 0 without a handle or after a failure.
  uint64_t GetAffectedRows() const;

  // Replaces the current parameters without connecting (the adapter keeps them
  // here for its reconnect rule).
  void SetParameters(const std::string& host, int port, const std::string& user,
                     const std::string& password, const std::string& database);
  const std::string& GetHost() const { return host_; }
  int GetPort() const { return port_; }
  const std::string& GetUser() const { return user_; }
  const std::string& GetPassword() const { return password_; }
  const std::string& GetDatabase() const { return database_; }

  // Alternate servers for the retry on error 2003 (empty unless set here).
  void SetAlternateServers(std::vector<std::shared_ptr<CDBServerInfo>> servers);

  bool HasHandle() const { return handle_ != nullptr; }
  // 1 after a successful connect, 0 after a close; a connection that the
  // library lost and re-made does not change it.
  bool IsConnected() const { return connected_ != 0; }
  // The server's id of the session behind the handle (it changes when the
  // library reconnects); 0 without a handle.
  unsigned long GetThreadId() const;
  // Switches the library's automatic reconnect on the open handle. False without a handle.
  bool SetAutoReconnect(bool on);
  // The library's id of the last insert on the handle, nothing recorded; 0 without a handle.
  uint64_t GetLastInsertId() const;
  // The library's current error of the handle, read now; without a handle the
  // recorded last error (that of the failed connect, say), {0, ""} when none.
  void ReadCurrentError(unsigned* error_number, std::string* error_text) const;
  // Records an error found outside the library (the adapter's reachability
  // probe) as the last error: `message` and " (errcode:<number>)".
  void RecordError(unsigned error_number, const std::string& message);
  unsigned GetLastErrorNumber() const { return lastErrorNumber_; }
  const std::string& GetLastErrorText() const { return lastErrorText_; }

  // True for the library's numbers of a server that cannot be reached, was
  // lost or stopped answering (2001-2006, 2012, 2013, 2026, 2055).
  static bool IsConnectionError(unsigned error_number);

  static constexpr unsigned kConnectTimeoutSeconds = 10;
  // A statement's wait for the server to take its bytes (write) and to answer
  // (each read): a stalled server fails it with 2013 after this long. Long
  // enough for any statement the system sends; large results keep arriving
  // well within it.
  static constexpr unsigned kReadTimeoutSeconds = 30;
  static constexpr unsigned kWriteTimeoutSeconds = 30;
  // The session's sql_mode, set by the library at every connect and automatic
  // reconnect: strict (a value that does not fit, or bytes that are not valid
  // in the character set, fail the statement instead of being cut or replaced)
  // and without NO_BACKSLASH_ESCAPES, because every text literal is written
  // with backslash escapes. Whatever the server's own setting is.
  static constexpr const char* kSessionSqlMode =
      "STRICT_ALL_TABLES,ERROR_FOR_DIVISION_BY_ZERO,NO_ENGINE_SUBSTITUTION";
  static constexpr unsigned kErrorCannotReachServer = 2003;

 private:
  unsigned ErrorNumberOf(MYSQL* handle) const;
  void RecordError();
  // mysql_use_result when `streamed`, else mysql_store_result; null (error
  // recorded and copied) when there is no result.
  MYSQL_RES* TakeResult(bool streamed, unsigned* error_number, std::string* error_text);
  void CopyError(unsigned* error_number, std::string* error_text) const;
  bool ConnectNextServer();
  // mysql_real_query; notes whether the statement left a result to read.
  bool Send(const std::string& statement);

  MYSQL* handle_ = nullptr;
  int connected_ = 0;
  bool overTcp_ = true;  // the last connect went over TCP (not the local socket)
  unsigned connectTimeout_ = kConnectTimeoutSeconds;
  bool resultUnread_ = false;  // the last statement has a result set not yet read
  unsigned lastErrorNumber_ = 0;
  std::string lastErrorText_;
  std::vector<std::shared_ptr<CDBServerInfo>> alternates_;
  uint64_t nextServer_ = 0;
  std::string host_;
  int port_ = 0;
  std::string user_;
  std::string password_;
  std::string database_;
};
