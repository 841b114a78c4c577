#include "sync/SyncDatabase.h"

#include "foundation/Lock.h"

// The run's store: notes every table read whole from the database.
class CSyncDatabase::CRunStore : public CDataStore {
 public:
  using CDataStore::CDataStore;
  bool WasLoaded(const std::string& table) {
    CScopedLock hold(lock_);
    return loaded_.count(table) != 0;
  }

 protected:
  void PrepareLoadedRows(const std::string& table, EntityMap64& rows) override {
    CDataStore::PrepareLoadedRows(table, rows);
    CScopedLock hold(lock_);
    loaded_.insert(table);
  }

 private:
  CLock lock_;
  std::set<std::string> loaded_;  // guarded by lock_
};

CSyncDatabase::CSyncDatabase(const CSyncDatabaseSettings& settings)
    : service_(std::make_unique<CDBDataStore>("MARIADB")) {
  CDBConnectionManager& manager = service_->GetConnectionManager();
  manager.SetConnectionParams(settings.host.c_str(), settings.port, settings.name.c_str(), settings.user.c_str(),
                              settings.password.c_str());
  manager.CreateConnection();
  store_ = std::make_unique<CRunStore>(service_.get());
}

CSyncDatabase::~CSyncDatabase() {
  store_.reset();
  service_->GetConnectionManager().ReleaseConnection(0);
}

bool CSyncDatabase::IsConnected() { return service_->GetConnection(0) != nullptr && service_->IsConnected(0); }

CDataStore& CSyncDatabase::Store() { return *store_; }

bool CSyncDatabase::WasLoaded(const std::string& table) { return store_->WasLoaded(table); }

CSyncDatabaseSettings CSyncDatabaseSettings::From(const CServiceSettings& settings) {
  return {settings.databaseAddress, settings.databasePort, settings.databaseName, settings.databaseLoginID,
          settings.databasePassword};
}
