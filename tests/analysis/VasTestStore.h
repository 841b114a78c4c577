// An in-memory entity store (no database behind it) holding analysis-server
// rows at 127.0.0.1 with the login the client store attaches, as the status
// publisher's store holds them, for the adapters and the status handler.
#pragma once

#include <memory>
#include <string>

#include "database/DataStore.h"
#include "entities/Camera.h"
#include "entities/NRS.h"
#include "entities/analysis/Vas.h"
#include "entities/analysis/VasROI.h"

class VasTestStore {
 public:
  VasTestStore();
  ~VasTestStore();

  // Adds server `id` of kind `type` at 127.0.0.1:`port` (web port; also the
  // secure port) with the login the client store fills and `User`/`Password`
  // columns that differ from it. Returns the cached row.
  std::shared_ptr<CTBLVas> AddServer(int id, unsigned short port, int type = 1, const std::string& login = "admin",
                                     const std::string& password = "secret");
  // Adds analysis device `id` of server `vasId` on `channel`, analysing camera `cameraNo`.
  void AddDevice(int id, int vasId, int channel, int cameraNo = 0);
  // Adds camera `no`; returns the cached row for further columns.
  std::shared_ptr<CTBLCamera> AddCamera(int no, const std::string& vendor = "", const std::string& model = "");
  // Adds recording server `no` at `address` with the login the client store fills.
  std::shared_ptr<CTBLNRS> AddZav(int no, const std::string& address, const std::string& login,
                                  const std::string& password);
  // Adds region `id` of device `deviceId` (enabled, base 640 x 480); returns the cached row.
  std::shared_ptr<CTBLVasROI> AddRegion(int id, int deviceId, int number, int eventId);
  // Adds point `id` (x, y) of region `regionId`.
  void AddPoint(int id, int regionId, int x, int y);

  CDataStore* get() { return store_.get(); }

 private:
  std::unique_ptr<CDataStore> store_;
};
