// CDeviceUserFields: which of a camera's twenty user fields carry its
// management code, site code, vendor and model for the outside system, read
// from Settings/DeviceUserFields.xml (local-settings form, category 0, names
// "MANAGEMENT_CODE", "SITE_CODE", "VENDOR", "MODEL", each a field index 0-19).
// The file is only read, never written. Load once, then read from any thread
// (the settings object takes its own lock).
#pragma once

#include <string>

#include "database/LocalSettings.h"
#include "sync/SyncEntity.h"

class CTBLCamera;

class CDeviceUserFields {
 public:
  CDeviceUserFields();
  // Copies `defaultPath` to `path` when `path` is missing and `defaultPath`
  // exists (an existing file is never overwritten; a failed copy is logged),
  // then loads `path`; a missing file leaves no entry configured.
  void Load(const std::string& path, const std::string& defaultPath);
  // The configured names with the camera's texts. An index is read by its
  // leading digits (empty: 0); one outside 0 to 19 counts as absent (the
  // camera has no such field).
  SyncUserFieldValues Resolve(const CTBLCamera& camera);

 private:
  CLocalSettings settings_;
};
