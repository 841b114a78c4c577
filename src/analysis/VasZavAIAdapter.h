// VasZavAIAdapter: the recording server's AI engine (kind 3). Beside the
// engine base it writes the regions of one analysis device into the device's
// camera when that is an AI camera (AIDeviceAdapter).
#pragma once

#include "analysis/VasEngineAdapter.h"

class VasZavAIAdapter : public VasEngineAdapter {
 public:
  using VasEngineAdapter::VasEngineAdapter;

  // Error 0, then: no TBL_VasDevice row of `vasDeviceId` 20018; a camera
  // (or none) for which no AI camera adapter exists 20019; else what the AI
  // camera adapter answers. The row is not used. Blocks for the camera's PUTs.
  int SetDeviceROI(IDataStore* store, CTBLVas* row, int* error, int vasDeviceId) override;
};
