// VasEngineAdapter: the base of the adapters of the outside AI engines. The
// engines take no configuration from the gateway, so the account, user,
// port, device, management-server and region settings (slots 0 to 10)
// succeed at once without any request (error 0, TRUE; a system-information
// record is left untouched); every other operation is "not supported"
// (20013) as IVasService answers. Each engine adapter overrides what its
// engine does.
#pragma once

#include <string>
#include <vector>

#include "analysis/VasAdapterBase.h"

class VasEngineAdapter : public VasAdapterBase {
 public:
  using VasAdapterBase::VasAdapterBase;

  int GetSystemInformation(IDataStore* store, CTBLVas* row, CZavDataBase* info, int* error) override;
  int AddAdmin(IDataStore* store, CTBLVas* row, int* error) override;
  int DeleteAdmin(IDataStore* store, CTBLVas* row, int* error, std::string id, std::string password) override;
  int DeleteAdmin(CTBLVas* row, int* error, std::string id, std::string password) override;
  int SetAdmin(IDataStore* store, CTBLVas* row, int* error, std::string id, std::string password, std::string newId,
               std::string newPassword) override;
  int SetUsers(IDataStore* store, CTBLVas* row, int* error) override;
  int SetNetworkPorts(IDataStore* store, CTBLVas* row, int* error, uint16_t requestPort) override;
  int SetDevices(IDataStore* store, CTBLVas* row, int* error) override;
  int SetManagementServer(IDataStore* store, CTBLVas* row, int* error, std::string address, int port) override;
  int SetDeviceROI(IDataStore* store, CTBLVas* row, int* error, int vasDeviceId) override;
  int SetDeviceAllROI(IDataStore* store, CTBLVas* row, int* error) override;

 protected:
  // Sets `error` to 0 when given; TRUE.
  static int Ok(int* error);
};

// The OGQ inference server (kind 2): the engine base as it stands.
class VasOGQAdapter : public VasEngineAdapter {
 public:
  using VasEngineAdapter::VasEngineAdapter;
};
