// CDBConnectionManager: the connections of one database service. It keeps the
// parameters for new connections and the live connections by id, and finds a
// connection by its id or by the calling thread: a thread owns the connections
// it created, and its operations without a connection id use the one with the
// lowest id among them.
//
// lock_ guards the map and the parameters. Connecting happens outside it, so a
// slow or unreachable server never holds up other threads' look-ups.
#pragma once

#include <sys/types.h>

#include <map>
#include <memory>
#include <string>

#include "database/DBConnectionInfo.h"
#include "foundation/Lock.h"

class CDBConnectionManager {
 public:
  CDBConnectionManager() = default;
  // Disconnects every registered connection and forgets them; holders of a
  // connection keep the object, disconnected.
  virtual ~CDBConnectionManager();
  CDBConnectionManager(const CDBConnectionManager&) = delete;
  CDBConnectionManager& operator=(const CDBConnectionManager&) = delete;

  // The parameters of connections made from now on (null texts as empty).
  void SetConnectionParams(const char* host, int port, const char* database, const char* user,
                           const char* password);
  // "MARIADB" unless set.
  void SetAdapterType(const std::string& type);
  std::string GetAdapterType() const;
  std::string GetHost() const;
  int GetPort() const;

  // A new connection of the calling thread, registered and opened (blocks for
  // the connect: up to 2 s probe and 10 s connect). A connection that failed
  // to open stays registered, not connected.
  std::shared_ptr<CDBConnectionInfo> CreateConnection();
  // Id above 0: that connection; else the calling thread's. Empty when none.
  std::shared_ptr<CDBConnectionInfo> FindConnection(int id);
  std::shared_ptr<CDBConnectionInfo> FindConnectionById(int id);
  // The connection with the lowest id that `thread` created; empty when none.
  std::shared_ptr<CDBConnectionInfo> FindConnectionByThread(pid_t thread);
  // Finds the connection as FindConnection does, disconnects it (outside the
  // lock) and forgets it. Does nothing when none is found.
  void ReleaseConnection(int id);

 private:
  mutable CLock lock_;
  std::map<int, std::shared_ptr<CDBConnectionInfo>> connections_ GUARDED_BY(lock_);
  std::string adapterType_ GUARDED_BY(lock_) = "MARIADB";
  std::string host_ GUARDED_BY(lock_);
  int port_ GUARDED_BY(lock_) = 0;
  std::string database_ GUARDED_BY(lock_);
  std::string user_ GUARDED_BY(lock_);
  std::string password_ GUARDED_BY(lock_);
};

// The kernel id of the calling thread.
pid_t CurrentThreadId();
