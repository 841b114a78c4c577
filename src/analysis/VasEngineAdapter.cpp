#include "analysis/VasEngineAdapter.h"

int VasEngineAdapter::Ok(int* error) {
  Succeed(error);
  return 1;
}

int VasEngineAdapter::GetSystemInformation(IDataStore*, CTBLVas*, CZavDataBase*, int* error) { return Ok(error); }
int VasEngineAdapter::AddAdmin(IDataStore*, CTBLVas*, int* error) { return Ok(error); }
int VasEngineAdapter::DeleteAdmin(IDataStore*, CTBLVas*, int* error, std::string, std::string) { return Ok(error); }
int VasEngineAdapter::DeleteAdmin(CTBLVas*, int* error, std::string, std::string) { return Ok(error); }
int VasEngineAdapter::SetAdmin(IDataStore*, CTBLVas*, int* error, std::string, std::string, std::string,
                               std::string) {
  return Ok(error);
}
int VasEngineAdapter::SetUsers(IDataStore*, CTBLVas*, int* error) { return Ok(error); }
int VasEngineAdapter::SetNetworkPorts(IDataStore*, CTBLVas*, int* error, uint16_t) { return Ok(error); }
int VasEngineAdapter::SetDevices(IDataStore*, CTBLVas*, int* error) { return Ok(error); }
int VasEngineAdapter::SetManagementServer(IDataStore*, CTBLVas*, int* error, std::string, int) { return Ok(error); }
int VasEngineAdapter::SetDeviceROI(IDataStore*, CTBLVas*, int* error, int) { return Ok(error); }
int VasEngineAdapter::SetDeviceAllROI(IDataStore*, CTBLVas*, int* error) { return Ok(error); }
