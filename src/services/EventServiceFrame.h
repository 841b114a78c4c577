// TEventServiceFrame: the frame every job service of the event services is
// built on, written once. A service is its job list (read from the
// application settings), one run status per job (in memory and in a status
// file in the Data folder), a main pool whose tasks queue themselves again
// after a delay, a sender pool running one self-repeating task per job, a
// send queue per job, and the main window's interface (IGateService through
// CGateServiceOf). A service derives from the frame, gives its values
// (CEventServiceConfig) and overrides only what it does differently: its
// status file name, its main pass, its sender pass, its own settings and
// per-run state, and further periodic tasks.
//
// Threads: Initialize, Start, Stop, IsConfigured and the Get* views run on the
// user-interface thread; the tasks on the pools; QueueBody on any thread.
// Locks: stateLock_ serialises Start and Stop (held while the pools stop,
// never taken by a task); mapsLock_ guards the job and status maps and is
// held only to copy or fill them; each run status has its own lock
// (TGuardedJobStatus); the send queues have theirs. No lock of the frame is
// held while a task posts, reads the database or waits.
#pragma once

#include <stdint.h>
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/FileUtil.h"
#include "foundation/Lock.h"
#include "foundation/SimpleThreadPool.h"
#include "platform/Clock.h"
#include "services/GuardedJobStatus.h"
#include "services/HttpPostTarget.h"
#include "services/SendQueues.h"
#include "services/ServiceLog.h"
#include "services/ServiceSettings.h"
#include "services/StatusFileNames.h"
#include "shell/AppFolders.h"
#include "shell/GateServiceOf.h"
#include "shell/LocalAppSettings.h"

// The values that set one service apart on the frame.
struct CEventServiceConfig {
  const char* sourceFile = "";         // log source, "AIEventPublisher"
  const char* className = "";          // log class, "CAIEventPublisher"
  const char* mainTaskName = "";       // log operation of the main pass, "OnEventPublisherMain"
  const char* senderTaskName = "";     // log operation of the sender pass, "OnEventDataSend"
  const char* statusFilePattern = "";  // "AIEvent_*.dat": the files Start may remove
  const char* mainPoolName = "";       // "EVENT_PUBLISHER"
  int mainPoolWorkers = 1;
  const char* senderPoolName = "";     // "EVENT_SENDER"
  int senderPoolWorkers = 1;           // at least this many; one per job when there are more jobs
  int mainFirstDelayMs = 0;            // before the first main pass
  int mainDelayMs = 60000;             // between main passes; 0: no main task
  int mainFailureDelayMs = 10000;      // after a pass that found no database
  int statusSaveDelayMs = 0;           // period of the status-save task; 0: no such task
  int senderFirstDelayMs = 0;          // before a job's first sender pass
  size_t sendQueueLimit = 0;           // bodies per job queue; 0: no limit
};

// LastErrorCode of every job after a main pass that could not reach the database.
constexpr int kStatusDatabaseUnreachable = 2;

template <class Items, class Status>
class TEventServiceFrame : public CGateServiceOf<typename Items::ItemType, Status> {
 public:
  using Item = typename Items::ItemType;
  using Base = CGateServiceOf<Item, Status>;
  using JobListGetter = Items (CLocalAppSettings::*)();
  using StatusPtr = std::shared_ptr<TGuardedJobStatus<Status>>;

  // How long an idle sender pass waits for a body before it queues itself
  // again; Stop ends the wait at once.
  static constexpr int kSenderWaitMs = 1000;

  // `kind` and `settings` must outlive the service; `getJobs` reads its job list.
  TEventServiceFrame(const typename Base::Kind& kind, const CEventServiceConfig& config,
                     CLocalAppSettings& settings, JobListGetter getJobs,
                     std::shared_ptr<platform::Clock> clock = platform::SystemClock())
      : Base(kind), config_(config), log_(config.sourceFile, config.className), settings_(settings),
        getJobs_(getJobs), clock_(std::move(clock)), queues_(config.sendQueueLimit) {}
  // Stops the pools. A derived service calls Stop in its own destructor, so
  // no task runs into its members after they are gone.
  ~TEventServiceFrame() override {
    postCancel_.Cancel();
    queues_.Close();
    senderPool_.Stop(false, 30);
    mainPool_.Stop(false, 30);
  }

  // Loads the jobs and each job's status from its file; starts nothing.
  void Initialize() override {
    Items jobs = (settings_.*getJobs_)();
    for (const Item& job : jobs.GetItems()) AddJob(job);
  }

