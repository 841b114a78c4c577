// An in-memory entity store (no database behind it) holding analysis-server
// rows at 127.0.0.1 with the login the client store attaches, as the status
// publisher's store holds them, for the adapters and the status handler.
#pragma once

#include <memory>
#include <string>

#include "database/DataStore.h"
#include "entities/analysis/Vas.h"

class VasTestStore {
 public:
  VasTestStore();
  ~VasTestStore();

  // Adds server `id` of kind `type` at 127.0.0.1:`port` (web port; also the
  // secure port) with the login the client store fills and `User`/`Password`
  // columns that differ from it. Returns the cached row.
  std::shared_ptr<CTBLVas> AddServer(int id, unsigned short port, int type = 1, const std::string& login = "admin",
                                     const std::string& password = "secret");
  // Adds analysis device `id` of server `vasId` on `channel`.
  void AddDevice(int id, int vasId, int channel);

  CDataStore* get() { return store_.get(); }

 private:
  std::unique_ptr<CDataStore> store_;
};
