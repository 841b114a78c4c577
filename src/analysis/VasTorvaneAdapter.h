// VasTorvaneAdapter: the service adapter of an analysis server of the
// installation's own kind. Here: the connection test, the status stream
// (its two opening requests and the reading of one unit) and the server's
// binary control port (DNN upload, restart). Built from the row for one
// call; keeps nothing between calls and holds no lock.
//
// Control-port frame, both directions: marker 0x87654321 (bytes 21 43 65
// 87), the XML length as unsigned 32-bit little-endian, then the XML text;
// an upload's file bytes follow its frame directly.
#pragma once

#include <stdint.h>

#include <memory>
#include <string>
#include <vector>

#include "analysis/VasAdapterBase.h"

class CTBLVasDevice;
class CXmlCfg;

class VasTorvaneAdapter : public VasAdapterBase {
 public:
  static constexpr uint32_t kControlMarker = 0x87654321u;
  static constexpr int kChunkSize = 81920;       // most file bytes sent at once
  static constexpr int kMaxReplyXml = 2047;      // most reply XML bytes accepted
  static constexpr int kCheckTimeoutMs = 2000;   // connection test
  static constexpr int kReplyDelayMs = 2000;     // pause before the control reply is read
  static constexpr int kRequestTimeoutSec = 60;  // one HTTP request and its reply

  explicit VasTorvaneAdapter(const CTBLVas& row) : VasAdapterBase(row) {}

  // A TCP connection to address:port within 2000 ms (whatever `timeoutMs`
  // says), closed at once: TRUE. Otherwise error 20005, the line
  // "ERROR - [%s:%d] Error raised when try connect to vas.", FALSE.
  static int Check(const std::string& address, int port, int* error, int timeoutMs = kCheckTimeoutMs);

  // The status-stream request bodies, as sent.
  static std::string SystemStatusBody(int interval, int polling, const std::string& channels);
  static std::string AnalysisStatusBody(int interval, int polling, const std::string& channels);

  // POST /stream/status.cgi on `conn` (connected first, within 2000 ms, when
  // it has no open connection; TLS when the caller set its flag). No
  // connection: 20006; not sent: 20007 and `conn` closed. The store is not
  // used. The channel list of the row follows with `withChannelList` set.
  int RequestSystemStatus(IDataStore* store, CTBLVas* row, int* error, int interval, int polling,
                          int withChannelList, CSecureSock* conn) override;
  int RequestAnalysisStatus(IDataStore* store, CTBLVas* row, int* error, int interval, int polling,
                            int withChannelList, CSecureSock* conn) override;
  // See IVasService. Errors: 20008 no header (silence, close, abort), 20010
  // no line or word, 20011 a one-word line other than the boundary, 20009
  // the body not received (or above 16 MiB), else the reply's status. The
  // error is not reset on success.
  int ReceiveStatus(IDataStore* store, CTBLVas* row, int* error, int wait, CSecureSock* conn,
                    std::vector<char>* buffer, VasAbortFunc abort, void* context) override;
  // Sends the upload document and the file (chunks of at most 81920 bytes;
  // a partly sent chunk resumes at its first unsent byte, and three sends in
  // a row without progress fail; the file ending early fails), then reads
  // the reply. Errors: 20005 control port unreachable (or 0), 20006 no
  // connection, 20015 sending, 20016 the reply (marker, short, XML above
  // 2047 bytes), 20004 reply XML unreadable, 20017 code 415, 20014 another
  // code. Blocks up to 2 s + 60 s + 7 s for the reply.
  int UploadDNN(IDataStore* store, CTBLVas* row, int* error, const std::string& path) override;
  // The restart document; errors as UploadDNN, with 415 giving 20014.
  int RestartVAS(IDataStore* store, CTBLVas* row, int* error) override;

  // ---- configuration: system, administrators, users ----
  // Every operation but GetSystemInformation first tests the connection
  // (Check: 20005, nothing sent), then sends one request on a connection of
  // its own (60 s per wait) and succeeds when the reply's code (its HTTP
  // status, or the Result code of a Result document) is 200. Failures: a
  // connection that cannot be made after a passed test 20006, no reply at
  // all 20008, else the reply's code; one "ERROR - " line names the server.
  // Document values are XML-escaped (" & ' < >); others pass unchanged.

