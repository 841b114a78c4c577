// The records of one analysis event on its two roads: CAIEventData, posted
// as JSON to HTTP targets (a batch is one array of objects, every value a
// JSON string), and CBIoTEventData, handed to the building-IoT notifier.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "biot/BIoTEventData.h"
#include "shell/JobRecord.h"

#define GATE_AI_EVENT_DATA_FIELDS(F)     \
  F(Int, DEV_ID, "DEV_ID", 0)            \
  F(Int, EVT_ID, "EVT_ID", 0)            \
  F(Text, EVT_NM, "EVT_NM", "")          \
  F(Text, EVT_TM, "EVT_TM", "")          \
  F(Bool, ALARM, "ALARM", true)          \
  F(Int, EVT_KIND, "EVT_KIND", 0)        \
  F(Text, EVT_VALUE1, "EVT_VALUE1", "")  \
  F(Text, EVT_VALUE2, "EVT_VALUE2", "")

// One AI event: the analysed camera (DEV_ID, the device's DeviceID), the
// matched intelligent event (EVT_ID, EVT_NM), the result's local time
// (EVT_TM), and for a crowd-density record (EVT_KIND 1) the event flag, the
// level and the density; an event of a region or line keeps ALARM "1",
// EVT_KIND "0" and empty values.
class CAIEventData : public CSerializable {
 public:
  // EVT_TM = the local time of `seconds` since 1970 as YYYY-MM-DD HH:MM:SS.
  void SetEventTime(int64_t seconds);

  GATE_JOB_RECORD(CAIEventData, "AIEvent", GATE_AI_EVENT_DATA_FIELDS)
};

// The JSON text of a batch: one array, one object per record in order; ""
// for an empty batch.
std::string SerializeAIEvents(const std::vector<CAIEventData>& events);
