// IVasService: the one interface through which every analysis server is
// configured and queried, whatever its kind; VasServiceFactory picks the
// adapter for a TBL_Vas row. Callers never keep an adapter: they make one
// per call and release it. Adapters hold no lock and no state beyond what
// they copied from the row; any thread may make and use one.
//
// Every operation takes an `error` pointer (may be null). An operation that
// can succeed first sets it to 0; a failure sets it once, to the code of the
// first failing step (VasAdapterError, or a reply's HTTP status or Result
// code), and the operation returns FALSE (ReceiveStatus -1). The operations
// here report "not supported" (kVasErrorNotSupported) without any request;
// each adapter overrides those its kind of server offers.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "net/Sock.h"

class CSecureSock;
class CTBLVas;
class CZavDataBase;
class IDataStore;
struct VasLineCounts;
struct VasWaterLevelMask;

// The codes adapters write through `error`; any other non-zero value is an
// HTTP status or the Result code of the server's reply.
enum VasAdapterError : int {
  kVasErrorBadArgument = 20000,      // a null store or a device id of 0 or less
  kVasErrorNoContent = 20003,        // a 200 reply without usable content
  kVasErrorBadXml = 20004,           // the reply's XML cannot be read
  kVasErrorCheckFailed = 20005,      // the connection test before the request failed
  kVasErrorNoConnection = 20006,     // the request's connection cannot be opened
  kVasErrorNotSent = 20007,          // the request was not sent
  kVasErrorNoHeader = 20008,         // a reply header was not received
  kVasErrorNoBody = 20009,           // a reply body was not received
  kVasErrorBadHeader = 20010,        // a stream header is neither a boundary nor a status line
  kVasErrorNotBoundary = 20011,      // a one-word stream header line is not the boundary
  kVasErrorNoDevice = 20012,         // the request's analysis device row is missing (own kind)
  kVasErrorNotSupported = 20013,     // not offered by this kind of analysis server
  kVasErrorControlReply = 20014,     // the control-port reply code is neither 200 nor 415 (upload)
  kVasErrorControlSend = 20015,      // sending on the control port failed
  kVasErrorControlReceive = 20016,   // receiving the control-port reply failed
  kVasErrorUploadRefused = 20017,    // the control-port reply code is 415: the upload is refused
  kVasErrorNoEngineDevice = 20018,   // the request's analysis device row is missing (AI engines)
  kVasErrorNoDeviceAdapter = 20019,  // no AI device adapter exists for the device's camera
};

// What the server can do with files (GetFileAnalysisCapabilities).
struct VasFileAnalysisCapabilities {
  int Available = 0;
  int FTPPort = 0;
  int ConcurrentAnalysisCount = 0;
};

// The state of one file analysis (GetFileAnalysisStatus).
struct VasFileAnalysisStatus {
  int PID = 0;
  int Progress = 0;
  int ExitCode = 0;
  std::string SourcePath;
};

// The abort test of a waiting operation: non-zero gives up the wait.
using VasAbortFunc = SockAbortFunc;

class IVasService {
 public:
  virtual ~IVasService() = default;

  virtual int GetSystemInformation(IDataStore* store, CTBLVas* row, CZavDataBase* info, int* error);
  virtual int AddAdmin(IDataStore* store, CTBLVas* row, int* error);
  virtual int DeleteAdmin(IDataStore* store, CTBLVas* row, int* error, std::string id, std::string password);
  virtual int DeleteAdmin(CTBLVas* row, int* error, std::string id, std::string password);
  virtual int SetAdmin(IDataStore* store, CTBLVas* row, int* error, std::string id, std::string password,
                       std::string newId, std::string newPassword);
  virtual int SetUsers(IDataStore* store, CTBLVas* row, int* error);
  virtual int SetNetworkPorts(IDataStore* store, CTBLVas* row, int* error, uint16_t requestPort);
  virtual int SetDevices(IDataStore* store, CTBLVas* row, int* error);
  virtual int SetManagementServer(IDataStore* store, CTBLVas* row, int* error, std::string address, int port);
  virtual int SetDeviceROI(IDataStore* store, CTBLVas* row, int* error, int vasDeviceId);
  virtual int SetDeviceAllROI(IDataStore* store, CTBLVas* row, int* error);
  virtual int SetLineCross(IDataStore* store, CTBLVas* row, int* error);
  virtual int SetLineCrossGroup(IDataStore* store, CTBLVas* row, int* error);
  virtual int SetLineCrossBaseCount(IDataStore* store, CTBLVas* row, const VasLineCounts* counts, int* error);
  virtual int SetLineCrossReset(IDataStore* store, CTBLVas* row, int channel, std::vector<int> lines, int* error);
  virtual int SetFRData(void* unused, IDataStore* store, CTBLVas* row, int* error);

  // Connects `conn` when it has no open connection and sends the request
  // that opens the server's system-status (or analysis-status) stream.
  // TRUE when sent; the connection stays open for ReceiveStatus.
  virtual int RequestSystemStatus(IDataStore* store, CTBLVas* row, int* error, int interval, int polling,
                                  int withChannelList, CSecureSock* conn);
  virtual int RequestAnalysisStatus(IDataStore* store, CTBLVas* row, int* error, int interval, int polling,
                                    int withChannelList, CSecureSock* conn);
  // Reads one unit of the stream into `buffer` (NUL-terminated, grown as
  // needed): 1 a unit with a body and status 200, 0 one without a body, -1
  // on error (the body of a failed reply stays in the buffer). Blocks up to
  // `wait` + 3 s for the header and 3 s per body wait; `abort(context)` ends
  // either wait. Never closes `conn`.
  virtual int ReceiveStatus(IDataStore* store, CTBLVas* row, int* error, int wait, CSecureSock* conn,
                            std::vector<char>* buffer, VasAbortFunc abort, void* context);
  // One control-port exchange each: TRUE when the reply code is 200.
  virtual int UploadDNN(IDataStore* store, CTBLVas* row, int* error, const std::string& path);
  virtual int RestartVAS(IDataStore* store, CTBLVas* row, int* error);

  virtual int PauseEvent(IDataStore* store, CTBLVas* row, int channel, int timeout, int* error);
  virtual int GetFileAnalysisCapabilities(IDataStore* store, CTBLVas* row, VasFileAnalysisCapabilities* capabilities,
                                          int* error);
  virtual int SetFileAnalysisStart(IDataStore* store, CTBLVas* row, std::string sourcePath, int* processId,
                                   int* error);
  virtual int GetFileAnalysisStatus(IDataStore* store, CTBLVas* row, int processId, VasFileAnalysisStatus* status,
                                    int* error);
  virtual int GetWaterLevelMask(IDataStore* store, CTBLVas* row, VasWaterLevelMask* mask, VasAbortFunc abort,
                                void* context, int* error);

 protected:
  // Writes `code` through `error` when it is not null; returns FALSE.
  static int Fail(int* error, int code);
  // Sets `error` to 0 when it is not null.
  static void Succeed(int* error);
};
