// CZavDataAdapter: the HTTP operations on one recording server (ZAV): its
// system information (one request on a connection of its own), the requests
// that open its system, event or storage status stream on a connection the
// caller owns, and the reading of one part of such a stream. Every operation
// finds the server's TBL_Zav row in the store's cache at each call (address,
// web port, login) and keeps no state: several threads may call at once, each
// with its own connection and buffer. Failures are logged and returned.
#pragma once

#include <stdint.h>

#include <vector>

#include "net/SecureSock.h"
#include "net/StatusStreamUnit.h"
#include "recorders/ZavSysteminformation.h"

class IDataStore;

class CZavDataAdapter {
 public:
  // The boundary line of the servers' multipart status streams.
  static constexpr const char* kBoundary = CStatusStreamUnit::kBoundary;
  // The largest part body accepted; a larger Content-Length fails the receive.
  static constexpr int kMaxPartSize = CStatusStreamUnit::kMaxPartSize;

  // GET /system/information.cgi?method=get (credentials in the query) within
  // 60 s per wait. 1 when `info` was filled from a 200 reply with an XML body
  // (missing elements leave its defaults); 0, with `info` untouched, when the
  // server is unknown, unreachable, or answers otherwise.
  static int GetSystemInformation(IDataStore* store, int32_t zavId, CZavSysteminformation* info);

  // Connect `conn` (plain, 2 s) unless it is connected, then send the request
  // of the system-status stream (POST /stream/event.cgi with the channel list),
  // the event stream (POST with the event kinds) or the storage status (GET
  // /record/storage.cgi). 1 when the whole request was written, else 0 (the
  // connection closed). Reads nothing.
  static int RequestSystemStatus(IDataStore* store, int32_t zavId, int interval, int polling, CSecureSock& conn);
  static int RequestEventStatus(IDataStore* store, int32_t zavId, int interval, int polling, CSecureSock& conn);
  static int RequestStorageStatus(IDataStore* store, int32_t zavId, CSecureSock& conn);

  // Reads one header block (waiting up to interval + extraTime seconds for it;
  // CR and LF bytes in front of it, such as the line end after a part's body,
  // are dropped) and, when it announces a Content-Length, that many body
  // bytes (each wait up to extraTime seconds); `stop(context)` ends either
  // wait. The block or the body is left NUL-terminated at the start of
  // `buffer` (grown as needed).
  // 1: a status-200 block or a part boundary with a body; 0: such a block
  // without a body; -1: failure (unknown server, receive failure or stop,
  // invalid first line, a body above kMaxPartSize, a status other than 200;
  // the body of such a reply stays in the buffer).
  static int ReceiveStatus(IDataStore* store, int32_t zavId, int interval, int extraTime, CSecureSock& conn,
                           std::vector<char>* buffer, SockAbortFunc stop, void* context);
};
