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

#include <string>
#include <vector>

#include "analysis/IVasService.h"

class VasTorvaneAdapter : public IVasService {
 public:
  static constexpr uint32_t kControlMarker = 0x87654321u;
  static constexpr int kChunkSize = 81920;       // most file bytes sent at once
  static constexpr int kMaxReplyXml = 2047;      // most reply XML bytes accepted
  static constexpr int kCheckTimeoutMs = 2000;   // connection test
  static constexpr int kReplyDelayMs = 2000;     // pause before the control reply is read

  // Copies the name, the login the client store attached to the row (not
  // its `User`/`Password` columns), the port (CTBLVas::GetPort), the control
  // port and the use-secure flag.
  explicit VasTorvaneAdapter(const CTBLVas& row);

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

  const std::string& GetName() const { return name_; }
  const std::string& GetLoginID() const { return loginId_; }
  const std::string& GetLoginPassword() const { return loginPassword_; }
  uint16_t GetPort() const { return port_; }
  uint16_t GetControlPort() const { return controlPort_; }
  int GetUseSecure() const { return useSecure_; }

 private:
  int RequestStatus(CTBLVas* row, int* error, const std::string& body, CSecureSock* conn);
  // One control-port exchange: the frame of `xml`, then the file of `path`
  // when not empty, then the reply.
  int ControlExchange(CTBLVas* row, int* error, const std::string& xml, const std::string& path, bool upload);

  std::string name_;
  std::string loginId_;
  std::string loginPassword_;
  uint16_t port_ = 0;
  uint16_t controlPort_ = 0;
  int useSecure_ = 0;
};
