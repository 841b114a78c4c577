// One camera of a Hitron NVR's camera list. Texts are in the legacy code page
// except RecordText44, which keeps the NVR's bytes as they came.
#pragma once

#include <stdint.h>

#include <string>

struct CHTCameraInfo {
  int32_t Channel = 0;         // the camera's channel on the NVR (key of the list)
  std::string RecordText2492;  // texts of the record carried for the synchronizer
  std::string RecordText2524;
  std::string RecordText12;
  std::string RecordText44;
  std::string IPAddress;       // "%d.%d.%d.%d"
  std::string Name;            // the camera name
};
