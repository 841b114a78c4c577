// CSKTFocusDevice: the SK telecom AI cameras. Writing a device's regions is
// four PUTs of JSON documents, each on its own connection with Digest
// authentication (one challenge answered): the thumbnail configuration
// (gconfig), the detection rules (ai/rule: "Intrusion" and "Loitering" with
// the regions of event 100009 and the ignore regions), the regions
// (ai/region: every region's polygon as fractions of its base size) and the
// smart mode. A failed PUT ends the sequence. No state; no lock.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "analysis/AIDeviceAdapter.h"

class CTBLCamera;
class CTBLVasROI;

class CSKTFocusDevice : public IAIDeviceAdapter {
 public:
  // {100009}: intrusion.
  std::vector<int> GetSupportedEventTypes() override { return {100009}; }
  // See IAIDeviceAdapter. A failed PUT logs its step and returns FALSE
  // leaving the error as it was.
  int SetDeviceROI(IDataStore* store, int* error, int vasDeviceId) override;

  // The documents, as sent. `regions` in ROINumber order.
  static std::string MakeRulesDocument(const std::vector<std::shared_ptr<CTBLVasROI>>& regions);
  static std::string MakeRegionsDocument(const std::vector<std::shared_ptr<CTBLVasROI>>& regions);

  // One PUT of `body` to `path` at the camera's `addr`:`web_port` with its
  // `id` and password (Digest), connecting within 2000 ms and waiting 2 s for
  // the reply header. TRUE on status 200.
  static int SendPut(const CTBLCamera& camera, const std::string& path, const std::string& body);
};