  // True when the settings' job list holds a job (read afresh).
  bool IsConfigured() override { return !(settings_.*getJobs_)().GetItems().empty(); }

  // When not running and configured: creates the Data folder, copies the
  // settings, reloads the jobs and their statuses, removes the status files
  // of jobs that no longer exist ("INFO - Remove cache file (<path>)", or an
  // ERROR line with the path when the file stays), starts
  // the pools and queues every task. Nothing otherwise. Takes stateLock_.
  void Start() override {
    CScopedLock hold(stateLock_);
    if (running_.load() || !IsConfigured()) return;
    std::string dataFolder = GetDataFolderPath();
    CreateDirectoryPath(dataFolder);
    serviceSettings_ = CServiceSettings::Read(settings_);
    OnStartSettings(settings_);
    std::map<int, std::vector<std::string>> files = ListStatusFiles(dataFolder, config_.statusFilePattern);

    queues_.Open();
    {
      CScopedLock maps(mapsLock_);
      jobs_.clear();
      statuses_.clear();
    }
    OnStartReset();
    postCancel_.Reset();
    running_.store(true);

    Items jobs = (settings_.*getJobs_)();
    const auto& items = jobs.GetItems();
    // Both maps are filled for every job before the first sender is queued:
    // a sender reads them as soon as it runs.
    for (const Item& job : items) {
      AddJob(job);
      files.erase(job.GetID());
    }
    if (!items.empty()) {
      senderPool_.Start(config_.senderPoolName,
                        std::max(config_.senderPoolWorkers, static_cast<int>(items.size())));
      for (const Item& job : items) {
        senderPool_.AddJob(&TEventServiceFrame::RunSender, this, job.GetID(),
                           static_cast<uint32_t>(config_.senderFirstDelayMs));
      }
    }
    for (const auto& entry : files) {
      for (const std::string& path : entry.second) {
        if (remove(path.c_str()) == 0) {
          SERVICE_LOG(log_, "Start", "INFO - Remove cache file (%s)\r\n", path.c_str());
        } else {
          SERVICE_LOG(log_, "Start", "ERROR - Remove cache file (%s) failed: %s\r\n", path.c_str(), strerror(errno));
        }
      }
    }
    if (items.empty()) return;

    tasks_.clear();
    if (config_.mainDelayMs > 0) tasks_.push_back({config_.mainFirstDelayMs, [this] { return MainTask(); }});
    if (config_.statusSaveDelayMs > 0) {
      tasks_.push_back({config_.statusSaveDelayMs, [this] {
                          SaveAllStatuses();
                          return config_.statusSaveDelayMs;
                        }});
    }
    for (const auto& task : extraTasks_) tasks_.push_back(task);
    mainPool_.Start(config_.mainPoolName, config_.mainPoolWorkers);
    for (size_t i = 0; i < tasks_.size(); ++i) {
      mainPool_.AddJob(&TEventServiceFrame::RunTask, this, static_cast<intptr_t>(i),
                       static_cast<uint32_t>(tasks_[i].firstDelayMs));
    }
  }

  // When running: clears the running flag, cancels the posts in flight (they
  // end at once), wakes the waiting senders, stops the sender pool and the
  // main pool, then what the service started beside them. Nothing otherwise.
  // Takes stateLock_.
  void Stop() override {
    CScopedLock hold(stateLock_);
    if (!running_.load()) return;
    running_.store(false);
    postCancel_.Cancel();
    queues_.Close();
    senderPool_.Stop(false, 30);
    mainPool_.Stop(false, 30);
    OnStopped();
  }

  // Copies of the jobs, a job (ID 0 when none) and a run status (ID 0 when none).
  std::map<int, Item> GetItems() override {
    CScopedLock maps(mapsLock_);
    return jobs_;
  }
  Item GetItem(int id) override {
    CScopedLock maps(mapsLock_);
    auto it = jobs_.find(id);
    return it == jobs_.end() ? Item() : it->second;
  }
  Status GetItemStatus(int id) override {
    StatusPtr status = FindStatus(id);
    return status ? status->Get() : Status();
  }

  bool IsRunning() const { return running_.load(); }

