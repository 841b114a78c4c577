// CMariaDB: the one place that talks to the MariaDB client library. It owns one
// client handle, opened with fixed options (automatic reconnect, a 10-second
// connect time-out, the character set "euckr"), runs statements, reads whole
// results as texts, and keeps the last error as a number and a text of the form
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
  // Sends one statement (mysql_real_query). On error 2003 (the server cannot be
  // reached) it retries on the alternate servers as they rotate, at most list
  // size - 1 times.
  bool Execute(const std::string& statement, unsigned* error_number = nullptr,
               std::string* error_text = nullptr) override;
  bool Select(std::vector<std::string>* cells, int* rows, int* columns,
              unsigned* error_number = nullptr, std::string* error_text = nullptr) override;
  uint64_t GetInsertId(std::string* error_text = nullptr) override;

  // Reads the whole result of the last statement as rows of texts (NULL as "")
  // and, from the first row, `columns` maps each lower-case column name to its
  // position. No rows: true, `columns` untouched. False when there is no result
  // (a statement without a result set gives error number 0 and an empty text).
  bool FetchRowsByName(ColumnIndex* columns, ResultRows* rows, unsigned* error_number = nullptr,
                       std::string* error_text = nullptr);

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
  // The library's current error of the handle ({0, ""} without one), read now.
  void ReadCurrentError(unsigned* error_number, std::string* error_text) const;
  unsigned GetLastErrorNumber() const { return last_error_number_; }
  const std::string& GetLastErrorText() const { return last_error_text_; }

  static constexpr unsigned kConnectTimeoutSeconds = 10;
  static constexpr unsigned kErrorCannotReachServer = 2003;

 private:
  unsigned ErrorNumberOf(MYSQL* handle) const;
  void RecordError();
  // mysql_store_result; null (error recorded and copied) when there is no result.
  MYSQL_RES* StoreResult(unsigned* error_number, std::string* error_text);
  void CopyError(unsigned* error_number, std::string* error_text) const;
  bool ConnectNextServer();

  MYSQL* handle_ = nullptr;
  int connected_ = 0;
  bool over_tcp_ = true;  // the last connect went over TCP (not the local socket)
  unsigned connect_timeout_ = kConnectTimeoutSeconds;
  unsigned last_error_number_ = 0;
  std::string last_error_text_;
  std::vector<std::shared_ptr<CDBServerInfo>> alternates_;
  uint64_t next_server_ = 0;
  std::string host_;
  int port_ = 0;
  std::string user_;
  std::string password_;
  std::string database_;
};
