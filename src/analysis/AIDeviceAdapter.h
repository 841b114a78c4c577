// IAIDeviceAdapter: a camera that runs the analysis itself. Its adapter
// writes the regions of one analysis device into the camera. The factory
// picks the adapter from the camera's vendor and model (any letter case).
#pragma once

#include <memory>
#include <string>
#include <vector>

class IDataStore;

class IAIDeviceAdapter {
 public:
  virtual ~IAIDeviceAdapter() = default;
  // The event-type codes the camera detects.
  virtual std::vector<int> GetSupportedEventTypes() = 0;
  // Writes the regions of analysis device `vasDeviceId` into its camera.
  // TRUE when every step was accepted; `error` (may be null) gets 20000 for
  // a null store or an id of 0 or less, 20018 for a missing device or camera.
  virtual int SetDeviceROI(IDataStore* store, int* error, int vasDeviceId) = 0;
};

// 1 for "SK telecom" with "FIC-BM2A1-G" or "FIC-DM2A1-W", 2 for "SK telecom"
// with "IPC-BM2A1-G" or "IPC-DM2A1-W", else 0 (compared without case).
int GetAIDeviceKind(const std::string& vendor, const std::string& model);

// A new CSKTFocusDevice for kinds 1 and 2; an empty pointer otherwise.
std::shared_ptr<IAIDeviceAdapter> CreateAIDeviceAdapter(const std::string& vendor, const std::string& model);
