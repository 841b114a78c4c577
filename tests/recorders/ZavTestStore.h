// An in-memory entity store (no database behind it) holding recording-server
// rows at 127.0.0.1 and their cameras, as the status publisher's store holds
// them, for the data adapter and the status handler to find.
#pragma once

#include <memory>
#include <string>

#include "database/DataStore.h"

class ZavTestStore {
 public:
  ZavTestStore();
  ~ZavTestStore();

  // Adds server `no` at 127.0.0.1:`port` with the login the client store fills.
  void AddServer(int no, unsigned short port, const std::string& login = "", const std::string& password = "");
  // Adds camera `no` recorded by server `zavNo` on `channel`.
  void AddCamera(int no, int zavNo, int channel);
  // Sets a category-2 system setting (TBL_SystemSettings) of the store.
  void SetSystemSetting(const std::string& key, int value);

  CDataStore* get() { return store_.get(); }

 private:
  std::unique_ptr<CDataStore> store_;
  int settings_ = 0;
};
