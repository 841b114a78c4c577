// CBaseSQL: what any SQL client of the system offers: connect, close, run a
// statement, read a whole result, read the last insert id. CMariaDB is the only
// implementation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CBaseSQL {
 public:
  CBaseSQL() = default;
  virtual ~CBaseSQL() = default;
  CBaseSQL(const CBaseSQL&) = delete;
  CBaseSQL& operator=(const CBaseSQL&) = delete;

  // Opens a new client handle and connects. Returns false on failure, with the
  // error number and text in the optional outputs (0 and "" on success).
  virtual bool Connect(const std::string& host, int port, const std::string& user,
                       const std::string& password, const std::string& database,
                       unsigned* error_number = nullptr, std::string* error_text = nullptr) = 0;
  // Closes the handle when there is one. Safe to call at any time.
  virtual void Close() = 0;
  // Sends one statement. True when the server accepted it.
  virtual bool Execute(const std::string& statement, unsigned* error_number = nullptr,
                       std::string* error_text = nullptr) = 0;
  // Reads the whole result of the last statement: cell (r, c) at r * columns + c,
  // NULL as "". With no rows `cells` is left as it was. False when there is no result.
  virtual bool Select(std::vector<std::string>* cells, int* rows, int* columns,
                      unsigned* error_number = nullptr, std::string* error_text = nullptr) = 0;
  // The id the last INSERT generated; 0 when none (the error text then carries
  // the recorded error, "" when the library reports none).
  virtual uint64_t GetInsertId(std::string* error_text = nullptr) = 0;
};
