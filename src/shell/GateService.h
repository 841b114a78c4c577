// The one interface through which the main window drives each of the seven
// services: it initialises, starts and stops them, asks whether they have
// work, and reads their jobs and run statuses to show them in the job list.
// A service publishes its messages through its IMessagePublisher base.
#pragma once

#include <map>
#include <string>

#include "foundation/MessagePublisher.h"

// The services in their fixed order: every pass over them (initialise,
// start, stop, list building, row lookup) follows it.
enum class GateServiceKind : int {
  DataSynchronizer = 1,
  NvrDataSynchronizer = 2,
  AIEventPublisher = 3,
  ServerStatusPublisher = 4,
  HTNvrDataSynchronizer = 5,
  AlarmOutputPublisher = 6,
  MetroEventReceiver = 7,
};

// What the main window shows of one job. Fields a service does not have stay empty or 0.
struct CGateServiceItem {
  int id = 0;                 // job ID; 0 for "no such job"
  std::string sourceData;     // data synchronizer: SourceData
  std::string target;         // TargetUrl, or TargetAddress of the NVR and HT NVR synchronizers
  int eventKind = 0;          // alarm output: EventKind
  int channel = 0;            // alarm output: Channel
  int port = 0;               // metro event receiver: Port
};

// What the main window shows of one job's run status. Times are local time
// texts "YYYY-MM-DD HH:MM:SS", or "" when the stored UTC text does not parse.
struct CGateServiceItemStatus {
  int id = 0;                          // job ID; 0 for "no such status"
  std::string lastSynchronizedText;    // synchronizers: LastDateTimeSynchronized
  std::string lastTimeText;            // LastDateTimeExecuted; the metro receiver's LastDateTimeReceived
  int lastErrorCode = 0;               // 0 success
};

// What the Hidden settings give the services (Settings/Hidden.xml): each
// service takes what concerns it, the others ignore it.
struct CGateServiceHiddenSettings {
  bool bIoTEnabled = false;   // send to the building-IoT platform (mode 2) in place of HTTP (mode 1)
  std::string bIoTSiteID;     // the installation's site on that platform
  int bIoTEventInterval = 15;
  int vaEventDwellTime = 3;   // seconds
};

class IGateService : public IMessagePublisher {
 public:
  ~IGateService() override = default;

  virtual GateServiceKind GetServiceKind() const = 0;
  // Before Initialize: the building-IoT settings (data synchronizer, AI
  // event publisher) and the event dwell time (AI event publisher).
  virtual void ApplyHiddenSettings(const CGateServiceHiddenSettings&) {}
  // Loads the job list from the application settings and one run status per job.
  virtual void Initialize() = 0;
  // When not running and configured: reloads the jobs and statuses and starts working.
  virtual void Start() = 0;
  // When running: stops working and waits for the service's threads; otherwise nothing.
  virtual void Stop() = 0;
  // After the window's last Stop: releases what lives for the whole process
  // (the HT NVR synchronizer's process-wide lock). Nothing by default.
  virtual void OnFinalStop() {}
  // True when the service has work to do (its job list is not empty).
  virtual bool IsConfigured() = 0;
  // Copies of the jobs by ID, taken under the service's own lock.
  virtual std::map<int, CGateServiceItem> GetItems() = 0;
  // A copy of job `id`, or a job whose ID is 0.
  virtual CGateServiceItem GetItem(int id) = 0;
  // A copy of job `id`'s run status, or a status whose ID is 0.
  virtual CGateServiceItemStatus GetItemStatus(int id) = 0;
};
