#include "analysis/IVasService.h"

int IVasService::Fail(int* error, int code) {
  if (error) *error = code;
  return 0;
}

void IVasService::Succeed(int* error) {
  if (error) *error = 0;
}

int IVasService::GetSystemInformation(IDataStore*, CTBLVas*, CZavDataBase*, int* error) {
  return Fail(error, kVasErrorNotSupported);
}
int IVasService::AddAdmin(IDataStore*, CTBLVas*, int* error) { return Fail(error, kVasErrorNotSupported); }
int IVasService::DeleteAdmin(IDataStore*, CTBLVas*, int* error, std::string, std::string) {
  return Fail(error, kVasErrorNotSupported);
}
int IVasService::DeleteAdmin(CTBLVas*, int* error, std::string, std::string) {
  return Fail(error, kVasErrorNotSupported);
}
int IVasService::SetAdmin(IDataStore*, CTBLVas*, int* error, std::string, std::string, std::string, std::string) {
  return Fail(error, kVasErrorNotSupported);
}
int IVasService::SetUsers(IDataStore*, CTBLVas*, int* error) { return Fail(error, kVasErrorNotSupported); }
int IVasService::SetNetworkPorts(IDataStore*, CTBLVas*, int* error, uint16_t) {
  return Fail(error, kVasErrorNotSupported);
}
int IVasService::SetDevices(IDataStore*, CTBLVas*, int* error) { return Fail(error, kVasErrorNotSupported); }
int IVasService::SetManagementServer(IDataStore*, CTBLVas*, int* error, std::string, int) {
  return Fail(error, kVasErrorNotSupported);
}
int IVasService::SetDeviceROI(IDataStore*, CTBLVas*, int* error, int) { return Fail(error, kVasErrorNotSupported); }
int IVasService::SetDeviceAllROI(IDataStore*, CTBLVas*, int* error) { return Fail(error, kVasErrorNotSupported); }
int IVasService::SetLineCross(IDataStore*, CTBLVas*, int* error) { return Fail(error, kVasErrorNotSupported); }
int IVasService::SetLineCrossGroup(IDataStore*, CTBLVas*, int* error) { return Fail(error, kVasErrorNotSupported); }
int IVasService::SetLineCrossBaseCount(IDataStore*, CTBLVas*, const VasLineCounts*, int* error) {
  return Fail(error, kVasErrorNotSupported);
}
int IVasService::SetLineCrossReset(IDataStore*, CTBLVas*, int, std::vector<int>, int* error) {
  return Fail(error, kVasErrorNotSupported);
}
int IVasService::SetFRData(void*, IDataStore*, CTBLVas*, int* error) { return Fail(error, kVasErrorNotSupported); }
int IVasService::RequestSystemStatus(IDataStore*, CTBLVas*, int* error, int, int, int, CSecureSock*) {
  return Fail(error, kVasErrorNotSupported);
}
int IVasService::RequestAnalysisStatus(IDataStore*, CTBLVas*, int* error, int, int, int, CSecureSock*) {
  return Fail(error, kVasErrorNotSupported);
}
int IVasService::ReceiveStatus(IDataStore*, CTBLVas*, int* error, int, CSecureSock*, std::vector<char>*,
                               VasAbortFunc, void*) {
  Fail(error, kVasErrorNotSupported);
  return -1;
}
int IVasService::UploadDNN(IDataStore*, CTBLVas*, int* error, const std::string&) {
  return Fail(error, kVasErrorNotSupported);
}
int IVasService::RestartVAS(IDataStore*, CTBLVas*, int* error) { return Fail(error, kVasErrorNotSupported); }
int IVasService::PauseEvent(IDataStore*, CTBLVas*, int, int, int* error) { return Fail(error, kVasErrorNotSupported); }
int IVasService::GetFileAnalysisCapabilities(IDataStore*, CTBLVas*, VasFileAnalysisCapabilities*, int* error) {
  return Fail(error, kVasErrorNotSupported);
}
int IVasService::SetFileAnalysisStart(IDataStore*, CTBLVas*, std::string, int*, int* error) {
  return Fail(error, kVasErrorNotSupported);
}
int IVasService::GetFileAnalysisStatus(IDataStore*, CTBLVas*, int, VasFileAnalysisStatus*, int* error) {
  return Fail(error, kVasErrorNotSupported);
}
int IVasService::GetWaterLevelMask(IDataStore*, CTBLVas*, VasWaterLevelMask*, VasAbortFunc, void*, int* error) {
  return Fail(error, kVasErrorNotSupported);
}
