// CBIoTEventPublisher: the building-IoT event notifier of one AI event
// publisher job. Each event goes to the edge thing of its camera under the
// video-gateway thing of its recording server, with a thing token the
// platform issues against the gateway's auth code. Auth codes come from the
// data synchronizer through the process-wide map (SetZavAuthCodeMap); the
// notifier caches one thing token per recording server, drops out-of-order
// repeats of an event within the duplicate window, and after a 401 on the
// notification fetches a new token and sends once more. One connection per
// event.
//
// Threads: NotifyEvent runs on the job's sender task, one call at a time, so
// the token cache and the event times carry no lock. The auth-code map is
// shared: its own lock guards it, held only to copy into or out of it.
#pragma once

#include <stdint.h>

#include <map>
#include <string>

#include "biot/BIoTEventData.h"
#include "biot/BIoTServiceAdapter.h"

class CBIoTEventPublisher {
 public:
  CBIoTEventPublisher() = default;
  virtual ~CBIoTEventPublisher() = default;
  CBIoTEventPublisher(const CBIoTEventPublisher&) = delete;
  CBIoTEventPublisher& operator=(const CBIoTEventPublisher&) = delete;

  // Set right after construction.
  CBIoTServiceAdapter::CConnInfo& Settings() { return settings_; }
  const CBIoTServiceAdapter::CConnInfo& Settings() const { return settings_; }
  int eventInterval = 15;   // sent as event_interval
  int duplicateWindow = 3;  // seconds

  // Replaces the process-wide recording-server number -> auth code map. Any
  // thread; takes the map's lock.
  static void SetZavAuthCodeMap(const std::map<int, std::string>& codes);
  // A copy of the process-wide map. Any thread.
  static std::map<int, std::string> GetZavAuthCodeMap();

  // Posts one event: 1 when posted or dropped as a repeat, 0 on failure
  // (logged). Blocks for the exchanges, each within the adapter's time-outs.
  int NotifyEvent(const CBIoTEventData& event);

  // The cached thing token of recording server `zavNo`, or a new one from the
  // platform; empty on failure (logged).
  std::string GetAuthToken(CBIoTServiceAdapter& adapter, int zavNo);
  // 0 drops the event: an earlier event of its camera and event ID at a later
  // time within the window; otherwise records its time and returns 1.
  int CheckDuplicate(const CBIoTEventData& event);

 private:
  CBIoTServiceAdapter::CConnInfo settings_;
  std::map<int, std::string> tokens_;                        // zav number -> thing token
  std::map<int, std::map<int, int64_t>> eventTimes_;         // camera -> event ID -> time
};
