// CSyncDatabase: the database connection of one synchronizer run, on the
// calling thread: a private database service and a caching store over it,
// made fresh for the run (nothing is cached between runs) and released when
// the object goes. Belongs to the thread that made it.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "database/DBDataStore.h"
#include "database/DataStore.h"
#include "services/ServiceSettings.h"

// Where a database is: address, port, name and login (password in clear).
struct CSyncDatabaseSettings {
  std::string host;
  int port = 3306;
  std::string name;
  std::string user;
  std::string password;
  // The central database of the services' settings.
  static CSyncDatabaseSettings From(const CServiceSettings& settings);
};

class CSyncDatabase {
 public:
  // Opens the calling thread's connection (blocks for the connect: up to
  // about 12 s against an address that does not answer).
  explicit CSyncDatabase(const CSyncDatabaseSettings& settings);
  // Drops the store, then releases the calling thread's connection.
  ~CSyncDatabase();
  CSyncDatabase(const CSyncDatabase&) = delete;
  CSyncDatabase& operator=(const CSyncDatabase&) = delete;

  // Whether the connection was made and still holds.
  bool IsConnected();
  CDBDataStore& Service() { return *service_; }
  CDataStore& Store();
  // Whether `table` was read from the database into the store (a table whose
  // read failed is not cached and reads as empty: the run must not take that
  // for an empty table).
  bool WasLoaded(const std::string& table);

 private:
  class CRunStore;
  std::unique_ptr<CDBDataStore> service_;
  std::unique_ptr<CRunStore> store_;
};