  // GET /system/information.cgi?method=get with the adapter's login; the
  // 200 reply's XML fills `info`. No connection 20007, a failed or empty
  // reply its code or 20003, unreadable XML 20004. The store is not used.
  int GetSystemInformation(IDataStore* store, CTBLVas* row, CZavDataBase* info, int* error) override;
  // POST /system/admin.cgi?method=add, without any login, with the
  // administrator document of the adapter's login. TRUE for 200 and for 401
  // (an administrator is set already).
  int AddAdmin(IDataStore* store, CTBLVas* row, int* error) override;
  // POST /system/admin.cgi?method=delete with an empty body, logged in as
  // `id`. A port of 0 fails with 20005 without a connection attempt.
  int DeleteAdmin(IDataStore* store, CTBLVas* row, int* error, std::string id, std::string password) override;
  int DeleteAdmin(CTBLVas* row, int* error, std::string id, std::string password) override;
  // POST /system/admin.cgi?method=modify, logged in as `id`, with the
  // administrator document of `newId`.
  int SetAdmin(IDataStore* store, CTBLVas* row, int* error, std::string id, std::string password, std::string newId,
               std::string newPassword) override;
  // POST /system/user.cgi?method=set with the user list of the store's
  // TBL_User rows (20000 without a store).
  int SetUsers(IDataStore* store, CTBLVas* row, int* error) override;

  // ---- event pause and file analysis ----
  // GET /event/stop.cgi?method=get&channel=<channel>&timeout=<timeout>
  // through the request procedure above.
  int PauseEvent(IDataStore* store, CTBLVas* row, int channel, int timeout, int* error) override;
  // The file-analysis requests test the connection, send one request, and
  // judge the reply by its HTTP status alone (a Result code in a 200 body is
  // not consulted); its XML fills the caller's record, which keeps its
  // contents on every failure. Errors: 20005, 20006 no connection, 20008 no
  // reply, the HTTP status, 20004 a body without a root element.
  // Capabilities: Available (0), FTPPort (21), ConcurrentAnalysisCount (1)
  // by default when absent.
  int GetFileAnalysisCapabilities(IDataStore* store, CTBLVas* row, VasFileAnalysisCapabilities* capabilities,
                                  int* error) override;
  // `processId`: the reply's PID; without one, minus the code of a Result
  // reply (-1 for an empty code), else -1. TRUE in all three cases.
  int SetFileAnalysisStart(IDataStore* store, CTBLVas* row, std::string sourcePath, int* processId,
                           int* error) override;
  int GetFileAnalysisStatus(IDataStore* store, CTBLVas* row, int processId, VasFileAnalysisStatus* status,
                            int* error) override;

  // ---- configuration: ports, devices, management server ----
  // Through the request procedure above, with the adapter's login.

  // POST /network/port.cgi?method=set to `requestPort` (the port the server
  // listens on now: the test and the request go there) with the row's
  // WebPort and SecureWebPort. The store is not used.
  int SetNetworkPorts(IDataStore* store, CTBLVas* row, int* error, uint16_t requestPort) override;
  // POST /camera/list.cgi?method=set with one item per device of the server
  // whose camera and recorder are cached (others left out, not reported): the
  // recorder's address (a local-host name replaced by the gateway's address
  // toward the server), the server's login, stream protocol, address and port
  // and the analysis settings.
  int SetDevices(IDataStore* store, CTBLVas* row, int* error) override;
  // POST /manage/agent.cgi?method=set pointing the server's management agent
  // at address:port. The store is not used.
  int SetManagementServer(IDataStore* store, CTBLVas* row, int* error, std::string address, int port) override;

  // ---- configuration: regions of interest ----
  // POST /analysis/roi.cgi?method=modify with the block of device
  // `vasDeviceId` (kept when it has no region); 20012 when no such device is
  // cached (after the connection test).
  int SetDeviceROI(IDataStore* store, CTBLVas* row, int* error, int vasDeviceId) override;
  // POST /analysis/roi.cgi?method=set with the blocks of every device of the
  // server that has a region to send.
  int SetDeviceAllROI(IDataStore* store, CTBLVas* row, int* error) override;
  // The region block of `device`: its channel, then one polygon item per
  // enabled region (ignore regions; regions with a cached event and no
  // DisplayInsteadOf). "" when the device has no camera, and when no region
  // was added unless `keepEmpty`.
  static std::string GetChannelROIItem(IDataStore* store, const std::shared_ptr<CTBLVasDevice>& device,
                                       bool keepEmpty);

