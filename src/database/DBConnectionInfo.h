// CDBConnectionInfo: one database connection of a thread: its parameters, the
// data adapter that holds the client connection, a process-wide id (ID source
// key "_DB_CONNECTION_ID") and the thread that created it. Shared by
// std::shared_ptr between the connection manager and whoever looks it up; the
// adapter dies with the last holder.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <ctime>
#include <string>

#include "database/IDataAdapter.h"

class CDBConnectionInfo {
 public:
  // Copies the parameters (null texts as empty), takes the next connection id,
  // records the calling thread as the owner and makes the adapter for `type`
  // (none for a type without one). Does not connect.
  CDBConnectionInfo(const char* type, const char* host, int port, const char* database,
                    const char* user, const char* password);
  virtual ~CDBConnectionInfo();
  CDBConnectionInfo(const CDBConnectionInfo&) = delete;
  CDBConnectionInfo& operator=(const CDBConnectionInfo&) = delete;

  // Connects the adapter (blocks up to the 2 s probe and the 10 s connect).
  // False, with "ERROR - Can't connect with '<host>:<port>' database." in the
  // log, when it fails or there is no adapter.
  bool OpenConnection();

  int GetId() const { return id_; }
  // The adapter, or null when none exists for the type. Owned by this object.
  IDataAdapter* GetAdapter() const { return adapter_; }
  // The kernel id of the thread that created the connection.
  pid_t GetOwnerThread() const { return ownerThread_; }
  // Seconds since 1970 when a transaction was begun on it; 0 otherwise.
  time_t GetTransactionStart() const { return transactionStart_.load(); }
  void SetTransactionStart(time_t start) { transactionStart_.store(start); }
  const std::string& GetAdapterType() const { return type_; }
  const std::string& GetHost() const { return host_; }
  int GetPort() const { return port_; }
  const std::string& GetDatabase() const { return database_; }
  const std::string& GetUser() const { return user_; }

 private:
  const int id_;
  IDataAdapter* adapter_;
  const pid_t ownerThread_;
  std::atomic<time_t> transactionStart_{0};
  const std::string type_;
  const std::string host_;
  const int port_;
  const std::string database_;
  const std::string user_;
  const std::string password_;
};
