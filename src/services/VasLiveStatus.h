// CVasLiveStatus: what an analysis-server status handler's message does to
// the server status publisher's live store: the server's fault flag, its
// live-status row (LTBL_VasStatus), one GPU row per graphics processor
// (LTBL_VasGPUStatus: made when missing, keyed from the ID source under
// "LTBL_VasGPUStatus", added in one store transaction per message, never
// removed) and the live-status rows of its analysed channels
// (LTBL_VasDeviceStatus). Status and channel rows are never made here: one
// that is missing is passed over.
//
// Runs on the handler's worker for that server; takes no lock of its own
// (each setter takes its row's lock, the store and the ID source theirs).
#pragma once

#include <stdint.h>

#include <memory>

#include "foundation/MessagePublisher.h"

class CServiceLog;
class CTBLVas;
class IDataStore;

class CVasLiveStatus {
 public:
  // The ID source key of new GPU rows.
  static constexpr const char* kGPUStatusIdKey = "LTBL_VasGPUStatus";

  // Acts on `message` for `server` (nothing for a null server):
  //   "MSG_CONNECTED"       logs the server's display name, clears the fault
  //                         flag (its time stays);
  //   "MSG_CONNECT_FAILED"  logs, raises the flag (a lasting fault keeps its
  //                         first time);
  //   "MSG_STATUS_RECEIVED" value 2 a CVasStatusStream: the columns of the
  //                         server's status row, its GPU rows and its
  //                         channels' rows; `now` is their status time.
  // Other names change nothing.
  static void OnMessage(IDataStore& store, const std::shared_ptr<CTBLVas>& server, int64_t now,
                        const IMessagePublisher::_message_t& message, const CServiceLog& log);
};
