// CVasStatusHandler: keeps one status stream open to every analysis server
// of the installation's own kind (TBL_Vas rows of `Type` 1) of its stores,
// on the status-stream frame (CStatusStreamHandler), through the facade
// CVasDataInterface. Pools are named "VAS_STATUS_HANDLER_<store>_<VasID>_<mode>"
// and task ids count on across restarts.
//
// Messages beside the frame's (value 1 the address of the pair {store id,
// VasID}, valid only during the callback):
//   "MSG_STATUS_RECEIVED"  value 2 the CVasStatusStream read from the unit
//                          (the handler destroys it when the call returns)
// A unit whose text has no "StatusStream" root (none at all, or another) is
// logged and ends the run without "MSG_CONNECT_FAILED"; the next run starts
// RetryDelay later. A server whose row or adapter disappears ends the run
// without any message and is looked up again RetryDelay later.
//
// Locks: the frame's. The settings are set while the handler is stopped.
#pragma once

#include <stdint.h>

#include <vector>

#include "net/StatusStreamHandler.h"

class CVasStatusHandler : public CStatusStreamHandler {
 public:
  // Mode: 0 system status, 1 analysis status.
  int32_t WithChannelList = 1;  // 1: the request names the server's channels

  CVasStatusHandler();
  // Stop.
  ~CVasStatusHandler() override;

 protected:
  // The cached TBL_Vas rows of `Type` 1, in ascending VasID.
  std::vector<Server> ListServers(int32_t storeId, IDataStore* store) override;
  // The row is cached and of kind 1.
  bool IsServerPresent(IDataStore* store, int32_t vasId) override;
  // Runs TLS when the row's `UseSecure` is set.
  bool OpenStream(IDataStore* store, int32_t vasId, int interval, CSecureSock& conn) override;
  int ReceiveUnit(IDataStore* store, int32_t vasId, int interval, CSecureSock& conn,
                  std::vector<char>* buffer) override;
  bool PublishUnit(int32_t handlerId, const int32_t* pair, const char* text) override;
};
