// CAlarmOutputPublisher: switches relay outputs from two alarms of the
// installation, on the event-service frame. The management checker tests the
// central database connection and reads the management server's error
// camera count; the PIDS checker reads the alarm-zone count of every E-map
// server the outputs name. The main task samples these inputs once a second
// into debounced triggers and hands every change of the management alarm
// (1 active, 2 inactive) or the PIDS alarm (3, 4) to every output's queue.
// Each output's sender switches its relay with a parameter POST; a value its
// board did not take is sent again (at most once a second) until it goes
// through or a newer value replaces it.
//
// Threads: the frame's; the main task and both checkers run at the same
// time on the main pool. Locks: triggersLock_ guards the triggers and the
// last published states, so each sample is applied whole; inputsLock_
// guards the checkers' readings; pendingLock_ the undelivered values; the
// value queues have their own lock. None is held while a request waits.
#pragma once

#include <stdint.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "services/AlarmTrigger.h"
#include "services/EventServiceFrame.h"

class CDBDataStore;

// The alarm output publisher's values on the frame.
extern const CEventServiceConfig kAlarmOutputPublisherConfig;

// The publisher's periods and time-outs; tests may shorten the periods.
struct CAlarmOutputTiming {
  int checkerFirstDelayMs = 300;
  int periodMs = 1000;        // trigger samples and checker passes
  int relayPassMs = 100;      // between sender passes
  int retryMs = 1000;         // between repeats of an undelivered value
  int checkerTimeoutSec = 3;  // connect and reply of the checkers' requests
};

class CAlarmOutputPublisher
    : public TEventServiceFrame<CAlarmOutputPublisherItems, CAlarmOutputPublisherItemStatus> {
 public:
  using CTriggerItem = CAlarmTrigger;

  using Timing = CAlarmOutputTiming;


  // `settings` must outlive the publisher.
  explicit CAlarmOutputPublisher(CLocalAppSettings& settings, const Timing& timing = Timing(),
                                 std::shared_ptr<platform::Clock> clock = platform::SystemClock());
  ~CAlarmOutputPublisher() override;

  // The frame's Start, then the inactive value of both alarms (2, then 4)
  // on every output's queue, before any trigger sample can publish.
  void Start() override;
  // The frame's Stop; a send pass in progress makes no further request.
  void Stop() override;

  // Logs "INFO - Publish Event : <value>" and appends `value` to every
  // output's queue (a queue of 1000 values is emptied first, "INFO - SendQ is
  // full (<ID>)"). Any thread; takes the queues' lock.
  void PublishEvent(int value);
  // Values waiting for output `id`.
  size_t GetQueuedValueCount(int id) { return queues_.Size(id); }

  // One pass of each periodic task (the pools run them; tests may call them
  // while the service is stopped). The checkers block up to about two
  // time-outs per request.
  void UpdateTriggers();
  void OnPublisherMainManagementChecker();
  void OnPublisherMainPIDSChecker();
  // One send pass of output `id`; returns the delay before the next.
  int OnPublisherSend(int id);

  // The E-map servers of the last Start (host -> port).
  std::map<std::string, int> GetEMapServers();
  // The alarms as last published: true while active.
  bool IsManagementAlarmActive();
  bool IsPidsAlarmActive();

 protected:
  std::string MakeStatusFileName(const CAlarmOutputPublisherItem& job) const override;
  void OnStartSettings(CLocalAppSettings& settings) override;
  void OnStartReset() override;
  bool RunMainPass() override;
  int RunSenderPass(int id) override { return OnPublisherSend(id); }

 private:
  struct Inputs {
    int databaseFailed = 0;
    int errorStatusFailed = 0;
    int errorCameraCount = 0;
    int alarmZoneFailed = 0;
    int alarmZoneCount = 0;
  };
  // The value an output's board has not taken yet and when it was last tried.
  struct Pending {
    int value = 0;
    int64_t lastTryMicros = 0;
  };

  void BuildTriggers();
  // Under triggersLock_: the management alarm's state, and what to publish.
  void EvaluateTriggers(std::vector<int>* values) REQUIRES(triggersLock_);
  // Applies `value` to management trigger `number` (or the PIDS trigger when -1).
  void SampleTrigger(int number, int value);
  void QueueStartValues();
  // Sends one relay value; the pass code afterwards.
  int SendValue(const CAlarmOutputPublisherItem& job, int value, int code, bool* delivered);

  CLocalAppSettings& appSettings_;
  const Timing timing_;

  // Written by Start before the pools start, then only read.
  std::string zmsAddress_;
  int zmsPort_ = 80;

  CLock triggersLock_;  // guards the triggers and the published states
  std::map<int, std::unique_ptr<CAlarmTrigger>> managementTriggers_ GUARDED_BY(triggersLock_);
  std::unique_ptr<CAlarmTrigger> pidsTrigger_ GUARDED_BY(triggersLock_);
  int managementState_ GUARDED_BY(triggersLock_) = 0;
  int pidsState_ GUARDED_BY(triggersLock_) = 0;
  bool startValuesQueued_ GUARDED_BY(triggersLock_) = false;

  CLock inputsLock_;  // guards inputs_ and emapServers_
  Inputs inputs_ GUARDED_BY(inputsLock_);
  std::map<std::string, int> emapServers_ GUARDED_BY(inputsLock_);

  CLock pendingLock_;  // guards pending_
  std::map<int, Pending> pending_ GUARDED_BY(pendingLock_);

  std::atomic<bool> stopping_{false};  // set while Stop waits for the pools

  // Management checker only.
  std::shared_ptr<CDBDataStore> dbStore_;

  TSendQueues<int> queues_;
};