  // Appends `body` to the queue of every job, in ID order; a queue at the
  // limit is emptied first ("INFO - SendQ is full (<job>)"). Any thread.
  void QueueBody(const std::string& body, const char* operation) {
    std::vector<int> flushed;
    queues_.AppendToAll(GetJobIDs(), body, &flushed);
    flushedQueues_ += flushed.size();
    for (int id : flushed) SERVICE_LOG(log_, operation, "INFO - SendQ is full (%d)\r\n", id);
  }
  // Bodies waiting for job `id`.
  size_t GetQueuedBodyCount(int id) { return queues_.Size(id); }
  // Since construction: posts the HTTP senders of all jobs attempted (a post
  // that found no connection counts), and queues emptied because they were full.
  uint64_t GetPostCount() const { return posts_.load(); }
  uint64_t GetFlushedQueueCount() const { return flushedQueues_.load(); }

  // Writes every job's status to its file, in ID order (a file that cannot be
  // written is logged and skipped).
  void SaveAllStatuses() {
    for (const auto& entry : CopyJobsWithStatuses()) SaveStatus(entry.first, *entry.second);
  }
  // Writes the status of job `id` to its file (logged when it cannot be
  // written); nothing when the job is unknown. For services whose sender
  // saves its own job's status after each pass.
  void SaveJobStatus(int id) {
    Item job;
    StatusPtr status;
    {
      CScopedLock maps(mapsLock_);
      auto it = jobs_.find(id);
      auto st = statuses_.find(id);
      if (it == jobs_.end() || st == statuses_.end()) return;
      job = it->second;
      status = st->second;
    }
    SaveStatus(job, *status);
  }
  // Sets LastErrorCode of every status.
  void SetAllStatuses(int code) {
    for (const auto& entry : CopyJobsWithStatuses()) {
      entry.second->Update([code](Status& status) { status.SetLastErrorCode(code); });
    }
  }

 protected:
  // The status file name of a job ("AIEvent_10_1_2_3_Status_3.dat").
  virtual std::string MakeStatusFileName(const Item& job) const = 0;
  // Start: copies the service's own settings (after the frame's).
  virtual void OnStartSettings(CLocalAppSettings& /*settings*/) {}
  // Start: empties the service's per-run state, before any task runs.
  virtual void OnStartReset() {}
  // Stop: stops what the service started beside its pools, after them.
  virtual void OnStopped() {}
  // One main pass; false when the database could not be reached (every
  // status then gets code 2 and is saved, and the next pass comes after the
  // failure delay). Nothing by default.
  virtual bool RunMainPass() { return true; }
  // One sender pass of job `id`; returns the delay before its next pass.
  virtual int RunSenderPass(int id) = 0;

  // A further periodic task: first after `firstDelayMs`, then again after
  // the delay each pass returns, while running. Register in the constructor.
  void AddPeriodicTask(int firstDelayMs, std::function<int()> pass) {
    extraTasks_.push_back({firstDelayMs, std::move(pass)});
  }

  // The HTTP sender pass: waits up to kSenderWaitMs for bodies, takes the
  // whole queue and posts it to the job's target (PostBodies), then sets the
  // job's LastErrorCode (0, 4 or 5) and LastDateTimeExecuted. Returns 0: the
  // wait for the next body is the pause between passes.
  int SendQueuedBodies(int id) {
    std::vector<std::string> bodies = queues_.TakeAll(id, kSenderWaitMs);
    if (bodies.empty()) return 0;
    Item job = GetItem(id);
    StatusPtr status = FindStatus(id);
    if (!status) return 0;
    CHttpPostTarget target =
        CHttpPostTarget::FromUrl(job.GetTargetUrl(), job.GetTargetLoginID(), job.GetTargetPasswordPlain(),
                                 job.GetTargetAuthMethod(), job.GetTargetUseSecureSession());
    target.endpoint.cancel = &postCancel_;
    size_t sent = 0;
    int code =
        PostBodies(target, bodies, id, [this] { return running_.load(); }, log_, config_.senderTaskName, &sent);
    posts_ += sent;
    int64_t now = clock_->NowSeconds();
    status->Update([code, now](Status& s) {
      s.SetLastErrorCode(code);
      s.SetLastExecutedTime(now);
    });
    return 0;
  }

  // The run status of job `id`, null when none. Takes mapsLock_.
  StatusPtr FindStatus(int id) {
    CScopedLock maps(mapsLock_);
    auto it = statuses_.find(id);
    return it == statuses_.end() ? nullptr : it->second;
  }
  // The job IDs, ascending. Takes mapsLock_.
  std::vector<int> GetJobIDs() {
    CScopedLock maps(mapsLock_);
    std::vector<int> ids;
    for (const auto& entry : jobs_) ids.push_back(entry.first);
    return ids;
  }

