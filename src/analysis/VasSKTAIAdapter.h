// VasSKTAIAdapter: the SK telecom AI server and AI edge (kinds 4 and 5).
// Beside the engine base it accepts the line-cross and FR settings (slots
// 11 to 15) without a request, and posts the regions of every device of the
// server as one "rois_batch" JSON document to /api/rois/batch/.
#pragma once

#include <string>

#include "analysis/VasEngineAdapter.h"

class CTBLVasDevice;
class CHttpEndpoint;

class VasSKTAIAdapter : public VasEngineAdapter {
 public:
  using VasEngineAdapter::VasEngineAdapter;

  int SetLineCross(IDataStore* store, CTBLVas* row, int* error) override;
  int SetLineCrossGroup(IDataStore* store, CTBLVas* row, int* error) override;
  int SetLineCrossBaseCount(IDataStore* store, CTBLVas* row, const VasLineCounts* counts, int* error) override;
  int SetLineCrossReset(IDataStore* store, CTBLVas* row, int channel, std::vector<int> lines, int* error) override;
  int SetFRData(void* unused, IDataStore* store, CTBLVas* row, int* error) override;

  // Posts the batch of every device of the row's server (ascending
  // VasDeviceID) to the engine at the row's address and the adapter's port,
  // over TLS when the row says so, without authentication, connecting within
  // 3000 ms and waiting 3 s for the reply header. TRUE on status 200; else
  // error 20006 (no connection), 20008 (no reply header) or the status, and
  // the line "ERROR - [<display name>] Error raised when request message to vas".
  int SetDeviceAllROI(IDataStore* store, CTBLVas* row, int* error) override;

  // The whole batch document of the row's server.
  static std::string MakeBatch(const CTBLVas& row);
  // The channel entries of one device, one per preset of its enabled regions
  // (ascending preset; regions in ROINumber order), joined by ",\r\n" and
  // ended by "\r\n"; "" when it has no enabled region. Regions of events
  // other than loitering (100004) and intrusion (100009) are left out. A
  // device without a camera (or, through a recording server, without one)
  // gives "" and an ERROR line naming its VasDeviceID.
  static std::string MakeChannelRois(const CTBLVasDevice& device);
};
