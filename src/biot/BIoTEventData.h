// The records of one analysis event on the building-IoT road: CBIoTEventData
// as the AI event publisher builds it, and CBIoTNotifyEventInfo, the content
// of the event message the notifier posts.
#pragma once

#include <stdint.h>

#include <string>

// One AI event for the building-IoT road; every field is set by its builder.
struct CBIoTEventData {
  int cameraId = 0;             // no of the device's camera row
  int zavNo = 0;                // zav_no of that row
  int zavChannel = 0;           // zav_channel of that row
  int intelligentEventId = 0;   // VasIntelligentEventID of the matched event
  int64_t eventTime = 0;        // the result's time, seconds since 1970 (0: none usable)
  std::string cameraName;
  std::string eventName;
  std::string eventImage;       // the result's thumbnail text as the server sent it
};

// The content of one event message.
struct CBIoTNotifyEventInfo {
  std::string sId;
  std::string authToken;
  std::string tpId;   // the gateway thing
  std::string tId;    // the edge thing
  std::string event_name;
  int event_interval = 15;
  int64_t event_start_time = 0;  // seconds since 1970, written whole
  std::string event_contents;    // the camera name
  std::string event_image;       // the thumbnail
};
