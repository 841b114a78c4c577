// CDataSynchronizer: tells outside systems about the installation's cameras
// or analysis-event definitions, on the services' frame (EventServiceFrame.h).
// Every job (CDataSynchronizerItem) is run when due: in HTTP mode its source
// table is compared with the job's snapshot and the changes are posted to its
// target (DataSyncRun.h); in building-IoT mode the job's manager reconciles
// the platform (BIoTDataSync.h). Each run ends with its status written to
// Data/DataSync_<host with "." as "_">_<entity>_Status_<ID>.dat and then the
// message "MSG_DATASYNC_EXECUTED" (value 1 the service, value 2 the job ID);
// a building-IoT run whose manager reports new auth codes first publishes
// "MSG_BIOT_ZAV_AUTH_CODE_UPDATED" (value 2 points to a copy of them, valid
// during the call).
//
// Each job has one self-repeating task on the pool "DATA_SYNCHRONIZER" (at
// least 10 workers): it runs the job when due and looks again after the
// schedule period (10 s), so runs of one job never overlap. Locks: the
// frame's; each run status has its own; the managers guard their own map.
#pragma once

#include <stdint.h>

#include <memory>
#include <string>

#include "services/EventServiceFrame.h"
#include "shell/DataSynchronizerItem.h"
#include "sync/BIoTDataSync.h"
#include "sync/DataSyncRun.h"
#include "sync/DeviceUserFields.h"

class CDataSynchronizer : public TEventServiceFrame<CDataSynchronizerItems, CDataSynchronizerItemStatus> {
 public:
  static constexpr int kSyncModeHttp = 1;
  static constexpr int kSyncModeBIoT = 2;

  // `settings` must outlive the service. The clock gives the runs' times.
  explicit CDataSynchronizer(CLocalAppSettings& settings,
                             std::shared_ptr<platform::Clock> clock = platform::SystemClock());
  // Stops the pool (a run in progress ends within its time-outs).
  ~CDataSynchronizer() override;

  // Building-IoT mode (2) with its site when the settings enable it, else
  // HTTP (1). Before Initialize.
  void ApplyHiddenSettings(const CGateServiceHiddenSettings& hidden) override;

  int GetSyncMode() const { return syncMode_; }
  // How building-IoT managers are made (the building-IoT library's). Any thread.
  void SetBIoTManagerFactory(BIoTDataManagerFactory factory) { managers_.SetFactory(std::move(factory)); }
  // The pause between two looks at a job (10000 ms unless set before Start).
  void SetSchedulePeriodMs(int ms) { schedulePeriodMs_ = ms; }

  // "DataSync_<host key>_<entity>_Status_<ID>.dat" and "..._Data_<ID>.dat".
  static std::string StatusFileNameOf(const CDataSynchronizerItem& job);
  static std::string MakeDataFileName(const CDataSynchronizerItem& job);

 protected:
  std::string MakeStatusFileName(const CDataSynchronizerItem& job) const override { return StatusFileNameOf(job); }
  // Copies SkipDataSyncNotify and loads the user-field file (copying the
  // default one when it is missing).
  void OnStartSettings(CLocalAppSettings& settings) override;
  // Nothing: each job's own task finds it due.
  bool RunMainPass() override { return true; }
  // Runs job `id` when due; the schedule period.
  int RunSenderPass(int id) override;

 private:
  void OnDataSynchronize(const CDataSynchronizerItem& job, int64_t now);
  void OnBIoTDataSynchronize(const CDataSynchronizerItem& job, int64_t now);
  // Stores the code (and the synchronized time), writes the status file,
  // then publishes "MSG_DATASYNC_EXECUTED".
  void EndRun(const CDataSynchronizerItem& job, int code, int64_t synchronizedAt);

  int syncMode_ = kSyncModeHttp;  // set before Initialize
  std::string siteID_;            // set before Initialize
  int schedulePeriodMs_ = 10000;  // set before Start
  // Written by Start before the pool starts, read by the runs.
  bool skipNotify_ = false;
  CDeviceUserFields userFields_;
  CBIoTManagers managers_;
};