  // ---- configuration: line crossing and face data ----
  // Each sends one block per device of the server (key order) that has an
  // item; lines in number order, enabled lines only.
  // POST /analysis/lc.cgi?method=set: every line with a cached event.
  int SetLineCross(IDataStore* store, CTBLVas* row, int* error) override;
  // POST /analysis/lc_group.cgi?method=set: one item per group start line.
  int SetLineCrossGroup(IDataStore* store, CTBLVas* row, int* error) override;
  // POST /analysis/lc_base.cgi?method=set: per line with a cached event, the
  // counts of each class of its event from `counts` (0 and 0 where none).
  int SetLineCrossBaseCount(IDataStore* store, CTBLVas* row, const VasLineCounts* counts, int* error) override;
  // POST /analysis/lc_base.cgi?method=modify: zero counts for each class of
  // the listed lines of the device on `channel`. Sent also when nothing was
  // found (head and tail only).
  int SetLineCrossReset(IDataStore* store, CTBLVas* row, int channel, std::vector<int> lines, int* error) override;
  // POST /analysis/fr.cgi?method=set: the FeatureMap of every cached person
  // in key order. `unused` is not read.
  int SetFRData(void* unused, IDataStore* store, CTBLVas* row, int* error) override;

  // ---- water-level mask ----
  // The most mask bytes a reply may announce (64 MiB).
  static constexpr int kMaxMaskBytes = 64 * 1024 * 1024;
  // One exchange on a connection of its own (TLS with the use-secure flag):
  // POST /api/waterlevel.cgi with the login in the query (percent-encoded),
  // whatever the row's authentication mode, and the request block as the
  // body; the reply's 16-byte head, mask bytes and, with HasExtra, an 8-byte
  // double. `abort(context)` ends the reply waits; it must not be null. The
  // error is not reset on entry. Errors: 20006 no connection, 20007 not
  // sent, 20008 no reply header, the reply's status, 20009 the reply block
  // short or announcing more than kMaxMaskBytes (or a negative length);
  // 20000 for a null row, record or abort test, or data above kMaxMaskBytes.
  int GetWaterLevelMask(IDataStore* store, CTBLVas* row, VasWaterLevelMask* mask, VasAbortFunc abort, void* context,
                        int* error) override;
  // The request block of `mask`, as sent.
  static std::string WaterLevelRequestBlock(const VasWaterLevelMask& mask);

  // The administrator document, as sent.
  static std::string AdminDocument(const std::string& id, const std::string& password);
  // The user list document of every cached TBL_User row in key order: id,
  // plain password, setup, Meta 1.
  static std::string UserListDocument(IDataStore* store);

  // What ReadControlReply finds.
  enum ControlRead { kControlRead, kControlNoHeader, kControlNoXml };
  // Reads one control-port reply frame from `s`: 8 header bytes within 60 s
  // (kControlNoHeader when short or the marker is wrong; nothing more is
  // read), then the announced XML within 7 s into `xml` (kControlNoXml when
  // short or above 2047 bytes, which are left unread).
  static int ReadControlReply(SOCKET s, std::string* xml);
  // The reply's code at ManagerAPI/Res/Code (0 when absent); `parsed` false
  // when the XML cannot be read.
  static int ReplyCode(const std::string& xml, bool* parsed);

 private:
  int RequestStatus(CTBLVas* row, int* error, const std::string& body, CSecureSock* conn);
  // The request procedure of the configuration operations after their
  // connection test: POST `body` (GET when null) to `uri` with the login
  // given, `reply` holding what came. 0 when the reply's code is 200, else
  // the error: 20006 no connection, 20008 no reply, the reply's code. Logs
  // nothing (the operation does, naming itself). `port` 0: the adapter's.
  int ConfigRequest(CTBLVas* row, const std::string& uri, const std::string* body, const std::string& user,
                    const std::string& password, int authMode, std::string* reply, int port = 0);
  // The procedure with the adapter's login and the row's authentication
  // mode, for documents built after the caller's connection test: TRUE on
  // 200; otherwise logs "ERROR - [<display name>] Error raised when request
  // message to vas" and fails with ConfigRequest's error.
  int SendConfigDocument(CTBLVas* row, int* error, const std::string& uri, const std::string& body);
  // A file-analysis request after its connection test: 0 with `cfg` holding
  // the 200 reply's XML, or the error (20006, 20008, the HTTP status, 20004).
  // Logs only the unreadable body; `uri` names the request in callers' lines.
  int FileAnalysisRequest(CTBLVas* row, const std::string& uri, const std::string* body, CXmlCfg* cfg,
                          std::string* reply);
  // One control-port exchange: the frame of `xml`, then the file of `path`
  // when not empty, then the reply.
  int ControlExchange(CTBLVas* row, int* error, const std::string& xml, const std::string& path, bool upload);
};
