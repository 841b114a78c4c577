// The one interface through which the main window drives every service: it
// initialises, starts and stops them, asks whether they have work, and shows
// one row per job. A service publishes its messages through its
// IMessagePublisher base. Services with typed job records implement it
// through CGateServiceOf (GateServiceOf.h), which makes the rows with their
// kind's views.
#pragma once

#include <string>
#include <vector>

#include "foundation/MessagePublisher.h"
#include "shell/GateServiceKind.h"

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

  // Its kind: number (the fixed order), name text, views.
  virtual const CGateServiceKind& GetKind() const = 0;
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

  // The IDs of its jobs, ascending; taken under the service's own lock.
  virtual std::vector<int> GetItemIDs() = 0;
  // Whether it has a job with that (positive) ID.
  virtual bool HasItem(int id) = 0;
  // Columns 2 to 5 of job `id`, from copies of the job and its run status;
  // false (row untouched) when the run status has no positive ID.
  virtual bool GetJobRow(int id, const ILangTexts* texts, CJobRow* row) = 0;
};
