// CNvrDataSynchronizer: keeps the databases of target NVRs in step with the
// central database, on the services' frame. A run for one NVR (one
// CNvrDataSynchronizerItem) opens the NVR's database, finds the NVR's
// recording server among the central ones by address, puts the NVR in sync
// mode when allowed, copies cameras, groups, links, users and permissions in
// one transaction (CNvrTableSync), and after a commit asks the NVR's
// management service to reload, or to restart when its login changed. Each
// run writes Data/NvrDataSync_<address>_Status_<ID>.dat, then publishes
// "MSG_DATASYNC_EXECUTED" (value 1 the service, value 2 the job ID).
//
// Codes: 0 done; 2 a database unreachable (the NVR's or the central one);
// 3 no central recording server has the address; 4 the NVR is not in sync
// mode and ChangeNvrSyncMode is off; 5 a table check or the commit failed,
// nothing of the run stays; 6 sync settings written and the restart asked
// for (the tables wait for the next run).
//
// Each job has one self-repeating task (pool "NVR_DATA_SYNCHRONIZER"), so
// runs of one NVR never overlap; a run looks again 1000 ms after it ended.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "foundation/Lock.h"
#include "services/EventServiceFrame.h"
#include "shell/NvrDataSynchronizerItem.h"

class CNvrDataSynchronizer
    : public TEventServiceFrame<CNvrDataSynchronizerItems, CNvrDataSynchronizerItemStatus> {
 public:
  explicit CNvrDataSynchronizer(CLocalAppSettings& settings,
                                std::shared_ptr<platform::Clock> clock = platform::SystemClock());
  ~CNvrDataSynchronizer() override;

  // The pause after a job's look before the next (1000 ms unless set before Start).
  void SetSchedulePeriodMs(int ms) { schedulePeriodMs_ = ms; }
  // "NvrDataSync_<TargetAddress>_Status_<ID>.dat", the address with its dots.
  static std::string StatusFileNameOf(const CNvrDataSynchronizerItem& job);

 protected:
  std::string MakeStatusFileName(const CNvrDataSynchronizerItem& job) const override { return StatusFileNameOf(job); }
  void OnStartSettings(CLocalAppSettings& settings) override;
  bool RunMainPass() override { return true; }
  int RunSenderPass(int id) override;

 private:
  // One run; its code. After a commit `*synchronizedAt` is `start`.
  int Synchronize(const CNvrDataSynchronizerItem& job, int64_t start, int64_t* synchronizedAt);
  // Asks for a reload unless one is still owed; remembers a failed one so
  // that later runs ask again until a 200.
  void RequestReload(int id, const std::string& host, int port);
  bool ReloadOwed(int id);

  int schedulePeriodMs_ = 1000;
  // Written by Start before the pool starts, read by the runs.
  std::string zmsAddress_;
  int zmsPort_ = 80;
  bool changeSyncMode_ = false;
  bool restartSyncNvr_ = true;

  CLock reloadLock_;
  std::map<int, std::pair<std::string, int>> owedReloads_;  // job -> NVR host, port; guarded by reloadLock_
};
