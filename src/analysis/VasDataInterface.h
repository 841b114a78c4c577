// CVasDataInterface: the static facade through which the status handler
// reaches analysis servers: it finds the server's TBL_Vas row in the store's
// cache, makes the row's service adapter (VasServiceFactory) for the one
// call and releases it before returning. Failures are logged here.
#pragma once

#include <stdint.h>

#include <vector>

#include "analysis/IVasService.h"

class CVasDataInterface {
 public:
  // ReceiveStatus's answer when the row or its adapter is missing.
  static constexpr int kServerGone = -2;

  // Opens the server's system-status (or analysis-status) stream on `conn`
  // through its adapter. 1 when the request was sent; 0 when the row or the
  // adapter is missing or the request failed (each logged).
  static int RequestSystemStatus(IDataStore* store, int32_t vasId, int interval, int polling, int withChannelList,
                                 CSecureSock* conn);
  static int RequestAnalysisStatus(IDataStore* store, int32_t vasId, int interval, int polling,
                                   int withChannelList, CSecureSock* conn);
  // Reads one unit of the stream through the adapter (IVasService::ReceiveStatus:
  // 1, 0 or -1); kServerGone, logged, when the row or the adapter is missing.
  static int ReceiveStatus(IDataStore* store, int32_t vasId, int wait, CSecureSock* conn, std::vector<char>* buffer,
                           VasAbortFunc abort, void* context);
};
