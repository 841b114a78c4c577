// CZavLiveStatus: what a recording-server status handler's message does to
// the server status publisher's live store: the server's fault flag, its
// live-status row (LTBL_ZavStatus, with the operating-system text), and the
// live-status rows (LTBL_DeviceStatus) and fault flags of its cameras. The
// rows are the store's cached objects, changed in place through their column
// setters; none is created, removed or written to the database. A server
// without its status row, or a camera without one, is passed over.
//
// Runs on the handler's worker for that server; takes no lock of its own
// (each setter takes its row's lock, the look-ups the store's locks).
#pragma once

#include <stdint.h>

#include <memory>

#include "foundation/MessagePublisher.h"

class CServiceLog;
class CTBLNRS;
class IDataStore;

class CZavLiveStatus {
 public:
  // Acts on `message` for `server` (nothing for a null server, and then no
  // log line): logs "INFO - <name> Message Raised.", then
  //   "MSG_CONNECTED"       clears the fault flag (its time stays);
  //   "MSG_CONNECT_FAILED"  raises it (a lasting fault keeps its first time);
  //   "MSG_STATUS_RECEIVED" value 2 a CZavEventStream, value 3 a
  //                         CZavSysteminformation or null: the columns of the
  //                         server's and cameras' status rows, the cameras'
  //                         fault flags and recording flags; `now` is their
  //                         status time.
  // Other names change nothing.
  static void OnMessage(IDataStore& store, const std::shared_ptr<CTBLNRS>& server, int64_t now,
                        const IMessagePublisher::_message_t& message, const CServiceLog& log);
};