  // The settings copied by the last Start (read by tasks while running).
  const CServiceSettings& GetServiceSettings() const { return serviceSettings_; }
  const CServiceLog& Log() const { return log_; }
  // Cancelled by Stop, reset by Start: set it as the `cancel` of the
  // endpoints a service posts to from its own tasks, so Stop ends them at once.
  CRequestCancel* PostCancel() { return &postCancel_; }
  const std::shared_ptr<platform::Clock>& GetClock() const { return clock_; }

 private:
  struct PeriodicTask {
    int firstDelayMs;
    std::function<int()> pass;
  };

  // Enters job `job` and a new status loaded from its file.
  void AddJob(const Item& job) {
    auto status = std::make_shared<TGuardedJobStatus<Status>>(job.GetID());
    LoadStatus(job, *status);
    CScopedLock maps(mapsLock_);
    jobs_[job.GetID()] = job;
    statuses_[job.GetID()] = status;
  }
  std::string StatusFilePath(const Item& job) const {
    return CombinePath(GetDataFolderPath(), MakeStatusFileName(job));
  }
  void LoadStatus(const Item& job, TGuardedJobStatus<Status>& status) {
    std::string path = StatusFilePath(job);
    if (GetFileLength(path) < 0) return;
    if (!status.Load(path)) {
      SERVICE_LOG(log_, "LoadPublisherStatus", "ERROR - Error raised when read status data from file. (%s)\r\n",
                  path.c_str());
    }
  }
  void SaveStatus(const Item& job, const TGuardedJobStatus<Status>& status) {
    std::string path = StatusFilePath(job);
    if (!status.Save(path)) {
      SERVICE_LOG(log_, "SavePublisherStatus", "ERROR - Error raised when write status data to file. (%s)\r\n",
                  path.c_str());
    }
  }
  std::vector<std::pair<Item, StatusPtr>> CopyJobsWithStatuses() {
    CScopedLock maps(mapsLock_);
    std::vector<std::pair<Item, StatusPtr>> copy;
    for (const auto& entry : jobs_) {
      auto it = statuses_.find(entry.first);
      if (it != statuses_.end()) copy.emplace_back(entry.second, it->second);
    }
    return copy;
  }

  int MainTask() {
    if (RunMainPass()) return config_.mainDelayMs;
    SERVICE_LOG(log_, config_.mainTaskName, "ERROR - Error raised when connect database.\r\n");
    SetAllStatuses(kStatusDatabaseUnreachable);
    SaveAllStatuses();
    return config_.mainFailureDelayMs;
  }

  static void RunTask(void* context, intptr_t index) {
    auto* self = static_cast<TEventServiceFrame*>(context);
    int delay = self->tasks_[static_cast<size_t>(index)].pass();
    if (self->running_.load() && delay >= 0) {
      self->mainPool_.AddJob(&TEventServiceFrame::RunTask, self, index, static_cast<uint32_t>(delay));
    }
  }
  static void RunSender(void* context, intptr_t id) {
    auto* self = static_cast<TEventServiceFrame*>(context);
    int delay = self->RunSenderPass(static_cast<int>(id));
    if (self->running_.load() && delay >= 0) {
      self->senderPool_.AddJob(&TEventServiceFrame::RunSender, self, id, static_cast<uint32_t>(delay));
    }
  }

  const CEventServiceConfig config_;
  const CServiceLog log_;
  CLocalAppSettings& settings_;
  const JobListGetter getJobs_;
  const std::shared_ptr<platform::Clock> clock_;

  CRequestCancel postCancel_;  // ends the posts in flight on Stop
  CLock stateLock_;  // serialises Start and Stop
  std::atomic<bool> running_{false};
  // Written by Start before the pools start, read by the tasks.
  CServiceSettings serviceSettings_;
  std::vector<PeriodicTask> tasks_;
  std::vector<PeriodicTask> extraTasks_;  // set in the constructor

  CLock mapsLock_;  // guards jobs_ and statuses_
  std::map<int, Item> jobs_ GUARDED_BY(mapsLock_);
  std::map<int, StatusPtr> statuses_ GUARDED_BY(mapsLock_);

  TSendQueues<std::string> queues_;
  std::atomic<uint64_t> posts_{0};
  std::atomic<uint64_t> flushedQueues_{0};
  CSimpleThreadPool mainPool_;
  CSimpleThreadPool senderPool_;
};
