// CHTNvrDataSynchronizer: imports the camera lists of Hitron NVRs into the
// central database, on the services' frame. A run for one NVR (one
// CHTNvrDataSynchronizerItem) logs in over the NVR's API, reads its camera
// list and makes the central cameras of that address follow it in one
// transaction: a new channel c becomes a camera (sub_channel c + 1) linked to
// the job's group and to group 1 and granted to user 1; a renamed channel
// renames its camera; a vanished channel deletes its camera with its
// relations and user 1's permission. Once a run has committed, the main pass
// asks the management server to reload (again at every pass until it
// answers 200, and once more at Stop). Each run writes
// Data/HTNvrDataSync_<address>_Status_<ID>.dat, then publishes
// "MSG_DATASYNC_EXECUTED".
//
// Codes: 0 done; 1 the central database unreachable; 2 no connection to the
// NVR (TargetPort 0 included); 3 login refused; 4 the list failed or was
// malformed; 5 a write, the transaction's start or the commit failed, nothing
// of the run stays.
//
// Runs of all jobs take runLock_ in turn (one at a time, as they all write
// the central camera table); a Stop cuts an NVR wait short.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "foundation/Lock.h"
#include "recorders/HTNVRAdapter.h"
#include "services/EventServiceFrame.h"
#include "sync/TorvaneDataAdapter.h"
#include "shell/HTNvrDataSynchronizerItem.h"

class CClientDataStore;

class CHTNvrDataSynchronizer
    : public TEventServiceFrame<CHTNvrDataSynchronizerItems, CHTNvrDataSynchronizerItemStatus> {
 public:
  explicit CHTNvrDataSynchronizer(CLocalAppSettings& settings,
                                  std::shared_ptr<platform::Clock> clock = platform::SystemClock());
  ~CHTNvrDataSynchronizer() override;

  // The pause after a job's look before the next (1000 ms unless set before Start).
  void SetSchedulePeriodMs(int ms) { schedulePeriodMs_ = ms; }
  // "HTNvrDataSync_<TargetAddress>_Status_<ID>.dat", the address unchanged.
  static std::string StatusFileNameOf(const CHTNvrDataSynchronizerItem& job);

 protected:
  std::string MakeStatusFileName(const CHTNvrDataSynchronizerItem& job) const override {
    return StatusFileNameOf(job);
  }
  void OnStartSettings(CLocalAppSettings& settings) override;
  // Sends the reload a committed run left owed.
  bool RunMainPass() override;
  int RunSenderPass(int id) override;
  // A reload still owed goes out once more after the pools stopped.
  void OnStopped() override;

 private:
  int Synchronize(const CHTNvrDataSynchronizerItem& job);
  // Connect, login and camera list: 0, or 1 no connection, 2 login, 3 list.
  int GetHTNvrCameras(const CHTNvrDataSynchronizerItem& job, CHTNVRAdapter::CameraMap* cameras);
  int WriteChanges(const CHTNvrDataSynchronizerItem& job, CClientDataStore& store,
                   const CHTNVRAdapter::CameraMap& cameras);
  void SendOwedReload();
  static bool IsStopping(void* self);

  int schedulePeriodMs_ = 1000;
  CZmsTarget zms_;  // written by Start before the pools start
  CLock runLock_;                      // one run at a time
  std::atomic<bool> reloadOwed_{false};  // a run committed and the management server has not answered 200 since
};
